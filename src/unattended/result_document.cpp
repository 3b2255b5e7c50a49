// Writing the result document.
#include "result_document.h"

#include "dbinstall_version.h"
#include "install/server/statements.h"
#include "json_writer.h"

namespace unattended {

namespace {

const wchar_t* fate_word(install::OldDatabaseFate fate)
{
    switch (fate) {
    case install::OldDatabaseFate::kept: return L"kept";
    case install::OldDatabaseFate::replaced: return L"replaced";
    case install::OldDatabaseFate::restored: return L"restored";
    case install::OldDatabaseFate::lost: return L"lost";
    case install::OldDatabaseFate::absent: return L"absent";
    case install::OldDatabaseFate::unknown: break;
    }
    return L"unknown";
}

std::optional<std::wstring> unless_empty(const std::wstring& text)
{
    return text.empty() ? std::nullopt : std::optional<std::wstring>(text);
}

class ResultWriter {
public:
    void text(const wchar_t* name, const std::optional<std::wstring>& value) { json.key(name).value(value); }

    void number(const wchar_t* name, std::optional<int64_t> value)
    {
        json.key(name);
        if (value)
            json.value(*value);
        else
            json.null();
    }

    void truth(const wchar_t* name, std::optional<bool> value)
    {
        json.key(name);
        if (value)
            json.value(*value);
        else
            json.null();
    }

    void write_target(const std::optional<InstallTarget>& target, const install::InstallReport& report);
    void write_failure(const install::InstallReport& report);
    void write_check(const std::optional<install::CheckReport>& check);

    JsonWriter json;
};

void ResultWriter::write_target(const std::optional<InstallTarget>& target, const install::InstallReport& report)
{
    if (!target) {
        for (const wchar_t* name : {L"server", L"database", L"administrator_login", L"application_login",
                                    L"store_mode", L"data_path", L"data_files"})
            json.key(name).null();
        return;
    }
    json.key(L"server").begin_object();
    text(L"name", target->server);
    text(L"version", report.server_version ? std::optional(install::version_text(*report.server_version))
                                           : std::nullopt);
    json.end_object();
    text(L"database", target->database);
    text(L"administrator_login", target->administrator_login);
    text(L"application_login", target->application_login);
    text(L"store_mode", install::store_mode_word(target->store_mode));
    text(L"data_path", target->data_path);
    json.key(L"data_files").begin_object();
    text(L"data", install::statements::new_data_file(target->database, target->data_path));
    text(L"log", install::statements::new_log_file(target->database, target->data_path));
    json.end_object();
}

void ResultWriter::write_failure(const install::InstallReport& report)
{
    json.key(L"failure");
    if (!report.failed_phase) {
        json.null();
        return;
    }
    json.begin_object();
    text(L"phase", report.failed_phase);
    number(L"error_number", report.error_number != 0 ? std::optional<int64_t>(report.error_number) : std::nullopt);
    text(L"error_text", unless_empty(report.error_text));
    json.end_object();
}

void ResultWriter::write_check(const std::optional<install::CheckReport>& check)
{
    json.key(L"check");
    if (!check) {
        json.null();
        return;
    }
    json.begin_object();
    json.key(L"server").begin_object();
    text(L"edition", unless_empty(check->edition));
    text(L"instance", check->instance);
    text(L"authentication", check->sql_logins_enabled
                                ? std::optional<std::wstring>(*check->sql_logins_enabled ? L"mixed" : L"windows")
                                : std::nullopt);
    truth(L"tcp_enabled", check->tcp_enabled);
    number(L"port", check->port);
    json.end_object();
    json.key(L"data_drive").begin_object();
    number(L"free_mb", check->free_megabytes);
    number(L"needed_mb", check->needed_megabytes);
    json.end_object();
    json.key(L"template");
    if (check->template_files.empty() && !check->template_written_by) {
        json.null();
    } else {
        json.begin_object();
        text(L"version", check->template_written_by
                             ? std::optional(install::version_text(*check->template_written_by))
                             : std::nullopt);
        json.key(L"files").begin_array();
        for (const install::DatabaseFile& file : check->template_files) {
            json.begin_object();
            text(L"logical_name", file.logical_name);
            text(L"physical_name", file.physical_name);
            text(L"type", file.log ? L"log" : L"data");
            number(L"size_bytes", file.size_bytes);
            json.end_object();
        }
        json.end_array();
        json.end_object();
    }
    json.key(L"old_database").begin_object();
    truth(L"present", check->old_database_present);
    number(L"size_bytes", check->old_database_present.value_or(false) ? std::optional<int64_t>(check->old_database_bytes)
                                                                       : std::nullopt);
    number(L"sessions", check->old_database_sessions);
    number(L"application_sessions", check->application_sessions);
    json.end_object();
    text(L"action", check->action == install::CheckedAction::none
                        ? std::nullopt
                        : std::optional<std::wstring>(check->action == install::CheckedAction::replace ? L"replace"
                                                                                                       : L"create"));
    json.key(L"needs").begin_array();
    for (const install::CheckedNeed need : check->needs)
        json.value(need == install::CheckedNeed::drop_consent ? L"drop_consent" : L"server_configuration");
    json.end_array();
    json.key(L"server_changes").begin_array();
    for (const std::wstring& change : check->server_changes)
        json.value(std::wstring_view(change));
    json.end_array();
    json.end_object();
}

}  // namespace

std::string result_document(const RunResult& result)
{
    const install::InstallReport& report = result.report;
    ResultWriter out;
    JsonWriter& json = out.json;
    json.begin_object();
    out.number(L"schema_version", 1);
    out.text(L"outcome", result.outcome);
    out.number(L"exit_status", result.exit_status);
    out.text(L"started_at", platform::iso_8601(result.started_at));
    out.text(L"ended_at", platform::iso_8601(result.ended_at));
    json.key(L"program").begin_object();
    out.text(L"name", L"dbinstall");
    out.text(L"version", L"" KORVENA_VERSION_TEXT);
    json.end_object();
    out.text(L"computer", result.computer);
    out.write_target(result.target, report);
    json.key(L"phases").begin_array();
    for (const install::PhaseTime& phase : report.phases) {
        json.begin_object();
        out.text(L"name", phase.name);
        out.number(L"milliseconds", phase.milliseconds);
        json.end_object();
    }
    json.end_array();
    out.text(L"safety_backup", report.safety_backup);
    out.text(L"old_database", fate_word(report.old_database));
    json.key(L"alias_written").value(report.alias_written);
    out.text(L"alias", unless_empty(report.alias));
    json.key(L"detection_key_written").value(report.detection_key_written);
    out.text(L"message", report.message);
    out.write_failure(report);
    out.write_check(report.check);
    json.end_object();
    return json.text();
}

}  // namespace unattended
