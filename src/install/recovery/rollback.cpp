// The rollback: each step looks at the server first, so it does only what
// the failure left undone, also after a dropped connection or a restart.
#include "install/recovery/rollback.h"

#include "app/install_settings.h"
#include "install/install_run.h"
#include "install/server/patient_connect.h"
#include "install/server/progress.h"
#include "install/server/statements.h"
#include "platform/odbc/transaction.h"

namespace install {

namespace {

using platform::Transaction;
using OldDatabase = RollbackReport::OldDatabase;

// A database by its name: not there, there and online, or there in another
// state (RESTORING after a restore that did not end).
enum class Presence { absent, online, not_online };

// Every step returns false when it failed, with the reason in error_.
class Rollback {
public:
    explicit Rollback(InstallRun& run)
        : run_(run), changes_(run.changes), sqlca_(run.context.sqlca), database_(run.context.settings.is_dbname)
    {
        if (changes_.old_database_drop_sent)
            old_database_ = OldDatabase::missing;
    }

    RollbackReport run()
    {
        run_.log.LogPhase(L"恢复安装前的状态...");
        if (!reconnect() || !drop_created_database() || !drop_created_login() || !restore_old_database() ||
            !give_back_user_access() || !remake_dropped_logins()) {
            run_.log.LogLine(L"恢复安装前的状态失败：" + error_);
            return {RollbackReport::Result::failed, old_database_, error_, differences_};
        }
        if (steps_taken_ == 0) {
            run_.log.LogLine(L"数据库服务器上没有要撤销的更改。");
            return {RollbackReport::Result::nothing_to_undo, old_database_, {}, {}};
        }
        for (const std::wstring& difference : differences_)
            run_.log.LogLine(difference);
        run_.log.LogLine(L"已恢复安装前的状态。");
        return {RollbackReport::Result::undone, old_database_, {}, differences_};
    }

private:
    // A restarted server may take minutes before it takes connections again.
    bool reconnect()
    {
        if (connect_patiently(run_, std::chrono::minutes(3)))
            return true;
        return server_failed();
    }

    bool drop_created_database()
    {
        if (!changes_.database_create_sent)
            return true;
        Presence presence = Presence::absent;
        if (!find(database_, presence))
            return false;
        if (presence == Presence::absent)
            return true;
        // The tills reconnect into the new database as soon as it exists; their sessions must not keep it.
        if (presence == Presence::online)
            sqlca_.execute_immediate(statements::keep_others_out(database_));
        return step(L"删除本次安装建立的数据库 " + database_, statements::drop_database(database_));
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
        if (!changes_.old_database_drop_sent)
            return true;
        Presence presence = Presence::absent;
        if (!find(database_, presence))
            return false;
        if (presence == Presence::online) {
            old_database_ = OldDatabase::still_there;
            return true;
        }
        if (!changes_.safety_backup) {
            error_ = L"原数据库已删除，没有安全备份。";
            return false;
        }
        // A restore of it that did not end left it RESTORING: it goes, and comes back whole.
        if (presence == Presence::not_online &&
            !step(L"删除没有还原完的数据库 " + database_, statements::drop_database(database_)))
            return false;
        const ServerProgress progress(sqlca_, run_.context.form);
        if (!step(L"从安全备份还原原数据库：" + *changes_.safety_backup,
                  statements::restore_safety_backup(database_, *changes_.safety_backup, run_.old_database_files)))
            return false;
        old_database_ = OldDatabase::restored;
        return true;
    }

    // The old database, restored from a backup taken while the installer
    // alone used it, or kept out of others' reach before a failure, opens
    // to everyone as it did before.
    bool give_back_user_access()
    {
        if (!changes_.old_access_mode || old_database_ == OldDatabase::missing)
            return true;
        Presence presence = Presence::absent;
        if (!find(database_, presence, &access_))
            return false;
        if (presence != Presence::online || access_ == *changes_.old_access_mode)
            return true;
        return step(L"恢复原数据库的访问方式 " + *changes_.old_access_mode,
                    statements::set_user_access(database_, *changes_.old_access_mode));
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

    // The login made again as it was: its SID maps the users of the old
    // database to it again, its password hash lets the tills in as before.
    // Only a default database that has gone since cannot come back.
    bool remake(const LoginRecord& login)
    {
        if (!statements::is_hex_digits(login.sid) || !statements::is_hex_digits(login.password_hash)) {
            error_ = L"登录名 " + login.name + L" 的 SID 或密码没有记录下来，不能按原样重新建立。";
            return false;
        }
        bool database_present = false;
        if (!exists(statements::old_database_query, login.default_database, database_present))
            return false;
        const std::wstring database = database_present ? login.default_database : L"master";
        if (!database_present)
            differences_.push_back(L"登录名 " + login.name + L" 原来的默认数据库 " + login.default_database +
                                   L" 已不存在，现在的默认数据库是 master。");
        if (!step(L"重新建立登录名 " + login.name, statements::recreate_login(login, database, run_.server_version)))
            return false;
        for (const std::wstring& role : login.server_roles)
            if (!quiet_step(statements::add_server_role_member(login.name, role)))
                return false;
        return !login.disabled || quiet_step(statements::disable_login(login.name));
    }

    // Whether the database is there, and whether it is online; servers
    // before SQL Server 2005 only say whether it is there.
    bool find(const std::wstring& database, Presence& presence, std::wstring* access = nullptr)
    {
        bool present = false;
        if (!exists(statements::old_database_query, database, present))
            return false;
        presence = present ? Presence::online : Presence::absent;
        if (!present || run_.server_version.major < 9)
            return true;
        platform::QueryResult state;
        sqlca_.select_rows(statements::database_state_query, {database}, state);
        if (sqlca_.status_code() == Transaction::failure)
            return server_failed();
        if (!state.rows.empty() && state.rows[0].size() >= 2) {
            if (state.rows[0][0].value_or(L"ONLINE") != L"ONLINE")
                presence = Presence::not_online;
            if (access)
                *access = state.rows[0][1].value_or(L"");
        }
        return true;
    }

    // Whether the single-row query finds a row for `value`.
    bool exists(const std::wstring& query, const std::wstring& value, bool& present)
    {
        std::wstring found;
        sqlca_.select_single(query, {value}, found);
        present = sqlca_.status_code() == Transaction::success;
        return sqlca_.status_code() != Transaction::failure || server_failed();
    }

    bool step(const std::wstring& line, const platform::Statement& statement)
    {
        ++steps_taken_;
        run_.log.LogLine(line);
        return quiet_step(statement);
    }

    // A statement that finishes the step before it, without a line of its own.
    bool quiet_step(const platform::Statement& statement)
    {
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
    OldDatabase old_database_ = OldDatabase::not_dropped;
    std::wstring access_;
    int steps_taken_ = 0;
    std::wstring error_;
    std::vector<std::wstring> differences_;
};

}  // namespace

RollbackReport roll_back(InstallRun& run)
{
    if (!run.changes.any())
        return {};
    return Rollback(run).run();
}

}  // namespace install
