// What the server's service account may open: nothing in or under the
// folders given --unreadable, as on a Windows whose user folders (the
// desktop, the downloads) grant access to their owner alone.
#pragma once

#include "engine.h"

#include <string>

namespace emulator {

// False when the Windows path is one of the unreadable folders or lies under
// one (compared without case, / and \ alike).
bool service_may_open(const std::u16string& windows_path, const EngineOptions& options);

}  // namespace emulator
