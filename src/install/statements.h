// Every statement text the install pipeline sends, built from the names and
// paths of one run. Texts placed inside quoted literals have their single
// quotes doubled; the names go in bare, so they must be regular identifiers
// (see identifier.h).
#pragma once

#include "install_form.h"

#include <string>

namespace install::statements {

// Single-row queries; each `?` takes a value as a Unicode literal.
extern const std::wstring old_database_query;  // values: database name
extern const std::wstring in_use_query;        // values: login, database name

std::wstring drop_database(const std::wstring& database);
std::wstring drop_login(const std::wstring& login);
std::wstring create_database(const std::wstring& database, const std::wstring& data_path);
std::wstring restore_database(const std::wstring& database, const std::wstring& staging_path,
                              const std::wstring& data_path);
std::wstring add_application_login(const std::wstring& database);
extern const std::wstring grant_sysadmin;
std::wstring set_default_database(const std::wstring& login, const std::wstring& database);
std::wstring use_database(const std::wstring& database);
extern const std::wstring delete_store_mode;
std::wstring insert_store_mode(StoreMode mode);

}  // namespace install::statements
