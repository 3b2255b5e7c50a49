// The staging file: the template's local copy that the server restores from
// when it cannot open the operator's file where it lies.
#pragma once

#include <optional>
#include <string>

namespace install {

struct InstallRun;

// Removes a file an earlier run left at the staging path, read-only or not.
void remove_leftover_staging_file(const InstallRun& run);

// Copies the template to the staging path and holds the copy against
// writes; the system's message when it cannot.
std::optional<std::wstring> stage_template(InstallRun& run);

// Removes the staging file when the run made one; every end of a run calls it.
void remove_staged_template(InstallRun& run);

}  // namespace install
