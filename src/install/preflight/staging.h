// The staging file: the template's local copy that the server restores from.
#pragma once

#include <optional>
#include <string>

namespace install {

struct InstallRun;

// Copies the template to the staging path; the system's message when it cannot.
std::optional<std::wstring> stage_template(InstallRun& run);

// Removes the staging file when the run made one; every end of a run calls it.
void remove_staged_template(InstallRun& run);

}  // namespace install
