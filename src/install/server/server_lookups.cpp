// The syslogins and xp_fileexist look-ups.
#include "install/server/server_lookups.h"

#include "platform/odbc/transaction.h"
#include "install/server/statements.h"

#include <cwctype>

namespace install {

namespace {

using platform::QueryResult;

// Binary values reach the client as hexadecimal text; some drivers write
// the letters small. Anything else is not a value the server gave.
std::wstring hex_digits(const std::optional<std::wstring>& value)
{
    std::wstring digits = value.value_or(L"");
    if (digits.starts_with(L"0x") || digits.starts_with(L"0X"))
        digits.erase(0, 2);
    for (wchar_t& c : digits)
        c = static_cast<wchar_t>(std::towupper(c));
    return statements::is_hex_digits(digits) ? digits : L"";
}

bool is_set(const QueryResult& rows, const QueryResult::Row& row, const std::wstring& column)
{
    return rows.value(row, column).value_or(L"0") == L"1";
}

}  // namespace

bool find_login(platform::Transaction& sqlca, const std::wstring& login, ServerVersion server,
                std::optional<LoginRecord>& found)
{
    QueryResult rows;
    sqlca.select_rows(statements::login_details_query(server), {login}, rows);
    if (sqlca.status_code() == platform::Transaction::failure)
        return false;
    found.reset();
    if (rows.rows.empty())
        return true;
    const QueryResult::Row& row = rows.rows.front();
    LoginRecord record;
    record.name = rows.value(row, L"name").value_or(login);
    record.default_database = rows.value(row, L"dbname").value_or(L"master");
    record.default_language = rows.value(row, L"language").value_or(L"");
    record.sid = hex_digits(rows.value(row, L"sid"));
    for (const std::wstring& role : statements::fixed_server_roles)
        if (is_set(rows, row, role))
            record.server_roles.push_back(role);
    if (!knows_create_login(server)) {
        record.password_hash = hex_digits(rows.value(row, L"password"));
        found = record;
        return true;
    }
    QueryResult details;
    sqlca.select_rows(statements::sql_login_query, {login}, details);
    if (sqlca.status_code() == platform::Transaction::failure)
        return false;
    // A Windows login has no row here; the installer's logins are SQL Server's.
    if (!details.rows.empty()) {
        const QueryResult::Row& detail = details.rows.front();
        record.password_hash = hex_digits(details.value(detail, L"password_hash"));
        record.disabled = is_set(details, detail, L"is_disabled");
        record.policy_checked = is_set(details, detail, L"is_policy_checked");
        record.expiration_checked = is_set(details, detail, L"is_expiration_checked");
    }
    found = record;
    return true;
}

bool find_names(platform::Transaction& sqlca, const std::wstring& query, const std::wstring& value,
                std::vector<std::wstring>& names)
{
    QueryResult rows;
    sqlca.select_rows(query, {value}, rows);
    if (sqlca.status_code() == platform::Transaction::failure)
        return false;
    names.clear();
    for (const QueryResult::Row& row : rows.rows)
        if (!row.empty() && row[0])
            names.push_back(*row[0]);
    return true;
}

bool find_server_file(platform::Transaction& sqlca, const std::wstring& path, std::optional<FileExistence>& found)
{
    platform::QueryResult answer;
    sqlca.select_rows(statements::file_exists_query(path), {}, answer);
    if (sqlca.status_code() == platform::Transaction::failure)
        return false;
    found = file_existence(answer);
    return true;
}

}  // namespace install
