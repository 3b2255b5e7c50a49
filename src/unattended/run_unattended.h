// The installer without its window: the same install pipeline, driven by the
// command line, reporting on standard output and standard error.
#pragma once

#include <string>
#include <vector>

namespace unattended {

// Runs the program as its arguments ask (`--unattended ...`, `--help` or
// `--version`) and returns the process exit status.
int run_from_command_line(const std::vector<std::wstring>& arguments);

}  // namespace unattended
