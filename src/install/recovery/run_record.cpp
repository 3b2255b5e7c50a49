// The run record's text and file.
#include "install/recovery/run_record.h"

#include "install/record/record_folder.h"
#include "install/server/statements.h"
#include "platform/files.h"
#include "platform/log_file.h"
#include "platform/utf8.h"

#include <algorithm>
#include <sstream>

namespace install {

namespace {

// 2: a dropped login keeps its SID, password hash, roles and states.
constexpr char first_line[] = "korvena-run-record 2";

// Tabs, line ends and backslashes inside a value are written as \t, \n, \r
// and \\, so that no name or path can add a field or a line.
std::wstring escaped(const std::wstring& value)
{
    std::wstring text;
    for (const wchar_t c : value) {
        switch (c) {
        case L'\\': text += L"\\\\"; break;
        case L'\t': text += L"\\t"; break;
        case L'\n': text += L"\\n"; break;
        case L'\r': text += L"\\r"; break;
        default: text += c;
        }
    }
    return text;
}

std::wstring unescaped(const std::wstring& text)
{
    std::wstring value;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'\\' || i + 1 == text.size()) {
            value += text[i];
            continue;
        }
        const wchar_t next = text[++i];
        value += next == L't' ? L'\t' : next == L'n' ? L'\n' : next == L'r' ? L'\r' : next;
    }
    return value;
}

std::vector<std::wstring> fields_of(const std::wstring& line)
{
    std::vector<std::wstring> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find(L'\t', start);
        fields.push_back(unescaped(line.substr(start, tab - start)));
        if (tab == std::wstring::npos)
            return fields;
        start = tab + 1;
    }
}

std::wstring joined(const std::vector<std::wstring>& names)
{
    std::wstring text;
    for (const std::wstring& name : names)
        text += (text.empty() ? L"" : L",") + name;
    return text;
}

// Only the fixed server roles: a role's name goes into a statement bare.
std::optional<std::vector<std::wstring>> server_roles(const std::wstring& text)
{
    std::vector<std::wstring> roles;
    for (size_t start = 0; start < text.size();) {
        const size_t comma = std::min(text.find(L',', start), text.size());
        const std::wstring role = text.substr(start, comma - start);
        if (std::find(statements::fixed_server_roles.begin(), statements::fixed_server_roles.end(), role) ==
            statements::fixed_server_roles.end())
            return std::nullopt;
        roles.push_back(role);
        start = comma + 1;
    }
    return roles;
}

std::wstring flag_text(bool set)
{
    return set ? L"1" : L"0";
}

// A dropped login's line: its SID and hash go into a statement as they
// stand, so they must be hexadecimal digits.
std::optional<LoginRecord> dropped_login(const std::vector<std::wstring>& fields)
{
    const std::optional<std::vector<std::wstring>> roles = server_roles(fields[6]);
    if (!roles || !statements::is_hex_digits(fields[4]) || !statements::is_hex_digits(fields[5]))
        return std::nullopt;
    return LoginRecord{fields[1], fields[2], fields[3], fields[4], fields[5], *roles,
                       fields[7] == L"1", fields[8] == L"1", fields[9] == L"1"};
}

class RecordWriter {
public:
    void line(std::initializer_list<std::wstring> fields)
    {
        bool first = true;
        for (const std::wstring& field : fields) {
            if (!first)
                text_ += L'\t';
            text_ += escaped(field);
            first = false;
        }
        text_ += L'\n';
    }
    void flag(const wchar_t* name, bool set)
    {
        if (set)
            line({name, L"1"});
    }
    const std::wstring& text() const { return text_; }

private:
    std::wstring text_;
};

}  // namespace

