// BACKUP DATABASE: the description is taken under the engine lock, the data
// file is streamed without it.
#include "backup_restore.h"

#include "backup_format.h"
#include "database_files.h"
#include "long_operation.h"
#include "messages.h"
#include "windows_paths.h"

#include <cerrno>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace emulator {

Outcome run_backup(StatementContext& context, const BackupStatement& backup) {
    const MessageArgs args{.operation = u"BACKUP DATABASE"};
    const Database* database = context.catalog.find_database(backup.database);
    if (!database) terminate_with(server_message(911, {.name = backup.database}), args);
    const auto host = map_windows_path(backup.device, context.options.drives);
    std::error_code error;
    if (!host || !std::filesystem::is_directory(host->parent_path(), error))
        terminate_with(server_message(3201, {.path = backup.device, .os_error = os_path_not_found}), args);

    BackupDescription description{database->name, {}, database->tables, 0};
    std::filesystem::path data_file;
    uint64_t log_bytes = 0;
    for (const auto& file : database->files) {
        description.files.push_back({file.logical, file.filename, {}, file.kind});
        if (file.host_path.empty()) continue;
        if (file.kind == FileKind::data && data_file.empty()) data_file = file.host_path;
        if (file.kind == FileKind::log) log_bytes = std::filesystem::file_size(file.host_path, error);
    }
    const std::u16string name = database->name;
    const std::vector<DatabaseFile> files = database->files;
    const auto temporary = std::filesystem::path(*host).concat(".writing-" + std::to_string(context.spid));

    const Stopwatch stopwatch;
    bool finished = false;
    try {
        const Unlocked unlocked(context.lock);
        FileHandle out(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
        if (out.get() < 0) throw std::system_error(errno, std::generic_category(), host->string());
        finished = write_backup(out.get(), std::move(description), data_file, log_bytes,
                                [&](uint64_t) { return !context.sink.attention_requested(); });
        if (finished) std::filesystem::rename(temporary, *host);
    } catch (const std::system_error& failure) {
        remove_file_quietly(temporary);
        terminate_with(server_message(3201, {.path = backup.device, .os_error = os_error_text(failure.code().value())}), args);
    }
    if (!finished) {
        remove_file_quietly(temporary);
        return {std::nullopt, true};
    }

    const int64_t data_pages = pages(data_file.empty() ? 0 : std::filesystem::file_size(data_file, error));
    int64_t total_pages = 0;
    for (const auto& file : files) {
        const int64_t file_pages = file.kind == FileKind::data ? data_pages : log_pages_processed;
        total_pages += file_pages;
        context.sink.message(server_message(4035, {.name = name, .logical = file.logical, .count = file_pages}));
    }
    context.sink.message(server_message(
        3014, {.operation = u"BACKUP DATABASE", .count = total_pages, .milliseconds = stopwatch.milliseconds()}));
    return {};
}

}  // namespace emulator
