// String values under HKEY_LOCAL_MACHINE, in the registry view the caller
// names: a 64-bit Windows keeps HKLM\SOFTWARE twice, and SQL Server 2000's
// keys are in the 32-bit view, a current SQL Server's in the 64-bit one. The
// program is 32-bit, so an access without a view would mean the 32-bit one
// there; every access names its view. A 32-bit Windows has one view, which
// both names mean. Key paths are relative to HKLM, e.g.
// L"SOFTWARE\\Microsoft\\MSSQLServer\\Setup".
#pragma once

#include "outcome.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace platform {

enum class RegistryView { bits32, bits64 };

// The REG_SZ/REG_EXPAND_SZ value, or nullopt when the key or value is absent
// or holds another type.
std::optional<std::wstring> read_machine_string(RegistryView view, const std::wstring& key,
                                                const std::wstring& value_name);

// The REG_DWORD value, or nullopt when the key or value is absent or holds
// another type.
std::optional<uint32_t> read_machine_dword(RegistryView view, const std::wstring& key, const std::wstring& value_name);

// The key's string values (REG_SZ, REG_EXPAND_SZ) as name and text, in no
// particular order; empty when the key is absent.
std::vector<std::pair<std::wstring, std::wstring>> machine_string_values(RegistryView view, const std::wstring& key);

// Creates the key when missing and creates or replaces the REG_SZ value.
// Fails when the registry refuses (no right to write), with its reason.
Outcome write_machine_string(RegistryView view, const std::wstring& key, const std::wstring& value_name,
                             const std::wstring& data);

// Creates the key when missing and creates or replaces the REG_DWORD value.
Outcome write_machine_dword(RegistryView view, const std::wstring& key, const std::wstring& value_name, uint32_t data);

}  // namespace platform
