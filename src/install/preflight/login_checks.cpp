// The login checks. The install drops the application login (with the old
// database, or as one that outlived its database) and makes it again; SQL
// Server refuses the drop while the login is connected, owns a database or a
// job, and a login that another database works under must not be taken from it.
#include "install/preflight/login_checks.h"

#include "app/install_settings.h"
#include "install/install_run.h"
#include "install/server/server_lookups.h"
#include "install/server/statements.h"
#include "platform/character_class.h"
#include "platform/odbc/transaction.h"

#include <algorithm>

namespace install {

namespace {

using platform::same_text_ignoring_case;
using platform::Transaction;

// No shop database: a login whose default is one of these serves none.
bool is_system_database(const std::wstring& name)
{
    constexpr const wchar_t* system_databases[] = {L"master", L"tempdb", L"model", L"msdb"};
    return std::any_of(std::begin(system_databases), std::end(system_databases),
                       [&](const wchar_t* system) { return same_text_ignoring_case(name, system); });
}

// "a、b、c", for a message.
std::wstring listed(const std::vector<std::wstring>& names)
{
    std::wstring text;
    for (const std::wstring& name : names)
        text += (text.empty() ? L"" : L"、") + name;
    return text;
}

class LoginChecks {
public:
    explicit LoginChecks(InstallRun& run)
        : run_(run), sqlca_(run.context.sqlca), database_(run.context.settings.is_dbname),
          login_(statements::application_login)
    {
    }

    std::optional<Refusal> run()
    {
        if (std::optional<Refusal> refusal = configured_login())
            return refusal;
        std::optional<LoginRecord> existing;
        if (!find_login(sqlca_, login_, run_.server_version, existing))
            return unanswered(sqlca_);
        if (!existing)
            return std::nullopt;
        for (auto check : {&LoginChecks::recorded_whole, &LoginChecks::serves_no_other_database,
                           &LoginChecks::not_the_administrator, &LoginChecks::not_connected,
                           &LoginChecks::owns_no_database, &LoginChecks::owns_no_job}) {
            if (std::optional<Refusal> refusal = (this->*check)(*existing))
                return refusal;
        }
        return std::nullopt;
    }

private:
    // The install makes the login mirvox and then connects as the configured
    // one with mirvox's password: any other name fails every run.
    std::optional<Refusal> configured_login() const
    {
        const std::wstring& configured = run_.context.settings.is_logid;
        if (same_text_ignoring_case(configured, login_))
            return std::nullopt;
        return Refusal{L"dbinstall.ini 中的登录名 logid 是“" + configured + L"”，但安装程序建立的登录名是“" +
                           login_ + L"”：安装后不能用“" + configured + L"”登录。",
                       L"请把 dbinstall.ini 中的 logid 改为 " + login_ + L"，或删除这一行。"};
    }

    // A failure after the drop makes the login again from this record.
    std::optional<Refusal> recorded_whole(const LoginRecord& existing)
    {
        if (statements::is_hex_digits(existing.sid) && statements::is_hex_digits(existing.password_hash))
            return std::nullopt;
        return Refusal{L"数据库服务器没有给出登录名“" + login_ + L"”的 SID 和密码，安装失败时不能按原样恢复它。",
                       L"请确认“" + login_ + L"”是 SQL Server 登录名，并用系统管理员（sysadmin）的登录名安装。"};
    }

    std::optional<Refusal> serves_no_other_database(const LoginRecord& existing)
    {
        const std::wstring& other = existing.default_database;
        if (same_text_ignoring_case(other, database_) || is_system_database(other))
            return std::nullopt;
        std::wstring found;
        sqlca_.select_single(statements::old_database_query, {other}, found);
        if (sqlca_.status_code() == Transaction::failure)
            return unanswered(sqlca_);
        if (sqlca_.status_code() != Transaction::success)
            return std::nullopt;
        return Refusal{L"登录名“" + login_ + L"”是数据库“" + other + L"”使用的登录名（它的默认数据库是“" + other +
                           L"”）。安装数据库“" + database_ + L"”会删除并重新建立这个登录名，数据库“" + other +
                           L"”就不能再用它了。",
                       L"请在 dbinstall.ini 中填写数据库“" + other + L"”的名称来重新安装它，或在另一台服务器上安装。"};
    }

    std::optional<Refusal> not_the_administrator(const LoginRecord&)
    {
        std::wstring own;
        sqlca_.select_single(statements::own_login_query, {}, own);
        if (sqlca_.status_code() == Transaction::failure)
            return unanswered(sqlca_);
        if (!same_text_ignoring_case(own, login_))
            return std::nullopt;
        return Refusal{L"安装程序正在用登录名“" + login_ + L"”连接数据库服务器，而安装要删除并重新建立这个登录名。",
                       L"请用另一个系统管理员（sysadmin）的登录名（例如 sa）安装。"};
    }

    // The databases but the old one that the query names for the login;
    // false when the server did not answer.
    bool other_databases(const std::wstring& query, std::vector<std::wstring>& databases)
    {
        if (!find_names(sqlca_, query, login_, databases))
            return false;
        std::erase_if(databases, [&](const std::wstring& name) { return same_text_ignoring_case(name, database_); });
        return true;
    }

    // Its sessions in the old database are the in-use check's, after the
    // check code; anywhere else they would make the drop fail.
    std::optional<Refusal> not_connected(const LoginRecord&)
    {
        std::vector<std::wstring> databases;
        if (!other_databases(statements::login_sessions_query, databases))
            return unanswered(sqlca_);
        if (databases.empty())
            return std::nullopt;
        return Refusal{L"登录名“" + login_ + L"”正连接着数据库服务器（数据库 " + listed(databases) +
                           L"），安装不能删除它。",
                       L"请让使用这个登录名的程序都退出，然后再安装。"};
    }

    // The old database itself is dropped before its login.
    std::optional<Refusal> owns_no_database(const LoginRecord&)
    {
        std::vector<std::wstring> databases;
        if (!other_databases(statements::login_databases_query, databases))
            return unanswered(sqlca_);
        if (databases.empty())
            return std::nullopt;
        return Refusal{L"登录名“" + login_ + L"”是数据库 " + listed(databases) + L" 的所有者，安装不能删除它。",
                       L"请先把这些数据库的所有者改为别的登录名（ALTER AUTHORIZATION），然后再安装。"};
    }

    std::optional<Refusal> owns_no_job(const LoginRecord&)
    {
        std::vector<std::wstring> jobs;
        if (!find_names(sqlca_, statements::login_jobs_query, login_, jobs))
            return unanswered(sqlca_);
        if (jobs.empty())
            return std::nullopt;
        return Refusal{L"登录名“" + login_ + L"”是 SQL Server 代理作业 " + listed(jobs) + L" 的所有者，安装不能删除它。",
                       L"请先把这些作业的所有者改为别的登录名，然后再安装。"};
    }

    InstallRun& run_;
    Transaction& sqlca_;
    const std::wstring& database_;
    const std::wstring& login_;
};

}  // namespace

std::optional<Refusal> check_application_login(InstallRun& run)
{
    return LoginChecks(run).run();
}

}  // namespace install
