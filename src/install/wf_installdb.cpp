// The install pipeline: the phases in their order, stopping at the first end,
// and the run's record around them.
#include "install_run.h"

#include "platform/odbc/transaction.h"
#include "run_journal.h"

namespace install {

namespace {

InstallOutcome run_phases(InstallContext& context)
{
    InstallRun run(context);
    for (auto phase : {check_preconditions, connect_as_administrator, run_preflight, replace_old_database,
                       create_new_database, restore_template, set_up_application_login, seed_store_mode}) {
        if (PhaseEnd end = phase(run))
            return *end;
    }
    return complete_install(run);
}

}  // namespace

std::wstring outcome_name(InstallOutcome outcome)
{
    switch (outcome) {
    case InstallOutcome::completed: return L"completed";
    case InstallOutcome::statement_failed: return L"failed";
    case InstallOutcome::template_missing: return L"template missing";
    case InstallOutcome::connection_failed: return L"connection failed";
    case InstallOutcome::declined: return L"declined";
    case InstallOutcome::old_database_in_use: return L"old database in use";
    case InstallOutcome::name_refused: return L"name refused";
    case InstallOutcome::refused: return L"refused";
    }
    return L"unknown";
}

InstallOutcome wf_installdb(InstallContext& context)
{
    if (!context.journal)
        return run_phases(context);
    // Every message box and every statement of the run reaches the journal too.
    RunJournal& journal = *context.journal;
    JournalPrompts prompts(context.prompts, journal);
    InstallContext journaled{context.form,     prompts, context.sqlca, context.settings, context.app_name,
                             context.take_safety_backup, &journal};
    context.sqlca.set_statement_listener([&journal](const platform::StatementRecord& record) {
        journal.statement(record);
    });
    const InstallOutcome outcome = run_phases(journaled);
    context.sqlca.set_statement_listener({});
    journal.note(L"result: " + outcome_name(outcome));
    return outcome;
}

}  // namespace install
