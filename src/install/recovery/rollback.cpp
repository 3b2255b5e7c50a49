// The rollback: each step looks at the server first, so it does only what
// the failure left undone, also after a dropped connection.
#include "install/recovery/rollback.h"

#include "app/install_settings.h"
#include "platform/odbc/transaction.h"
#include "install/server/progress.h"
#include "install/server/statements.h"
#include "install/wf_connect_db.h"

namespace install {

namespace {

using platform::Transaction;

// Every step returns false when it failed, with the reason in error_.
class Rollback {
public:
    explicit Rollback(InstallRun& run)
        : run_(run), changes_(run.changes), sqlca_(run.context.sqlca), database_(run.context.settings.is_dbname)
    {
    }

    RollbackReport run()
    {
        run_.log.LogPhase(L"恢复安装前的状态...");
        if (!reconnect() || !drop_created_database() || !drop_created_login() || !restore_old_database() ||
            !remake_dropped_logins()) {
            run_.log.LogLine(L"恢复安装前的状态失败：" + error_);
            return {RollbackReport::Result::failed, false, error_};
        }
        if (steps_taken_ == 0) {
            run_.log.LogLine(L"数据库服务器上没有要撤销的更改。");
            return {};
        }
        run_.log.LogLine(L"已恢复安装前的状态。");
        return {RollbackReport::Result::undone, old_database_restored_, {}};
    }

private:
    bool reconnect()
    {
        if (connect_sqlca(run_.context, run_.context.form.admin_login()))
            return true;
        return server_failed();
    }

    bool drop_created_database()
    {
        if (!changes_.database_create_sent)
            return true;
        bool present = false;
        return exists(statements::old_database_query, database_, present) &&
               (!present || step(L"删除本次安装建立的数据库 " + database_, statements::drop_database(database_)));
    }

    bool drop_created_login()
    {
        if (!changes_.login_create_sent)
            return true;
        const std::wstring& login = statements::application_login;
        bool present = false;
        return exists(statements::login_query, login, present) &&
               (!present || step(L"删除本次安装建立的登录名 " + login, statements::drop_login(login)));
    }

    bool restore_old_database()
    {
        if (!changes_.old_database_dropped)
            return true;
        bool present = false;
        if (!exists(statements::old_database_query, database_, present))
            return false;
        if (present)
            return true;
        if (!changes_.safety_backup) {
            error_ = L"原数据库已删除，没有安全备份。";
            return false;
        }
        const ServerProgress progress(sqlca_, run_.context.form);
        if (!step(L"从安全备份还原原数据库：" + *changes_.safety_backup,
                  statements::restore_safety_backup(database_, *changes_.safety_backup, run_.old_database_files)))
            return false;
        old_database_restored_ = true;
        return true;
    }

    bool remake_dropped_logins()
    {
        for (const LoginRecord& login : changes_.dropped_logins) {
            bool present = false;
            if (!exists(statements::login_query, login.name, present))
                return false;
            if (!present && !remake(login))
                return false;
        }
        return true;
    }

    // The login made again as it was, with the application's fixed password;
    // its default database may have gone with an earlier install.
    bool remake(const LoginRecord& login)
    {
        bool database_present = false;
        if (!exists(statements::old_database_query, login.default_database, database_present))
            return false;
        const std::wstring database = database_present ? login.default_database : L"master";
        if (!step(L"重新建立登录名 " + login.name,
                  statements::add_login(login.name, run_.context.settings.is_pass, database, run_.server_version)))
            return false;
        if (!login.sysadmin)
            return true;
        sqlca_.execute_immediate(statements::grant_sysadmin(login.name));
        return sqlca_.status_code() == Transaction::success || server_failed();
    }

    // Whether the single-row query finds a row for `value`.
    bool exists(const std::wstring& query, const std::wstring& value, bool& present)
    {
        std::wstring found;
        sqlca_.select_single(query, {value}, found);
        present = sqlca_.status_code() == Transaction::success;
        return sqlca_.status_code() != Transaction::failure || server_failed();
    }

    bool step(const std::wstring& line, const std::wstring& statement)
    {
        ++steps_taken_;
        run_.log.LogLine(line);
        sqlca_.execute_immediate(statement);
        return sqlca_.status_code() == Transaction::success || server_failed();
    }

    // Always false: the server's text becomes the reason.
    bool server_failed()
    {
        error_ = sqlca_.error_text();
        return false;
    }

    InstallRun& run_;
    const ServerChanges& changes_;
    Transaction& sqlca_;
    const std::wstring& database_;
    bool old_database_restored_ = false;
    int steps_taken_ = 0;
    std::wstring error_;
};

}  // namespace

RollbackReport roll_back(InstallRun& run)
{
    if (!run.changes.any())
        return {};
    return Rollback(run).run();
}

}  // namespace install
