// Parsing and printing SQL Server versions.
#include "install/server/server_version.h"

#include <cwctype>

namespace install {

std::optional<ServerVersion> parse_server_version(std::wstring_view text)
{
    int parts[3] = {};
    size_t at = 0;
    for (int index = 0; index < 3; ++index) {
        if (index > 0) {
            if (at >= text.size() || text[at] != L'.')
                return std::nullopt;
            ++at;
        }
        const size_t start = at;
        long value = 0;
        while (at < text.size() && std::iswdigit(text[at]) && at - start < 9)
            value = value * 10 + (text[at++] - L'0');
        if (at == start)
            return std::nullopt;
        parts[index] = static_cast<int>(value);
    }
    return ServerVersion{parts[0], parts[1], parts[2]};
}

std::wstring version_text(ServerVersion version)
{
    return std::to_wstring(version.major) + L"." + std::to_wstring(version.minor) + L"." +
           std::to_wstring(version.build);
}

}  // namespace install
