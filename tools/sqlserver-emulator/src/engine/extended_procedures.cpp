// xp_fileexist and xp_fixeddrives as SQL Server's undocumented procedures
// answer: for a Windows path on a mapped drive, and for each mapped drive.
#include "extended_procedures.h"

#include "messages.h"
#include "service_access.h"
#include "windows_paths.h"

namespace emulator {
namespace {

// The folder holding `path` ("C:\data\x" -> "C:\data\"); empty for a drive's root.
std::u16string parent_folder(std::u16string path) {
    while (path.size() > 3 && (path.back() == u'\\' || path.back() == u'/')) path.pop_back();
    const size_t separator = path.find_last_of(u"\\/");
    if (separator == std::u16string::npos || separator < 2 || path.size() <= 3) return {};
    return path.substr(0, separator + 1);
}

// One row: File Exists, File is a Directory, Parent Directory Exists. A path
// on no mapped drive, or not a full path, is 0, 0, 0: the server cannot see
// it. A drive's root has no parent folder (not confirmed on a real server).
// In a folder the service account may not open, the procedure (undocumented)
// is taken to see nothing, as its callers report of such folders: the path
// is neither file nor folder, and the folder is no parent.
Outcome file_exists(StatementContext& context, const ExecStatement& exec, const std::u16string& statement_text) {
    // The OUTPUT form (a second argument) sets a variable, which the stand-in does not have.
    if (exec.arguments.size() != 1) fail(not_supported(statement_text));
    const auto* path = std::get_if<std::u16string>(&exec.arguments[0]);
    if (!path) fail(not_supported(statement_text));
    std::error_code error;
    int32_t exists = 0;
    int32_t folder = 0;
    int32_t parent_exists = 0;
    // What the service account may not open it cannot see either.
    auto visible = [&](const std::u16string& windows_path) {
        return service_may_open(windows_path, context.options) ? map_windows_path(windows_path, context.options.drives)
                                                               : std::nullopt;
    };
    if (const auto host = visible(*path)) {
        exists = std::filesystem::is_regular_file(*host, error) ? 1 : 0;
        folder = std::filesystem::is_directory(*host, error) ? 1 : 0;
    }
    if (map_windows_path(*path, context.options.drives)) {
        const std::u16string parent = parent_folder(*path);
        const auto parent_host = parent.empty() ? std::nullopt : visible(parent);
        parent_exists = parent_host && std::filesystem::is_directory(*parent_host, error) ? 1 : 0;
    }
    ResultSet result{{{u"File Exists", ColumnType::int32},
                      {u"File is a Directory", ColumnType::int32},
                      {u"Parent Directory Exists", ColumnType::int32}},
                     {{exists, folder, parent_exists}}};
    context.sink.rows(result);
    return {1, false};
}

// One row per mapped drive in letter order: its letter and whole megabytes
// free. The column types are not documented; scripts that keep the rows
// declare char(1) and int.
Outcome fixed_drives(StatementContext& context, const ExecStatement& exec, const std::u16string& statement_text) {
    if (!exec.arguments.empty()) fail(not_supported(statement_text));
    ResultSet result{{{u"drive", ColumnType::character, 1}, {u"MB free", ColumnType::int32}}, {}};
    for (const auto& [letter, folder] : context.options.drives) {
        const uint64_t megabytes = context.drive_space.free_bytes(letter).value_or(0) >> 20;
        result.rows.push_back({std::u16string(1, static_cast<char16_t>(letter)),
                               static_cast<int32_t>(std::min<uint64_t>(megabytes, INT32_MAX))});
    }
    context.sink.rows(result);
    return {result.rows.size(), false};
}

}  // namespace

std::optional<Outcome> run_extended_procedure(StatementContext& context, const ExecStatement& exec,
                                              const std::u16string& statement_text) {
    if (equals_ci(exec.procedure, u"xp_fileexist")) return file_exists(context, exec, statement_text);
    if (equals_ci(exec.procedure, u"xp_fixeddrives")) return fixed_drives(context, exec, statement_text);
    return std::nullopt;
}

}  // namespace emulator
