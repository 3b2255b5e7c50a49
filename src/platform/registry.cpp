// Registry string values under HKLM in a named view.
#include "registry.h"

#include "system_message.h"

#include <windows.h>

namespace platform {

namespace {

class OpenKey {
public:
    explicit OpenKey(HKEY key) : key_(key) {}
    ~OpenKey() { RegCloseKey(key_); }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    HKEY get() const { return key_; }

private:
    HKEY key_;
};

REGSAM access_to(RegistryView view)
{
    return view == RegistryView::bits32 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
}

// The key opened for reading, or nullopt when it is absent.
std::optional<HKEY> open_for_reading(RegistryView view, const std::wstring& key)
{
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ | access_to(view), &raw) != ERROR_SUCCESS)
        return std::nullopt;
    return raw;
}

// Stored strings need not end in NUL, and may hold one early: the text ends at the first.
std::wstring stored_text(const std::wstring& data, DWORD bytes)
{
    const std::wstring text = data.substr(0, bytes / sizeof(wchar_t));
    return text.substr(0, text.find(L'\0'));
}

Outcome written(LSTATUS status)
{
    // The registry functions return their error instead of setting the last error.
    if (status != ERROR_SUCCESS)
        return {false, system_message(static_cast<unsigned long>(status))};
    return {true, {}};
}

Outcome write_value(RegistryView view, const std::wstring& key, const std::wstring& value_name, DWORD type,
                    const void* data, DWORD bytes)
{
    HKEY raw = nullptr;
    const LSTATUS status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                           KEY_SET_VALUE | access_to(view), nullptr, &raw, nullptr);
    if (status != ERROR_SUCCESS)
        return written(status);
    const OpenKey opened(raw);
    return written(RegSetValueExW(opened.get(), value_name.c_str(), 0, type, static_cast<const BYTE*>(data), bytes));
}

}  // namespace

std::optional<std::wstring> read_machine_string(RegistryView view, const std::wstring& key,
                                                const std::wstring& value_name)
{
    const std::optional<HKEY> raw = open_for_reading(view, key);
    if (!raw)
        return std::nullopt;
    const OpenKey opened(*raw);

    // The value may change size between the two calls; retry until it fits.
    for (;;) {
        DWORD type = 0;
        DWORD bytes = 0;
        if (RegQueryValueExW(opened.get(), value_name.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS)
            return std::nullopt;
        if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
        std::wstring data(bytes / sizeof(wchar_t) + 1, L'\0');
        DWORD capacity = DWORD(data.size() * sizeof(wchar_t));
        const LSTATUS status = RegQueryValueExW(opened.get(), value_name.c_str(), nullptr, &type,
                                                reinterpret_cast<BYTE*>(data.data()), &capacity);
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
        return stored_text(data, capacity);
    }
}

std::optional<uint32_t> read_machine_dword(RegistryView view, const std::wstring& key, const std::wstring& value_name)
{
    const std::optional<HKEY> raw = open_for_reading(view, key);
    if (!raw)
        return std::nullopt;
    const OpenKey opened(*raw);
    DWORD type = 0;
    DWORD value = 0;
    DWORD bytes = sizeof(value);
    if (RegQueryValueExW(opened.get(), value_name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &bytes) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || bytes != sizeof(value))
        return std::nullopt;
    return value;
}

std::vector<std::pair<std::wstring, std::wstring>> machine_string_values(RegistryView view, const std::wstring& key)
{
    std::vector<std::pair<std::wstring, std::wstring>> values;
    const std::optional<HKEY> raw = open_for_reading(view, key);
    if (!raw)
        return values;
    const OpenKey opened(*raw);
    DWORD longest_name = 0;
    DWORD longest_data = 0;
    if (RegQueryInfoKeyW(opened.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longest_name,
                         &longest_data, nullptr, nullptr) != ERROR_SUCCESS)
        return values;
    for (DWORD index = 0;; ++index) {
        std::wstring name(longest_name + 1, L'\0');
        std::wstring data(longest_data / sizeof(wchar_t) + 1, L'\0');
        DWORD name_length = DWORD(name.size());
        DWORD bytes = DWORD(data.size() * sizeof(wchar_t));
        DWORD type = 0;
        const LSTATUS status = RegEnumValueW(opened.get(), index, name.data(), &name_length, nullptr, &type,
                                             reinterpret_cast<BYTE*>(data.data()), &bytes);
        if (status != ERROR_SUCCESS)
            break;
        if (type == REG_SZ || type == REG_EXPAND_SZ)
            values.emplace_back(name.substr(0, name_length), stored_text(data, bytes));
    }
    return values;
}

Outcome write_machine_string(RegistryView view, const std::wstring& key, const std::wstring& value_name,
                             const std::wstring& data)
{
    return write_value(view, key, value_name, REG_SZ, data.c_str(), DWORD((data.size() + 1) * sizeof(wchar_t)));
}

Outcome write_machine_dword(RegistryView view, const std::wstring& key, const std::wstring& value_name, uint32_t data)
{
    const DWORD value = data;
    return write_value(view, key, value_name, REG_DWORD, &value, sizeof(value));
}

}  // namespace platform
