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

    void write_target(const std::optional<InstallTarget>& target, const install::InstallReport& report);
    void write_failure(const install::InstallReport& report);

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
    json.end_object();
    return json.text();
}

}  // namespace unattended
