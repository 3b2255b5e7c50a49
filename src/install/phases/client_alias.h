// The client alias mirvox, by which the store application (a 32-bit
// program, reading the 32-bit registry view) finds its server: written in
// both registry views under SQL Server's ConnectTo key.
#pragma once

#include "platform/outcome.h"

#include <string>

namespace install {

struct InstallRun;

extern const std::wstring alias_key;   // relative to HKLM
extern const std::wstring alias_name;  // "mirvox"

// Writes `data` as the alias in the 32-bit view, then the 64-bit view; an
// alias that held other data is replaced and its old data logged. Fails at
// the first view the registry refuses, with its reason.
platform::Outcome write_client_alias(InstallRun& run, const std::wstring& data);

}  // namespace install
