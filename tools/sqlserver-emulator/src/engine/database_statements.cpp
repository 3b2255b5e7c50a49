// Creating, growing and dropping databases, files first and catalog after.
#include "database_statements.h"

#include "database_files.h"
#include "datetime.h"
#include "messages.h"
#include "server_edition.h"
#include "service_access.h"
#include "windows_paths.h"

#include <cerrno>
#include <map>
#include <system_error>

namespace emulator {
namespace {

constexpr int64_t default_file_size = int64_t{8} << 20;

struct PlannedFile {
    DatabaseFile file;
    int64_t size_bytes;
};

int32_t pages_of_bytes(int64_t bytes) { return static_cast<int32_t>(std::min<int64_t>(bytes / 8192, INT32_MAX)); }

// The file one parenthesised file clause of CREATE DATABASE names, with SQL
// Server's defaults for what the clause leaves out.
DatabaseFile described_file(const FileSpec& clause, std::filesystem::path host_path, FileKind kind) {
    DatabaseFile file{clause.logical, clause.filename, std::move(host_path), kind};
    file.max_pages = default_max_pages(kind);
    if (clause.max_size_bytes && *clause.max_size_bytes >= 0) file.max_pages = pages_of_bytes(*clause.max_size_bytes);
    else if (clause.max_size_bytes && kind == FileKind::data) file.max_pages = unlimited_pages;
    if (clause.growth) {
        file.growth_percent = clause.growth_percent;
        file.growth = clause.growth_percent ? static_cast<int32_t>(*clause.growth) : pages_of_bytes(*clause.growth);
    }
    return file;
}

// Why the server cannot make this file: its service account may not open the
// folder, or new_file_problem's reasons.
std::optional<ServerMessage> file_problem(StatementContext& context, const std::u16string& filename,
                                          const std::optional<std::filesystem::path>& host) {
    if (!service_may_open(filename, context.options))
        return server_message(5123, {.path = filename, .os_error = os_access_denied});
    return new_file_problem(host, filename);
}

// Without file specifications the files go to the server's default data and
// log folders; one that no drive holds is the state folder's, as master's
// files are.
std::vector<PlannedFile> plan_default_files(StatementContext& context, const CreateDatabaseStatement& create) {
    std::vector<PlannedFile> planned;
    const struct {
        const std::u16string& folder;
        std::u16string suffix;
        FileKind kind;
    } files[] = {{context.options.default_data_path, u".mdf", FileKind::data},
                 {context.options.default_log_path, u"_log.ldf", FileKind::log}};
    for (const auto& file : files) {
        const std::u16string filename = file.folder + create.name + file.suffix;
        auto host = map_windows_path(filename, context.options.drives);
        if (!host) host = context.options.state_dir / "data" / to_utf8(create.name + file.suffix);
        std::filesystem::create_directories(host->parent_path());
        if (auto problem = file_problem(context, filename, host)) fail({*problem, server_message(1802)});
        const std::u16string logical = file.kind == FileKind::data ? create.name : create.name + u"_log";
        planned.push_back({described_file({.logical = logical, .filename = filename}, *host, file.kind), default_file_size});
    }
    return planned;
}

std::vector<PlannedFile> plan_files(StatementContext& context, const CreateDatabaseStatement& create) {
    if (create.data_files.empty()) return plan_default_files(context, create);
    std::vector<PlannedFile> planned;
    auto add = [&](const std::vector<FileSpec>& specs, FileKind kind) {
        for (const auto& spec : specs) {
            const auto host = map_windows_path(spec.filename, context.options.drives);
            if (auto problem = file_problem(context, spec.filename, host)) fail({*problem, server_message(1802)});
            planned.push_back({described_file(spec, *host, kind), spec.size_bytes > 0 ? spec.size_bytes : default_file_size});
        }
    };
    add(create.data_files, FileKind::data);
    add(create.log_files, FileKind::log);
    if (create.log_files.empty()) {
        // SQL Server adds a log file beside the first data file.
        const PlannedFile& data = planned.front();
        const auto host = data.file.host_path.parent_path() / to_utf8(create.name + u"_log.ldf");
        const auto slash = data.file.filename.find_last_of(u"\\/");
        const std::u16string filename = data.file.filename.substr(0, slash + 1) + create.name + u"_log.ldf";
        if (auto problem = file_problem(context, filename, host)) fail({*problem, server_message(1802)});
        planned.push_back({described_file({.logical = create.name + u"_log", .filename = filename}, host, FileKind::log), default_file_size});
    }
    return planned;
}

// Express holds a database's data files together within its limit: 1827.
void check_size_limit(StatementContext& context, uint64_t data_bytes, uint8_t state) {
    if (const auto limit_mb = passed_size_limit_mb(context.options.edition, context.options.product_version.version,
                                                   data_bytes)) {
        ServerMessage refused = server_message(1827, {.count = *limit_mb});
        refused.state = state;
        fail(refused);
    }
}

uint64_t data_bytes_of(const std::vector<PlannedFile>& planned) {
    uint64_t bytes = 0;
    for (const auto& plan : planned)
        if (plan.file.kind == FileKind::data) bytes += static_cast<uint64_t>(plan.size_bytes);
    return bytes;
}

// A drive without room for its files fails the creation as SQL Server does
// when it cannot extend a file to its size: 5149 for the file that does not
// fit, then 1802.
std::map<char, int64_t> space_needed(StatementContext& context, const std::vector<PlannedFile>& planned) {
    std::map<char, int64_t> needed;
    for (const auto& plan : planned) {
        const auto letter = drive_letter(plan.file.filename);
        if (!letter) continue;  // the server's own data folder
        needed[*letter] += plan.size_bytes;
        const auto free = context.drive_space.free_bytes(*letter);
        if (free && needed[*letter] > static_cast<int64_t>(*free))
            fail({server_message(5149, {.path = plan.file.filename, .os_error = os_disk_full}), server_message(1802)});
    }
    return needed;
}

}  // namespace

Outcome run_create_database(StatementContext& context, const CreateDatabaseStatement& create) {
    if (context.catalog.find_database(create.name) || context.catalog.is_restoring(create.name))
        fail(server_message(1801, {.name = create.name}));
    const auto planned = plan_files(context, create);
    check_size_limit(context, data_bytes_of(planned), 1);
    SpaceReservation space(context.drive_space, space_needed(context, planned));

    std::vector<std::filesystem::path> created;
    try {
        for (const auto& plan : planned) {
            create_sized_file(plan.file.host_path, plan.size_bytes);
            created.push_back(plan.file.host_path);
        }
    } catch (const std::system_error& error) {
        for (const auto& path : created) remove_file_quietly(path);
        const auto& failed = planned[created.size()].file;
        if (error.code().value() == EEXIST) fail({server_message(5170, {.path = failed.filename}), server_message(1802)});
        fail({server_message(5123, {.path = failed.filename, .os_error = os_error_text(error.code().value())}),
              server_message(1802)});
    }

    Database database;
    database.name = create.name;
    database.dbid = context.catalog.free_dbid();
    database.created = local_now();
    database.compatibility_level = context.options.product_version.version.major * 10;
    // The database belongs to the login that made it; dbo maps to it.
    if (const Login* creator = context.catalog.find_login(context.session().login)) database.owner_sid = creator->sid;
    for (const auto& plan : planned) database.files.push_back(plan.file);
    context.catalog.databases.emplace(database.name, std::move(database));
    context.save();
    space.keep();
    return {};
}

Outcome run_drop_database(StatementContext& context, const DropDatabaseStatement& drop) {
    const Database* database = context.catalog.find_database(drop.name);
    if (!database) fail(server_message(3701, {.name = drop.name}));
    if (is_system_database(database->name)) fail(server_message(3708, {.name = database->name}));
    // A session in it, even the one dropping it, keeps it; so does a single
    // user's hold from elsewhere (state 4, as SQL Server shows that case).
    if (context.catalog.database_in_use(database->name) || context.catalog.is_restoring(database->name))
        fail(server_message(3702, {.name = database->name}));
    if (database->holder && *database->holder != context.spid) {
        ServerMessage held = server_message(3702, {.name = database->name});
        held.state = 4;
        fail(held);
    }
    for (const auto& file : database->files) {
        if (file.host_path.empty()) continue;
        give_back(context.drive_space, file.filename, file.host_path);
        remove_file_quietly(file.host_path);
    }
    const std::u16string name = database->name;
    context.catalog.databases.erase(name);
    context.save();
    return {};
}

Outcome run_modify_file(StatementContext& context, const ModifyFileStatement& modify) {
    Database* database = context.catalog.find_database(modify.database);
    if (!database) fail({server_message(5011, {.name = modify.database}), server_message(5069)});
    DatabaseFile* file = nullptr;
    uint64_t data_bytes = 0;
    for (auto& candidate : database->files) {
        std::error_code error;
        const uint64_t size = candidate.host_path.empty() ? 0 : std::filesystem::file_size(candidate.host_path, error);
        if (equals_ci(candidate.logical, modify.logical)) file = &candidate;
        else if (candidate.kind == FileKind::data) data_bytes += size;
    }
    if (!file || file->host_path.empty()) fail(server_message(5041, {.logical = modify.logical}));
    const uint64_t current = std::filesystem::file_size(file->host_path);
    const auto wanted = static_cast<uint64_t>(modify.size_bytes);
    if (wanted <= current) fail(server_message(5039));
    if (file->max_pages != unlimited_pages && wanted > static_cast<uint64_t>(file->max_pages) * 8192)
        fail(server_message(5040));
    if (file->kind == FileKind::data) check_size_limit(context, data_bytes + wanted, 2);
    const auto letter = drive_letter(file->filename);
    const auto free = letter ? context.drive_space.free_bytes(*letter) : std::nullopt;
    // The stand-in chooses 5149 alone, as CREATE DATABASE sends it before its 1802.
    if (free && wanted - current > *free)
        fail(server_message(5149, {.path = file->filename, .os_error = os_disk_full}));
    std::filesystem::resize_file(file->host_path, wanted);
    if (letter) context.drive_space.take(*letter, static_cast<int64_t>(wanted - current));
    return {};
}

}  // namespace emulator
