// BACKUP DATABASE: the description is taken under the engine lock, the data
// file is streamed without it, into a temporary file that replaces the
// device only when the backup is complete.
#include "backup_restore.h"

#include "backup_format.h"
#include "database_files.h"
#include "datetime.h"
#include "guid.h"
#include "long_operation.h"
#include "messages.h"
#include "progress_reporter.h"
#include "server_release.h"
#include "service_access.h"
#include "windows_paths.h"

#include <cerrno>
#include <fcntl.h>
#include <map>
#include <system_error>
#include <unistd.h>

namespace emulator {
namespace {

// What a backup is made from, read out of the catalog under the lock.
struct BackupSource {
    BackupDescription description;
    std::filesystem::path data_file;  // empty: no bytes to copy
    uint64_t log_bytes = 0;
};

BackupSource describe_database(StatementContext& context, const Database& database, const BackupStatement& backup) {
    BackupSource source;
    BackupDescription& description = source.description;
    description.database = database.name;
    description.tables = database.tables;
    std::error_code error;
    for (const auto& file : database.files) {
        DatabaseFile recorded = file;
        recorded.host_path.clear();
        description.files.push_back(std::move(recorded));
        const uint64_t size = file.host_path.empty() ? 0 : std::filesystem::file_size(file.host_path, error);
        description.file_sizes.push_back(error ? 0 : size);
        if (file.host_path.empty()) continue;
        if (file.kind == FileKind::data && source.data_file.empty()) source.data_file = file.host_path;
        if (file.kind == FileKind::log) source.log_bytes = size;
    }
    if (!source.data_file.empty()) description.data_bytes = stored_data_bytes(source.data_file);
    description.owner_sid = database.owner_sid;
    description.users.reserve(database.users.size());
    for (const auto& [name, user] : database.users) description.users.push_back(user);
    description.user_access = database.user_access;
    description.compatibility_level = database.compatibility_level
                                          ? database.compatibility_level
                                          : context.options.product_version.version.major * 10;
    description.server_version = context.options.product_version.version;
    description.database_version = release_of(description.server_version).database_version;
    description.name = backup.name;
    description.description = backup.description;
    description.user_name = context.session().login;
    description.server_name = to_upper(context.options.machine_name);
    description.machine_name = context.options.machine_name;
    description.database_created = database.created;
    description.started = local_now();
    description.copy_only = backup.copy_only;
    description.checksums = backup.checksum;
    description.backup_set = random_guid();
    return source;
}

}  // namespace

Outcome run_backup(StatementContext& context, const BackupStatement& backup, const std::u16string& statement_text) {
    const MessageArgs args{.operation = u"BACKUP DATABASE"};
    const Database* database = context.catalog.find_database(backup.database);
    if (!database) terminate_with(server_message(911, {.name = backup.database}), args);
    const auto host = map_windows_path(backup.device, context.options.drives);
    std::error_code error;
    if (!service_may_open(backup.device, context.options))
        terminate_with(server_message(3201, {.path = backup.device, .os_error = os_access_denied}), args);
    if (!host || !std::filesystem::is_directory(host->parent_path(), error))
        terminate_with(server_message(3201, {.path = backup.device, .os_error = os_path_not_found}), args);
    // Windows refuses to open a folder for writing.
    if (std::filesystem::is_directory(*host, error))
        terminate_with(server_message(3201, {.path = backup.device, .os_error = os_access_denied}), args);
    // Without INIT SQL Server appends another backup set to the file; this
    // format holds one.
    if (!backup.init && std::filesystem::exists(*host, error)) fail(not_supported(statement_text));

    BackupSource source = describe_database(context, *database, backup);
    const uint64_t data_bytes = source.description.data_bytes;
    const std::u16string name = database->name;
    const std::vector<DatabaseFile> files = database->files;
    const Stopwatch stopwatch;
    ProgressReporter progress(context, backup.stats_percent);

    // The file takes its size, less the backup INIT overwrites.
    const uint64_t size = backup_file_size(source.description);
    const uint64_t replaced = std::filesystem::exists(*host, error) ? std::filesystem::file_size(*host, error) : 0;
    const auto letter = drive_letter(backup.device);
    const auto free = letter ? context.drive_space.free_bytes(*letter) : std::nullopt;
    if (free && size > *free + replaced) {
        // SQL Server finds the disk full while it writes: the progress that
        // fitted, then 3202. Nothing of this backup is kept.
        const uint64_t room = *free + replaced;
        const uint64_t header = size - data_bytes;
        const uint64_t fitting = room > header ? room - header : 0;
        const int percent = data_bytes > 0 ? static_cast<int>(std::min<uint64_t>(99, fitting * 100 / data_bytes)) : 0;
        bool going_on = false;
        {
            const Unlocked unlocked(context.lock);
            going_on = progress.report_up_to(percent);
        }
        if (!going_on) return {std::nullopt, true};
        terminate_with(server_message(3202, {.path = backup.device, .os_error = os_disk_full}), args);
    }
    std::map<char, int64_t> taken;
    if (letter) taken[*letter] = static_cast<int64_t>(size) - static_cast<int64_t>(replaced);
    SpaceReservation space(context.drive_space, taken);

    const auto temporary = std::filesystem::path(*host).concat(".writing-" + std::to_string(context.spid));
    FileHandle out(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (out.get() < 0) terminate_with(server_message(3201, {.path = backup.device, .os_error = os_error_text(errno)}), args);
    bool finished = false;
    try {
        const Unlocked unlocked(context.lock);
        // The last step comes after the data file's pages are counted, as on SQL Server.
        finished = write_backup(out.get(), std::move(source.description), source.data_file, source.log_bytes,
                                [&](uint64_t copied) {
                                    return progress.report_up_to(static_cast<int>(std::min<uint64_t>(99, copied * 100 / data_bytes)));
                                });
    } catch (const std::system_error& failure) {
        remove_file_quietly(temporary);
        terminate_with(server_message(3202, {.path = backup.device, .os_error = os_error_text(failure.code().value())}), args);
    }
    int64_t total_pages = 0;
    auto report_files = [&](FileKind kind) {
        for (const auto& file : files) {
            if (file.kind != kind) continue;
            const int64_t file_pages = kind == FileKind::data ? pages(data_bytes) : log_pages_processed;
            total_pages += file_pages;
            context.sink.message(server_message(4035, {.name = name, .logical = file.logical, .count = file_pages}));
        }
    };
    if (finished) report_files(FileKind::data);
    if (!finished || !progress.report_up_to(100)) {
        remove_file_quietly(temporary);
        return {std::nullopt, true};
    }
    std::filesystem::rename(temporary, *host, error);
    if (error) {
        remove_file_quietly(temporary);
        terminate_with(server_message(3202, {.path = backup.device, .os_error = os_error_text(error.value())}), args);
    }
    space.keep();
    report_files(FileKind::log);
    context.sink.message(server_message(
        3014, {.operation = u"BACKUP DATABASE", .count = total_pages, .milliseconds = stopwatch.milliseconds()}));
    return {};
}

}  // namespace emulator
