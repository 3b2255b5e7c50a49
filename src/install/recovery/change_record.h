// Writing down what is about to change before changing it: every phase that
// sends a change to the server records it first in the run's record.
#pragma once

namespace install {

struct InstallRun;
struct LoginRecord;

// Writes the run's record with its changes so far. False when it cannot be
// written, with the cause of the failure set: without the record an
// interruption could not be put right at the next start, so the change must
// not be sent.
bool record_changes(InstallRun& run);

// Adds a login about to be dropped to the changes, keeps its password hash
// out of the run's log file, and writes the record as record_changes does.
bool record_login_drop(InstallRun& run, const LoginRecord& login);

}  // namespace install
