// The install pipeline: the phases in their order, stopping at the first end,
// and the run's record around them.
#include "install/install_run.h"

#include "install/record/install_report.h"
#include "platform/clock.h"
#include "platform/odbc/transaction.h"
#include "install/record/run_journal.h"

namespace install {

namespace {

struct Phase {
    const wchar_t* name;
    PhaseEnd (*run)(InstallRun&);
};

constexpr Phase phases[] = {
    {L"preconditions", check_preconditions},
    {L"connect", connect_as_administrator},
    {L"preflight", run_preflight},
    {L"old_database", replace_old_database},
    {L"create_database", create_new_database},
    {L"restore", restore_template},
    {L"login", set_up_application_login},
    {L"store_mode", seed_store_mode},
    {L"completion", [](InstallRun& run) -> PhaseEnd { return complete_install(run); }},
};

OldDatabaseFate fate_of_old_database(const InstallRun& run, InstallOutcome outcome)
{
    if (!run.old_database_found)
        return OldDatabaseFate::unknown;
    if (!*run.old_database_found)
        return OldDatabaseFate::absent;
    if (!run.changes.old_database_dropped)
        return OldDatabaseFate::kept;
    if (outcome == InstallOutcome::completed)
        return OldDatabaseFate::replaced;
    return run.old_database_restored ? OldDatabaseFate::restored : OldDatabaseFate::lost;
}

InstallOutcome run_phases(InstallContext& context)
{
    InstallRun run(context);
    InstallOutcome outcome = InstallOutcome::completed;
    for (const Phase& phase : phases) {
        const platform::Stopwatch stopwatch;
        const PhaseEnd end = phase.run(run);
        // A rollback runs inside the failing phase but counts as a phase of its own.
        run.report.phases.push_back({phase.name, stopwatch.elapsed_milliseconds() - run.rollback_milliseconds});
        if (run.rollback_milliseconds > 0)
            run.report.phases.push_back({L"rollback", run.rollback_milliseconds});
        if (end) {
            outcome = *end;
            if (outcome != InstallOutcome::completed)
                run.report.failed_phase = phase.name;
            break;
        }
    }
    run.report.old_database = fate_of_old_database(run, outcome);
    run.report.safety_backup = run.changes.safety_backup;
    if (context.report)
        *context.report = run.report;
    return outcome;
}

}  // namespace

std::wstring outcome_name(InstallOutcome outcome)
{
    switch (outcome) {
    case InstallOutcome::completed: return L"completed";
    case InstallOutcome::statement_failed: return L"failed";
    case InstallOutcome::template_missing: return L"template_missing";
    case InstallOutcome::connection_failed: return L"connection_failed";
    case InstallOutcome::declined: return L"declined";
    case InstallOutcome::old_database_in_use: return L"old_database_in_use";
    case InstallOutcome::name_refused: return L"name_refused";
    case InstallOutcome::refused: return L"refused";
    }
    return L"unknown";
}

InstallOutcome wf_installdb(InstallContext& context)
{
    // Every message box and every statement of the run reaches its record too.
    RunPrompts prompts(context.prompts, context.journal);
    InstallContext recorded{context.form,     prompts,        context.sqlca, context.settings, context.app_name,
                            context.take_safety_backup, context.journal, context.report};
    if (context.journal)
        context.sqlca.set_statement_listener([&journal = *context.journal](const platform::StatementRecord& record) {
            journal.statement(record);
        });
    const InstallOutcome outcome = run_phases(recorded);
    context.sqlca.set_statement_listener({});
    if (context.report)
        context.report->message = prompts.last_message();
    if (context.journal)
        context.journal->note(L"result: " + outcome_name(outcome));
    return outcome;
}

}  // namespace install
