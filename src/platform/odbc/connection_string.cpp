// Builds the ODBC connection string with every value escaped.
#include "connection_string.h"

#include "driver_choice.h"
#include "platform/character_class.h"
#include "string_literal.h"

#include <utility>
#include <vector>

namespace platform {

std::optional<std::wstring> escape_connection_value(const std::wstring& value, bool driver_is_freetds)
{
    if (driver_is_freetds) {
        if (value.find(L"};") != std::wstring::npos)
            return std::nullopt;
        return L"{" + value + L"}";
    }
    return L"{" + doubled(value, L'}') + L"}";
}

std::optional<std::wstring> build_connection_string(const ConnectionSettings& settings)
{
    const bool freetds = is_freetds(settings.driver);
    // FreeTDS and the Microsoft drivers both read "host,port" and
    // "host\instance" in SERVER themselves, so the server goes in as typed.
    std::vector<std::pair<const wchar_t*, const std::wstring*>> values = {
        {L"DRIVER=", &settings.driver}, {L";SERVER=", &settings.server}, {L";DATABASE=", &settings.database}};
    if (!settings.trusted_connection)
        values.insert(values.end(), {{L";UID=", &settings.login}, {L";PWD=", &settings.password}});
    std::wstring text;
    for (const auto& [keyword, value] : values) {
        std::optional<std::wstring> escaped = escape_connection_value(*value, freetds);
        if (!escaped)
            return std::nullopt;
        text += keyword + *escaped;
    }
    if (settings.trusted_connection)
        text += L";Trusted_Connection=Yes";
    // FreeTDS keeps the closing brace of a braced value that ends the string,
    // so an unbraced attribute always comes last. Unlike SQL Server's own
    // clients it has no default port for a bare host name: give it 1433.
    if (freetds) {
        if (settings.server.find_first_of(L",\\") == std::wstring::npos)
            text += L";Port=1433";
        text += L";TDS_Version=7.4";
    }
    return text + L";";
}

std::optional<std::wstring> encryption_attributes(const ConnectionSettings& settings)
{
    // Driver names compare without regard to case, as the driver manager compares them.
    const bool microsoft_odbc_driver = same_text_ignoring_case(settings.driver, L"ODBC Driver 18 for SQL Server") ||
                                       same_text_ignoring_case(settings.driver, L"ODBC Driver 17 for SQL Server");
    const bool native_client = same_text_ignoring_case(settings.driver, L"SQL Server Native Client 11.0");
    if (settings.verify_server_certificate) {
        if (microsoft_odbc_driver || native_client) return L"Encrypt=yes;TrustServerCertificate=no;";
        return std::nullopt;
    }
    // Native Client and the older drivers do not encrypt unless asked, so
    // they have no certificate to refuse.
    return microsoft_odbc_driver ? L"Encrypt=yes;TrustServerCertificate=yes;" : L"";
}

}  // namespace platform
