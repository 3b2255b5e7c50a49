// String values under HKEY_LOCAL_MACHINE, in the 32-bit registry view that a
// 32-bit program sees. Key paths are relative to HKLM, e.g.
// L"SOFTWARE\\Microsoft\\MSSQLServer\\Setup".
#pragma once

#include <optional>
#include <string>

namespace platform {

// The REG_SZ/REG_EXPAND_SZ value, or nullopt when the key or value is absent
// or holds another type.
std::optional<std::wstring> read_machine_string(const std::wstring& key, const std::wstring& value_name);

// Creates the key when missing and creates or replaces the REG_SZ value.
// Returns false when the registry refused (no right to write).
bool write_machine_string(const std::wstring& key, const std::wstring& value_name, const std::wstring& data);

}  // namespace platform
