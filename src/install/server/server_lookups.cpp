// The syslogins and xp_fileexist look-ups.
#include "install/server/server_lookups.h"

#include "platform/odbc/transaction.h"
#include "install/server/statements.h"

namespace install {

bool find_login(platform::Transaction& sqlca, const std::wstring& login, std::optional<LoginRecord>& found)
{
    platform::QueryResult rows;
    sqlca.select_rows(statements::login_query, {login}, rows);
    if (sqlca.status_code() == platform::Transaction::failure)
        return false;
    found.reset();
    if (rows.rows.empty() || rows.rows.front().size() < 3)
        return true;
    const platform::QueryResult::Row& row = rows.rows.front();
    found = LoginRecord{row[0].value_or(login), row[1].value_or(L"master"), row[2].value_or(L"0") == L"1"};
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
