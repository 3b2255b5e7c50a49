// The INI reader: decoding the file, locating it, and finding a value.
#include "ini_file.h"

#include "files.h"
#include "machine.h"

#include <windows.h>


namespace platform {

namespace {

constexpr LONGLONG largest_settings_file = 1 << 20;

std::wstring_view trim(std::wstring_view text)
{
    const auto first = text.find_first_not_of(L" \t");
    if (first == std::wstring_view::npos) return {};
    const auto last = text.find_last_not_of(L" \t");
    return text.substr(first, last - first + 1);
}

bool equal_ignoring_case(std::wstring_view a, std::wstring_view b)
{
    return CompareStringOrdinal(a.data(), int(a.size()), b.data(), int(b.size()), TRUE) == CSTR_EQUAL;
}

std::wstring_view unquote(std::wstring_view value)
{
    if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

std::optional<std::wstring> decode(UINT code_page, std::string_view bytes)
{
    if (bytes.empty()) return std::wstring();
    const int length = MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, bytes.data(), int(bytes.size()), nullptr, 0);
    if (length <= 0) return std::nullopt;
    std::wstring text(size_t(length), L'\0');
    MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, bytes.data(), int(bytes.size()), text.data(), length);
    return text;
}

std::optional<std::string> read_small_file(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::optional<std::string> bytes;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file, &size) && size.QuadPart <= largest_settings_file) {
        std::string content(size_t(size.QuadPart), '\0');
        DWORD read = 0;
        if (content.empty() || ReadFile(file, content.data(), DWORD(content.size()), &read, nullptr)) {
            content.resize(read);
            bytes = std::move(content);
        }
    }
    CloseHandle(file);
    return bytes;
}

}  // namespace

std::optional<std::wstring> find_ini_value(std::wstring_view text, std::wstring_view section, std::wstring_view key)
{
    bool in_section = false;
    bool section_seen = false;
    while (!text.empty()) {
        const auto end = text.find_first_of(L"\r\n");
        const std::wstring_view line = trim(text.substr(0, end));
        text = end == std::wstring_view::npos ? std::wstring_view() : text.substr(end + 1);

        if (line.empty() || line.front() == L';') continue;
        if (line.front() == L'[') {
            const auto close = line.find(L']');
            const bool match = close != std::wstring_view::npos && equal_ignoring_case(trim(line.substr(1, close - 1)), section);
            // Only the first section of that name counts, as with Windows.
            in_section = match && !section_seen;
            section_seen = section_seen || match;
            continue;
        }
        if (!in_section) continue;
        const auto equals = line.find(L'=');
        if (equals == std::wstring_view::npos) continue;
        if (equal_ignoring_case(trim(line.substr(0, equals)), key))
            return std::wstring(unquote(trim(line.substr(equals + 1))));
    }
    return std::nullopt;
}

std::optional<std::wstring> decode_ini_bytes(std::string_view bytes)
{
    if (bytes.find('\0') != std::string_view::npos) return std::nullopt;
    constexpr std::string_view utf8_bom = "\xEF\xBB\xBF";
    if (bytes.substr(0, utf8_bom.size()) == utf8_bom) return decode(CP_UTF8, bytes.substr(utf8_bom.size()));
    return decode(936, bytes);
}

std::optional<std::wstring> locate_settings_file(const std::wstring& bare_name)
{
    if (file_exists(bare_name)) return bare_name;
    const std::wstring beside_program = program_folder() + bare_name;
    if (file_exists(beside_program)) return beside_program;
    return std::nullopt;
}

std::wstring read_profile_string(const std::wstring& bare_name, std::wstring_view section, std::wstring_view key,
                                 const std::wstring& default_value)
{
    const auto path = locate_settings_file(bare_name);
    if (!path) return default_value;
    const auto bytes = read_small_file(*path);
    if (!bytes) return default_value;
    const auto text = decode_ini_bytes(*bytes);
    if (!text) return default_value;
    const auto value = find_ini_value(*text, section, key);
    return value && !value->empty() ? *value : default_value;
}

}  // namespace platform