std::string record_text(const RunRecord& record)
{
    RecordWriter out;
    out.line({L"server", record.server});
    out.line({L"database", record.database});
    out.line({L"server_version", version_text(record.server_version)});
    if (!record.restore_source.empty())
        out.line({L"template", record.template_staged ? L"staged" : L"in_place", record.restore_source});
    for (const DatabaseFile& file : record.old_database_files)
        out.line({L"old_file", file.logical_name, file.physical_name, std::to_wstring(file.size_bytes),
                  file.log ? L"log" : L"data"});
    const ServerChanges& changes = record.changes;
    if (changes.old_access_mode)
        out.line({L"old_access_mode", *changes.old_access_mode});
    if (changes.safety_backup)
        out.line({L"safety_backup", *changes.safety_backup});
    out.flag(L"old_database_drop_sent", changes.old_database_drop_sent);
    for (const LoginRecord& login : changes.dropped_logins)
        out.line({L"dropped_login", login.name, login.default_database, login.default_language, login.sid,
                  login.password_hash, joined(login.server_roles), flag_text(login.disabled),
                  flag_text(login.policy_checked), flag_text(login.expiration_checked)});
    out.flag(L"database_create_sent", changes.database_create_sent);
    out.flag(L"login_create_sent", changes.login_create_sent);
    return std::string(first_line) + "\n" + platform::to_utf8(out.text());
}

std::optional<RunRecord> parse_record(const std::string& text)
{
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || line != first_line)
        return std::nullopt;
    RunRecord record;
    bool has_version = false;
    while (std::getline(lines, line)) {
        const std::vector<std::wstring> fields = fields_of(platform::from_utf8(line));
        const std::wstring& key = fields[0];
        const size_t count = fields.size();
        if (key == L"server" && count == 2)
            record.server = fields[1];
        else if (key == L"database" && count == 2)
            record.database = fields[1];
        else if (key == L"server_version" && count == 2) {
            const std::optional<ServerVersion> version = parse_server_version(fields[1]);
            if (!version)
                return std::nullopt;
            record.server_version = *version;
            has_version = true;
        } else if (key == L"template" && count == 3 && (fields[1] == L"staged" || fields[1] == L"in_place")) {
            record.template_staged = fields[1] == L"staged";
            record.restore_source = fields[2];
        } else if (key == L"old_file" && count == 5)
            record.old_database_files.push_back({fields[1], fields[2], std::wcstoll(fields[3].c_str(), nullptr, 10),
                                                 fields[4] == L"log"});
        else if (key == L"old_access_mode" && count == 2)
            record.changes.old_access_mode = fields[1];
        else if (key == L"safety_backup" && count == 2)
            record.changes.safety_backup = fields[1];
        else if (key == L"old_database_drop_sent" && count == 2)
            record.changes.old_database_drop_sent = true;
        else if (key == L"dropped_login" && count == 10) {
            const std::optional<LoginRecord> login = dropped_login(fields);
            if (!login)
                return std::nullopt;
            record.changes.dropped_logins.push_back(*login);
        }
        else if (key == L"database_create_sent" && count == 2)
            record.changes.database_create_sent = true;
        else if (key == L"login_create_sent" && count == 2)
            record.changes.login_create_sent = true;
        else
            return std::nullopt;
    }
    if (record.server.empty() || record.database.empty() || !has_version)
        return std::nullopt;
    return record;
}

std::wstring run_record_file()
{
    return platform::korvena_data_folder() + L"\\dbinstall.run";
}

platform::Outcome write_run_record(const RunRecord& record)
{
    const platform::FolderCheck folder = platform::secure_korvena_data_folder();
    if (folder.problem != platform::FolderProblem::none)
        return {false, folder_refusal_text(platform::korvena_data_folder(), folder)};
    return platform::write_file_atomically(run_record_file(), record_text(record));
}

std::optional<RunRecord> read_run_record()
{
    const std::optional<std::string> text = platform::read_whole_file(run_record_file());
    if (!text)
        return std::nullopt;
    return parse_record(*text);
}

void remove_run_record()
{
    platform::delete_file(run_record_file());
}

}  // namespace install
