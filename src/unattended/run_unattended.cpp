// The unattended run: options and machine defaults make the form's values,
// then the pipeline runs exactly as behind the Install button.
#include "run_unattended.h"

#include "app/application.h"
#include "app/install_settings.h"
#include "app/machine_defaults.h"
#include "command_line.h"
#include "console_form.h"
#include "console_prompts.h"
#include "exit_status.h"
#include "install/record/record_folder.h"
#include "install/record/run_journal.h"
#include "install/wf_installdb.h"
#include "install/run_interruption.h"
#include "platform/console.h"
#include "platform/console_control.h"
#include "platform/files.h"
#include "platform/log_file.h"
#include "platform/machine.h"
#include "result_document.h"

namespace unattended {
namespace {

// The options as the log file's header gives them; the password is never
// among them.
std::wstring described(const std::vector<std::wstring>& arguments)
{
    std::wstring description = L"command line:";
    for (const auto& argument : arguments) description += L" " + argument;
    return description;
}

// A file of the run's record that could not be written does not change how
// the run ended, but whoever waits for it is told why it is missing.
void warn_unwritten(const wchar_t* what, const std::wstring& path, const std::wstring& reason)
{
    platform::write_text(platform::Stream::error,
                         L"dbinstall: the " + std::wstring(what) + L" " + path + L" could not be written: " + reason + L"\n");
}

void remove_earlier_result(const std::wstring& file)
{
    if (!platform::delete_file(file) && platform::file_exists(file))
        platform::write_text(platform::Stream::error,
                             L"dbinstall: the earlier result file " + file + L" could not be removed\n");
}

// Writes the result document when the command line asked for one.
void write_result(const std::optional<std::wstring>& file, RunResult result)
{
    if (!file)
        return;
    result.ended_at = platform::local_time_now();
    result.computer = platform::computer_name();
    const platform::Outcome written = platform::write_file_atomically(*file, result_document(result));
    if (!written.succeeded)
        warn_unwritten(L"result file", *file, written.system_message);
}

// Ctrl+C stops a run that has changed nothing yet and is refused after that:
// the run must finish or put the server back itself. A console that closes
// ends the process regardless; the run's record on disk then lets the next
// start put the server right.
void answer_console(platform::ConsoleControl control, install::RunJournal& journal)
{
    if (control == platform::ConsoleControl::closing) {
        journal.note(L"the console closes while the install runs; the next start puts back what it changed");
        return;
    }
    if (install::request_stop()) {
        journal.note(L"stop asked (Ctrl+C): the run stops before it changes anything");
        platform::write_text(platform::Stream::error, L"dbinstall: 安装将在改动数据库服务器以前停止。\n");
        return;
    }
    journal.note(L"stop asked (Ctrl+C) and refused: the run has changed the server");
    platform::write_text(platform::Stream::error,
                         L"dbinstall: 安装已经改动了数据库服务器，现在不能中断；它会完成安装，或者把服务器恢复到安装前的状态。\n");
}

int install(const UnattendedOptions& options, const std::vector<std::wstring>& arguments, RunResult result)
{
    app::Application application;
    application.open();
    const app::InstallSettings settings = app::load_install_settings(application.gs_dbname);
    const app::MachineDefaults defaults = app::machine_defaults(settings.is_dbname);
    // Never from the command line, where every user of the machine can read it.
    const std::wstring password = platform::environment_variable(L"KORVENA_SA_PASSWORD");

    // Before anything is written there: what a run writes down is for the
    // computer's administrators alone.
    ConsolePrompts console_prompts;
    if (const std::optional<std::wstring> refusal = install::secure_record_folder()) {
        console_prompts.message_box(L"警告", *refusal);
        const int status = exit_status_of(install::InstallOutcome::refused);
        result.outcome = install::outcome_name(install::InstallOutcome::refused);
        result.exit_status = status;
        result.report.failed_phase = L"preconditions";
        result.report.message = *refusal;
        write_result(options.result_file, std::move(result));
        return status;
    }
    platform::LogFile log_file(options.log_file.value_or(platform::default_log_file()));
    install::RunJournal journal(log_file);
    journal.begin(described(arguments));
    const platform::ConsoleControlHandler console_control([&journal](platform::ConsoleControl control) {
        answer_console(control, journal);
    });
    install::RunPrompts prompts(console_prompts, &journal);
    if (!defaults.sql_server_found) prompts.message_box(app::sql_server_missing_title, app::sql_server_missing_text);

    ConsoleForm form(FormValues{
        options.server.value_or(defaults.server_name),
        options.data_path.value_or(defaults.data_path),
        options.template_file.value_or(defaults.template_file),
        options.login.value_or(defaults.admin_login),
        password,
        options.windows_authentication,
        options.store_mode,
        options.drop_existing,
        options.configure_server,
        options.show_progress,
    });
    application.SQLCA.verify_server_certificate = options.verify_certificate;
    // The pipeline tells the journal of its own message boxes.
    const install::DryRun dry_run{options.drop_existing, options.configure_server};
    install::InstallContext context{form,     console_prompts,       application.SQLCA, settings,
                                    application.gs_appname, options.safety_backup, &journal, &result.report,
                                    options.check ? &dry_run : nullptr};
    const install::InstallOutcome outcome = install::wf_installdb(context);
    const int status = exit_status_of(outcome);
    if (journal.failure())
        warn_unwritten(L"log file", log_file.path(), *journal.failure());
    result.outcome = install::outcome_name(outcome);
    result.exit_status = status;
    result.target = InstallTarget{form.server_name(), settings.is_dbname,   form.admin_login(),
                                  settings.is_logid,  options.store_mode, form.data_path()};
    write_result(options.result_file, std::move(result));
    return status;
}

}  // namespace

int run_from_command_line(const std::vector<std::wstring>& arguments)
{
    platform::connect_console();
    if (mode_of(arguments) == Mode::help) {
        platform::write_text(platform::Stream::output, usage_text(true));
        return 0;
    }
    if (mode_of(arguments) == Mode::version) {
        platform::write_text(platform::Stream::output, version_text());
        return 0;
    }
    RunResult result;
    result.started_at = platform::local_time_now();
    const std::vector<std::wstring> options_text(arguments.begin() + 1, arguments.end());
    // A document left by an earlier run must never be read as this run's,
    // whatever stops this one from writing its own.
    if (const std::optional<std::wstring> result_file = result_file_named(options_text))
        remove_earlier_result(*result_file);
    auto parsed = parse_unattended(options_text);
    if (auto* error = std::get_if<UsageError>(&parsed)) {
        platform::write_text(platform::Stream::error, error->reason + L"\n" + usage_text(false));
        result.outcome = L"usage_error";
        result.exit_status = exit_usage_error;
        result.report.failed_phase = L"command_line";
        result.report.error_text = error->reason;
        result.report.message = error->reason;
        write_result(result_file_named(options_text), std::move(result));
        return exit_usage_error;
    }
    return install(std::get<UnattendedOptions>(parsed), arguments, std::move(result));
}

}  // namespace unattended
