// Chooses the ODBC driver: the configured one, else the best installed.
#include "driver_choice.h"

#include "platform/character_class.h"

#include <sqlext.h>

#include <algorithm>
#include <cwctype>

namespace platform {

const std::vector<std::wstring> preferred_drivers = {
    L"ODBC Driver 18 for SQL Server", L"ODBC Driver 17 for SQL Server", L"SQL Server Native Client 11.0",
    L"SQL Server", L"FreeTDS",
};

std::wstring choose_driver(const std::optional<std::wstring>& configured,
                           const std::vector<std::wstring>& installed)
{
    if (configured && !configured->empty())
        return *configured;
    for (const auto& preferred : preferred_drivers) {
        auto found = std::find_if(installed.begin(), installed.end(),
                                  [&](const std::wstring& name) { return same_text_ignoring_case(name, preferred); });
        if (found != installed.end())
            return *found;
    }
    return {};
}

std::optional<std::wstring> configured_driver()
{
    const wchar_t* name = L"KORVENA_ODBC_DRIVER";
    DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0)
        return std::nullopt;
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), size));
    return value;
}

std::vector<std::wstring> installed_drivers(SQLHENV environment)
{
    std::vector<std::wstring> names;
    SQLWCHAR name[256];
    SQLWCHAR attributes[1024];
    SQLSMALLINT name_length = 0;
    SQLSMALLINT attributes_length = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(SQLDriversW(environment, direction, name, 256, &name_length, attributes, 1024,
                                     &attributes_length))) {
        names.emplace_back(reinterpret_cast<const wchar_t*>(name));
        direction = SQL_FETCH_NEXT;
    }
    return names;
}

bool is_freetds(const std::wstring& driver)
{
    std::wstring lower;
    for (wchar_t c : driver)
        lower += static_cast<wchar_t>(std::towlower(c));
    return lower.find(L"freetds") != std::wstring::npos;
}

}  // namespace platform
