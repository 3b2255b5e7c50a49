// Which installed ODBC driver SQLCA uses.
#pragma once

#include <windows.h>

#include <sql.h>

#include <optional>
#include <string>
#include <vector>

namespace platform {

// The drivers tried, best first, when KORVENA_ODBC_DRIVER is not set.
extern const std::vector<std::wstring> preferred_drivers;

// `configured` when given and not empty; else the first of
// preferred_drivers that is in `installed` (names compared without regard
// to case); empty when none is.
std::wstring choose_driver(const std::optional<std::wstring>& configured,
                           const std::vector<std::wstring>& installed);

// The value of KORVENA_ODBC_DRIVER, or nullopt when it is not set.
std::optional<std::wstring> configured_driver();

// The driver names that SQLDriversW lists.
std::vector<std::wstring> installed_drivers(SQLHENV environment);

bool is_freetds(const std::wstring& driver);

}  // namespace platform
