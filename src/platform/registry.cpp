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

}  // namespace

std::optional<std::wstring> read_machine_string(RegistryView view, const std::wstring& key,
                                                const std::wstring& value_name)
{
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE | access_to(view), &raw) != ERROR_SUCCESS)
        return std::nullopt;
    const OpenKey opened(raw);

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
        // Stored strings need not end in NUL, and may hold one early: the text ends at the first.
        data.resize(capacity / sizeof(wchar_t));
        return data.substr(0, data.find(L'\0'));
    }
}

Outcome write_machine_string(RegistryView view, const std::wstring& key, const std::wstring& value_name,
                             const std::wstring& data)
{
    HKEY raw = nullptr;
    // The registry functions return their error instead of setting the last error.
    LSTATUS status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_SET_VALUE | access_to(view), nullptr, &raw, nullptr);
    if (status != ERROR_SUCCESS)
        return {false, system_message(static_cast<unsigned long>(status))};
    const OpenKey opened(raw);
    const DWORD bytes = DWORD((data.size() + 1) * sizeof(wchar_t));
    status = RegSetValueExW(opened.get(), value_name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                            bytes);
    if (status != ERROR_SUCCESS)
        return {false, system_message(static_cast<unsigned long>(status))};
    return {true, {}};
}

}  // namespace platform
