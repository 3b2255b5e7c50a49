// A log file that lines are appended to: UTF-8, each line written through at
// once (another program, or the next run, may append to the same file), and
// never a reason to stop what is being logged.
#pragma once

#include "outcome.h"
#include "private_access.h"

#include <string>

namespace platform {

// %ProgramData%\Korvena: what the installer keeps on this computer.
std::wstring korvena_data_folder();

// Creates korvena_data_folder() for SYSTEM and the Administrators only, or
// checks the one there (see make_private_folder): the log and the run's
// record hold what a run did to a shop's server.
FolderCheck secure_korvena_data_folder();

// %ProgramData%\Korvena\dbinstall.log, where every run leaves its record.
std::wstring default_log_file();

class LogFile {
public:
    explicit LogFile(std::wstring path) : path_(std::move(path)) {}

    // Appends `line` and CR LF, creating the file and its folder when
    // missing. Fails with the system's reason when the file cannot be written.
    Outcome append(const std::wstring& line);

    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
};

}  // namespace platform
