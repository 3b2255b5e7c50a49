// The install pipeline: the phases in their order, stopping at the first end,
// the failure path run once for whichever phase failed, and the run's record
// around them.
#include "install/wf_installdb.h"

#include "install/check/dry_run.h"
#include "install/install_run.h"
#include "install/phases/phases.h"
#include "install/record/run_journal.h"
#include "install/recovery/failure_path.h"
#include "install/recovery/run_record.h"
#include "install/run_interruption.h"
#include "platform/clock.h"
#include "platform/odbc/transaction.h"
#include "platform/runtime.h"

#include <exception>
#include <span>

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
    {L"verification", verify_tills_login},
    {L"completion", complete_install},
};

// A dry run: the install's first phases, which change nothing when asked to, then its answer.
constexpr Phase check_phases[] = {
    {L"preconditions", check_preconditions},
    {L"connect", connect_as_administrator},
    {L"preflight", run_preflight},
    {L"check", answer_check},
};

OldDatabaseFate fate_of_old_database(const InstallRun& run, InstallOutcome outcome)
{
    if (!run.old_database_found)
        return OldDatabaseFate::unknown;
    if (!*run.old_database_found)
        return OldDatabaseFate::absent;
    if (!run.changes.old_database_drop_sent)
        return OldDatabaseFate::kept;
    if (outcome == InstallOutcome::completed || outcome == InstallOutcome::unverified)
        return OldDatabaseFate::replaced;
    switch (run.old_database_after_rollback) {
    case RollbackReport::OldDatabase::still_there: return OldDatabaseFate::kept;
    case RollbackReport::OldDatabase::restored: return OldDatabaseFate::restored;
    case RollbackReport::OldDatabase::not_dropped:
    case RollbackReport::OldDatabase::missing: break;
    }
    return OldDatabaseFate::lost;
}

// Runs the phase; a fault of the installer itself (an exception) is a failure
// like a refused statement, so that what the run changed is undone.
PhaseEnd run_phase(const Phase& phase, InstallRun& run, FailureCause& cause)
{
    try {
        const PhaseEnd end = phase.run(run);
        if (end == InstallOutcome::statement_failed)
            cause = run.failure_cause.value_or(
                FailureCause{run.context.sqlca.error_number(), run.context.sqlca.error_text()});
        return end;
    } catch (const std::exception& error) {
        cause = {0, L"安装程序出错：" + platform::exception_text(error)};
    } catch (...) {
        cause = {0, L"安装程序出错。"};
    }
    return InstallOutcome::statement_failed;
}

InstallOutcome run_phases(InstallContext& context)
{
    InstallRun run(context);
    InstallOutcome outcome = InstallOutcome::completed;
    if (context.dry_run)
        run.report.check.emplace();
    for (const Phase& phase : context.dry_run ? std::span<const Phase>(check_phases) : std::span<const Phase>(phases)) {
        if (stop_requested()) {
            run.report.failed_phase = phase.name;
            run.context.sqlca.disconnect();
            outcome = stop_install(run, InstallOutcome::interrupted);
            break;
        }
        const platform::Stopwatch stopwatch;
        FailureCause cause;
        const PhaseEnd end = run_phase(phase, run, cause);
        run.report.phases.push_back({phase.name, stopwatch.elapsed_milliseconds()});
        if (!end)
            continue;
        outcome = *end;
        if (!ended_well(outcome))
            run.report.failed_phase = phase.name;
        if (outcome == InstallOutcome::statement_failed)
            outcome = fail_install(run, cause);
        break;
    }
    // A run asked to stop ended before it changed anything (a stop is refused
    // after that), whatever the stop made fail on its way out.
    if (stop_requested() && !ended_well(outcome))
        outcome = InstallOutcome::interrupted;
    // The record goes with the run; only an old database that is not back
    // keeps it, so that the next start tries again to put it back.
    if (run.record_kept && outcome != InstallOutcome::old_database_lost)
        remove_run_record();
    run.report.old_database = fate_of_old_database(run, outcome);
    run.report.safety_backup = run.changes.safety_backup;
    if (run.report.check)
        complete_check_report(run);
    if (context.report)
        *context.report = run.report;
    return outcome;
}

}  // namespace

InstallOutcome wf_installdb(InstallContext& context)
{
    // Every message box and every statement of the run reaches its record too.
    reset_interruption();
    RunPrompts prompts(context.prompts, context.journal);
    InstallContext recorded{context.form,     prompts,        context.sqlca, context.settings, context.app_name,
                            context.take_safety_backup, context.journal, context.report, context.dry_run};
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
