// The safety backup: the old database written to a file before it is dropped.
#include "install/phases/old_database_steps.h"

#include "app/install_settings.h"
#include "install/install_run.h"
#include "install/recovery/change_record.h"
#include "install/server/progress.h"
#include "install/server/server_lookups.h"
#include "install/server/statements.h"
#include "install/record/run_journal.h"
#include "platform/clock.h"
#include "platform/odbc/transaction.h"
#include "platform/private_access.h"

namespace install {

using platform::Transaction;

namespace {

void note(InstallRun& run, const std::wstring& text)
{
    if (run.context.journal)
        run.context.journal->note(text);
}

// The backup is a full copy of the shop's customers and sales, and the file
// the SQL Server service writes inherits its folder's rights: only SYSTEM,
// the Administrators and the service itself (whose restore may need it) may
// read it. Not fatal: the backup is needed all the same.
void keep_backup_from_users(InstallRun& run, const std::wstring& file)
{
    const std::wstring service =
        run.listening.instance.empty() ? L"MSSQLSERVER" : L"MSSQL$" + run.listening.instance;
    const platform::ServiceAccounts accounts = platform::service_accounts(service);
    std::vector<std::wstring> readers;
    if (!accounts.service_sid.empty())
        readers.push_back(accounts.service_sid);
    if (!accounts.configured_sid.empty() && accounts.configured_sid != accounts.service_sid)
        readers.push_back(accounts.configured_sid);
    const platform::Outcome set = platform::make_private_file(file, readers);
    if (!set.succeeded) {
        note(run, L"the safety backup " + file + L" keeps the rights of its folder; its own could not be set: " +
                      set.system_message);
        return;
    }
    std::wstring readable_by = L"SYSTEM, Administrators, NT SERVICE\\" + service;
    if (!accounts.configured_account.empty())
        readable_by += L", " + accounts.configured_account;
    note(run, L"the safety backup " + file + L" can be read by " + readable_by + L" only");
    if (!accounts.configuration_read)
        note(run, L"the account of the service " + service +
                      L" could not be read: if it is not SYSTEM and SQL Server is older than 2008, a restore from "
                      L"the safety backup needs its rights given by hand");
}

}  // namespace

PhaseEnd back_up_old_database(InstallRun& run)
{
    if (!run.context.take_safety_backup)
        return std::nullopt;
    Transaction& sqlca = run.context.sqlca;
    const std::wstring& database = run.context.settings.is_dbname;
    run.log.LogPhase(L"备份旧数据库...");
    // An earlier backup of the same second is never written over.
    const platform::LocalTime now = platform::local_time_now();
    std::wstring file;
    for (int nth = 1; file.empty(); ++nth) {
        const std::wstring candidate = statements::safety_backup_file(run.context.form.data_path(), database, now, nth);
        std::optional<FileExistence> found;
        if (!find_server_file(sqlca, candidate, found))
            return InstallOutcome::statement_failed;
        if (!found || (!found->file && !found->directory))
            file = candidate;
    }
    {
        const ServerProgress progress(sqlca, run.context.form);
        sqlca.execute_immediate(statements::safety_backup(database, file, run.server_version));
    }
    if (sqlca.status_code() != Transaction::success)
        return InstallOutcome::statement_failed;
    run.changes.safety_backup = file;
    if (!record_changes(run))
        return InstallOutcome::statement_failed;
    keep_backup_from_users(run, file);
    run.log.LogLine(L"旧数据库已备份到 " + file);
    return std::nullopt;
}

}  // namespace install
