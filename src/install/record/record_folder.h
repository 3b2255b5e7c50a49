// The folder that keeps the runs' log and the run's record
// (%ProgramData%\Korvena), made private to SYSTEM and the Administrators
// before a run writes anything there.
#pragma once

#include "platform/private_access.h"

#include <optional>
#include <string>

namespace install {

// Why nothing may be written to the folder, in the operator's words; the
// install must not start then.
std::wstring folder_refusal_text(const std::wstring& folder, const platform::FolderCheck& check);

// Makes the folder private; the warning to show when it is refused,
// nullopt when the run may go on.
std::optional<std::wstring> secure_record_folder();

}  // namespace install
