// String values under HKEY_LOCAL_MACHINE, in the registry view the caller
// names: a 64-bit Windows keeps HKLM\SOFTWARE twice, and SQL Server 2000's
// keys are in the 32-bit view, a current SQL Server's in the 64-bit one. Key
// paths are relative to HKLM, e.g. L"SOFTWARE\\Microsoft\\MSSQLServer\\Setup".
#pragma once

#include "outcome.h"

#include <optional>
#include <string>

namespace platform {

enum class RegistryView { bits32, bits64 };

// The REG_SZ/REG_EXPAND_SZ value, or nullopt when the key or value is absent
// or holds another type.
std::optional<std::wstring> read_machine_string(RegistryView view, const std::wstring& key,
                                                const std::wstring& value_name);

// Creates the key when missing and creates or replaces the REG_SZ value.
// Fails when the registry refuses (no right to write), with its reason.
Outcome write_machine_string(RegistryView view, const std::wstring& key, const std::wstring& value_name,
                             const std::wstring& data);

}  // namespace platform
