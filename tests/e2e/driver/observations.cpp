// Printing observations as escaped UTF-8 lines.
#include "observations.h"

#include <windows.h>

#include <cstdio>

namespace driver {

std::wstring escape_field(const std::wstring& text) {
    std::wstring escaped;
    escaped.reserve(text.size());
    for (const wchar_t c : text) {
        switch (c) {
            case L'\\': escaped += L"\\\\"; break;
            case L'\t': escaped += L"\\t"; break;
            case L'\r': escaped += L"\\r"; break;
            case L'\n': escaped += L"\\n"; break;
            default: escaped += c;
        }
    }
    return escaped;
}

void print_observation(std::initializer_list<std::wstring> fields) {
    std::wstring line;
    for (const auto& field : fields) {
        if (&field != fields.begin()) line += L'\t';
        line += escape_field(field);
    }
    line += L'\n';
    const int size = WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), bytes.data(), size, nullptr, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
}

}  // namespace driver
