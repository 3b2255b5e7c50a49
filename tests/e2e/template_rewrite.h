// Templates the tests derive from the fixture's own: the same backup written
// again as another server would have written it, or with larger files.
#pragma once

#include "backup_format.h"

#include <filesystem>
#include <functional>

namespace e2e {

// Writes `to` as a copy of the backup `from` with `change` made to its
// description (its header and files); the data it holds stays the same.
// Fails the current test when either file cannot be used.
void rewrite_template(const std::filesystem::path& from, const std::filesystem::path& to,
                      const std::function<void(emulator::BackupDescription&)>& change);

}  // namespace e2e
