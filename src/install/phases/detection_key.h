// The detection key: what a successful install leaves in the registry for a
// deployment tool (Intune, Configuration Manager) to tell that this computer
// has the database: HKLM\SOFTWARE\Korvena\Database in the 64-bit view.
#pragma once

#include "install/install_form.h"
#include "platform/outcome.h"

#include <string>

namespace install {

extern const std::wstring detection_key;  // relative to HKLM

struct DetectionValues {
    std::wstring database;
    std::wstring server;
    StoreMode store_mode;
};

// Writes InstalledVersion (this program's), Database, Server, StoreMode (its
// word) and InstalledAt (now, ISO 8601); fails at the first refused value.
platform::Outcome write_detection_key(const DetectionValues& values);

}  // namespace install
