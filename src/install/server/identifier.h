// Which names may go bare into a statement: SQL Server's regular identifiers.
#pragma once

#include <string>

namespace install {

// True for a regular identifier: a letter (any script), `_`, `@` or `#`
// first, then letters, digits, `_`, `@`, `#` or `$`; 1 to 128 characters.
bool is_regular_identifier(const std::wstring& name);

}  // namespace install
