// RESTORE DATABASE: checks under the engine lock, file copies without it,
// then the catalog change under it again.
#include "backup_restore.h"

#include "backup_device.h"
#include "backup_format.h"
#include "database_files.h"
#include "datetime.h"
#include "long_operation.h"
#include "messages.h"
#include "principals.h"
#include "progress_reporter.h"
#include "server_edition.h"
#include "server_release.h"
#include "service_access.h"
#include "windows_paths.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <map>
#include <system_error>
#include <unistd.h>

namespace emulator {
namespace {

struct RestoreTarget {
    const DatabaseFile* source;  // the file as the backup describes it
    std::u16string filename;     // where it goes, as the statement names it
    std::filesystem::path host_path;
    std::filesystem::path temporary;
    uint64_t size = 0;  // what the restored file will take
};

std::vector<RestoreTarget> plan_targets(StatementContext& context, const RestoreStatement& restore,
                                        const BackupContents& contents, const MessageArgs& args) {
    const BackupDescription& backup = contents.description;
    for (const auto& move : restore.moves) {
        bool known = false;
        for (const auto& file : backup.files) known = known || equals_ci(file.logical, move.logical);
        if (!known) terminate_with(server_message(3234, {.name = restore.database, .logical = move.logical}), args);
    }
    const Database* existing = context.catalog.find_database(restore.database);
    if (existing && !restore.replace && !equals_ci(backup.database, existing->name))
        terminate_with(server_message(3154, {.name = existing->name}), args);

    std::vector<RestoreTarget> targets;
    for (size_t index = 0; index < backup.files.size(); ++index) {
        const DatabaseFile& file = backup.files[index];
        RestoreTarget target{&file, file.filename, {}, {}, restored_file_size(contents, index)};
        for (const auto& move : restore.moves)
            if (equals_ci(move.logical, file.logical)) target.filename = move.target;
        const auto host = map_windows_path(target.filename, context.options.drives);
        std::error_code error;
        // Where the service account may not write, SQL Server names the step
        // that failed, then the file, then the planning, then the statement.
        if (!service_may_open(target.filename, context.options)) {
            ServerMessage cannot_restore = server_message(3156, {.name = file.logical, .path = target.filename});
            fail({server_message(3634, {.path = target.filename, .os_error = os_access_denied}), cannot_restore,
                  server_message(3119), server_message(3013, args)});
        }
        if (!host || !std::filesystem::is_directory(host->parent_path(), error))
            terminate_with(server_message(5133, {.path = target.filename}), args);
        if (const Database* owner = context.catalog.owner_of_file(*host, restore.database))
            terminate_with(server_message(1834, {.other = owner->name, .path = target.filename}), args);
        bool belongs_to_existing = false;
        if (existing)
            for (const auto& own : existing->files)
                belongs_to_existing = belongs_to_existing || (!own.host_path.empty() &&
                                                              std::filesystem::weakly_canonical(own.host_path) ==
                                                                  std::filesystem::weakly_canonical(*host));
        if (!restore.replace && !belongs_to_existing && std::filesystem::exists(*host, error))
            terminate_with(server_message(3142, {.path = target.filename, .logical = file.logical}), args);
        target.host_path = *host;
        target.temporary = std::filesystem::path(*host).concat(".restoring-" + std::to_string(context.spid));
        targets.push_back(std::move(target));
    }
    return targets;
}

// The bytes each drive must find: the new files' sizes, less the files they
// replace in place. SQL Server adds them up per volume before it writes
// anything and refuses with 3257 when a volume falls short.
std::map<char, int64_t> space_needed(StatementContext& context, const std::vector<RestoreTarget>& targets,
                                     const MessageArgs& args) {
    std::map<char, int64_t> needed;
    for (const auto& target : targets) {
        const auto letter = drive_letter(target.filename);
        if (!letter) continue;
        std::error_code error;
        const uint64_t replaced = std::filesystem::exists(target.host_path, error)
                                      ? std::filesystem::file_size(target.host_path, error)
                                      : 0;
        needed[*letter] += static_cast<int64_t>(target.size) - static_cast<int64_t>(error ? 0 : replaced);
    }
    for (const auto& [letter, bytes] : needed) {
        const auto free = context.drive_space.free_bytes(letter);
        // The volume as Windows names its root; the rendering is not confirmed by a transcript.
        if (free && bytes > static_cast<int64_t>(*free))
            terminate_with(server_message(3257, {.path = std::u16string(1, static_cast<char16_t>(letter)) + u":\\",
                                                 .count = bytes,
                                                 .available = static_cast<int64_t>(*free)}),
                           args);
    }
    return needed;
}

// Express refuses a restore whose data files would pass its limit, as it
// refuses such a CREATE DATABASE.
void check_size_limit(StatementContext& context, const std::vector<RestoreTarget>& targets, const MessageArgs& args) {
    uint64_t data_bytes = 0;
    for (const auto& target : targets)
        if (target.source->kind == FileKind::data) data_bytes += target.size;
    if (const auto limit_mb = passed_size_limit_mb(context.options.edition, context.options.product_version.version,
                                                   data_bytes))
        terminate_with(server_message(1827, {.count = *limit_mb}), args);
}

// A target file that could not be written.
struct TargetWriteError {
    std::u16string filename;
    int error_number;
};

// Writes every target's temporary file. False when the client asked for
// attention. Throws TargetWriteError.
bool write_targets(StatementContext& context, const RestoreStatement& restore, int backup_fd,
                   const BackupContents& contents, const std::vector<RestoreTarget>& targets) {
    ProgressReporter progress(context, restore.stats_percent);
    const uint64_t total = contents.description.data_bytes;
    bool data_written = false;
    for (const auto& target : targets) {
        try {
            FileHandle out(::open(target.temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
            if (out.get() < 0) throw std::system_error(errno, std::generic_category());
            if (target.source->kind == FileKind::data && !data_written) {
                data_written = true;
                const bool finished = copy_bytes(backup_fd, contents.data_offset, out.get(), total, [&](uint64_t copied) {
                    return progress.report_up_to(static_cast<int>(copied * 100 / total));
                });
                if (!finished) return false;
            }
            // The file takes its full size; what the backup did not hold stays a hole.
            if (::ftruncate(out.get(), static_cast<off_t>(target.size)) != 0)
                throw std::system_error(errno, std::generic_category());
        } catch (const std::system_error& error) {
            throw TargetWriteError{target.filename, error.code().value()};
        }
    }
    return progress.report_up_to(100);
}

// The owner, users and user access come back as the backup had them (the
// database options are those in force at its end); an older database keeps
// its compatibility level where this release still offers it.
void adopt_backup_settings(StatementContext& context, const BackupDescription& backup, Database& restored) {
    restored.owner_sid = backup.owner_sid.empty() ? kSaSid : backup.owner_sid;
    for (const auto& user : backup.users) restored.users.emplace(user.name, user);
    restored.user_access = backup.user_access;
    if (restored.user_access != UserAccess::single_user) restored.holder.reset();
    const int32_t level = backup.compatibility_level ? backup.compatibility_level : backup.server_version.major * 10;
    const Release& release = release_of(context.options.product_version.version);
    restored.compatibility_level = std::clamp(level, release.lowest_compatibility_level, release.major * 10);
}

void remove_temporaries(const std::vector<RestoreTarget>& targets) {
    for (const auto& target : targets) remove_file_quietly(target.temporary);
}

}  // namespace

Outcome run_restore(StatementContext& context, const RestoreStatement& restore) {
    const MessageArgs args{.operation = u"RESTORE DATABASE"};
    if (is_system_database(restore.database)) fail(not_supported(u"RESTORE DATABASE " + restore.database));
    const Database* held = context.catalog.find_database(restore.database);
    if (context.catalog.database_in_use(restore.database) || context.catalog.is_restoring(restore.database) ||
        (held && held->holder && *held->holder != context.spid))
        terminate_with(server_message(3101), args);

    FileHandle backup(open_backup_device(restore.device, context.options, args));
    BackupContents contents = read_backup_device(backup.get(), restore.device, args);
    refuse_unrestorable_backup(contents.description, context.options.product_version.version, args);
    const auto targets = plan_targets(context, restore, contents, args);
    check_size_limit(context, targets, args);
    SpaceReservation space(context.drive_space, space_needed(context, targets, args));

    const Stopwatch stopwatch;
    bool finished = false;
    context.catalog.restoring.insert(restore.database);
    try {
        const Unlocked unlocked(context.lock);
        finished = write_targets(context, restore, backup.get(), contents, targets);
    } catch (const TargetWriteError& error) {
        context.catalog.restoring.erase(restore.database);
        remove_temporaries(targets);
        terminate_with(server_message(3202, {.path = error.filename, .os_error = os_error_text(error.error_number)}), args);
    } catch (...) {
        context.catalog.restoring.erase(restore.database);
        remove_temporaries(targets);
        throw;
    }
    context.catalog.restoring.erase(restore.database);
    if (!finished) {
        remove_temporaries(targets);
        return {std::nullopt, true};
    }
    // Another database may have been created on a target path meanwhile.
    for (const auto& target : targets)
        if (const Database* owner = context.catalog.owner_of_file(target.host_path, restore.database)) {
            remove_temporaries(targets);
            terminate_with(server_message(1834, {.other = owner->name, .path = target.filename}), args);
        }

    Database restored;
    restored.name = restore.database;
    if (const Database* existing = context.catalog.find_database(restore.database)) {
        restored.name = existing->name;
        restored.dbid = existing->dbid;
        restored.holder = existing->holder;
        for (const auto& old : existing->files) {
            bool reused = false;
            for (const auto& target : targets) reused = reused || old.host_path == target.host_path;
            if (reused || old.host_path.empty()) continue;
            give_back(context.drive_space, old.filename, old.host_path);
            remove_file_quietly(old.host_path);
        }
        context.catalog.databases.erase(restored.name);
    } else {
        restored.dbid = context.catalog.free_dbid();
    }
    for (const auto& target : targets) {
        std::filesystem::rename(target.temporary, target.host_path);
        DatabaseFile file = *target.source;
        file.filename = target.filename;
        file.host_path = target.host_path;
        restored.files.push_back(std::move(file));
    }
    // Like a database created now, as sys.databases shows a restored one.
    restored.created = local_now();
    restored.tables = std::move(contents.description.tables);
    adopt_backup_settings(context, contents.description, restored);
    context.catalog.databases[restored.name] = restored;
    context.save();
    space.keep();

    int64_t total_pages = 0;
    for (const auto& file : restored.files) {
        const int64_t file_pages =
            file.kind == FileKind::data ? pages(contents.description.data_bytes) : log_pages_processed;
        total_pages += file_pages;
        context.sink.message(server_message(4035, {.name = restored.name, .logical = file.logical, .count = file_pages}));
    }
    context.sink.message(server_message(
        3014, {.operation = u"RESTORE DATABASE", .count = total_pages, .milliseconds = stopwatch.milliseconds()}));
    return {};
}

}  // namespace emulator
