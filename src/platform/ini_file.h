// Reading string values from INI files the way Windows programs expect:
// section and key names match without regard to case, the first occurrence
// wins, spaces around names and values are dropped, and a value wrapped in one
// pair of matching quotes loses them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The value of `key` in `section` of INI text, or nullopt when the section or
// the key is absent. A key that is present with an empty value gives "".
std::optional<std::wstring> find_ini_value(std::wstring_view text, std::wstring_view section, std::wstring_view key);

// The text of an INI file read from its bytes: UTF-8 when it starts with the
// UTF-8 byte order mark, else GBK (code page 936). nullopt when the bytes are
// not text at all (a NUL byte, or a sequence invalid in the encoding).
std::optional<std::wstring> decode_ini_bytes(std::string_view bytes);

// The path of a settings file given by its bare name: the working directory's
// copy when there is one, else the one beside the program, else nullopt.
std::optional<std::wstring> locate_settings_file(const std::wstring& bare_name);

// INI read: the value of `key` in `section` of the settings file `bare_name`
// (located as above), or `default_value` when the file is absent, unreadable,
// larger than 1 MiB, not text, or lacks the section or key, or when the value
// is empty. An empty value falls back too, because an empty name is never
// usable where these values go.
std::wstring read_profile_string(const std::wstring& bare_name, std::wstring_view section, std::wstring_view key,
                                 const std::wstring& default_value);

}  // namespace platform
