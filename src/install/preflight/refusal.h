// The pre-flight's end: why the install will not go on, told to the
// operator before anything on the server has changed.
#pragma once

#include "install/install_outcome.h"

#include <string>

namespace platform {
class Transaction;
}

namespace install {

struct InstallRun;

// Why the pre-flight will not let the install go on, in the operator's words.
struct Refusal {
    std::wstring problem;  // what is wrong, naming the file, folder or login
    std::wstring advice;   // what to do about it
};

// The server could not answer one of the pre-flight's questions: its own words.
Refusal unanswered(const platform::Transaction& sqlca);

// The problem on the status line and in the log, a warning naming it, the
// staging file removed, the connection closed; returns `refused`.
InstallOutcome refuse_install(InstallRun& run, const Refusal& refusal);

}  // namespace install
