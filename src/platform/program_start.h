// Starting another program without waiting for it, with its arguments handed
// over unchanged.
#pragma once

#include "outcome.h"

#include <string>
#include <vector>

namespace platform {

// `program` and `arguments` as one command line that CommandLineToArgvW and
// the C runtime split back into exactly `program` followed by `arguments`.
std::wstring command_line_for(const std::wstring& program, const std::vector<std::wstring>& arguments);

// Starts `program` (a full path) with `arguments` in this process's working
// directory and returns at once. The program gets no console and none of
// this process's handles, so it holds nothing of the caller's open.
Outcome start_program(const std::wstring& program, const std::vector<std::wstring>& arguments);

}  // namespace platform
