// Writing the detection key.
#include "install/phases/detection_key.h"

#include "dbinstall_version.h"
#include "platform/clock.h"
#include "platform/registry.h"

namespace install {

const std::wstring detection_key = L"SOFTWARE\\Korvena\\Database";

platform::Outcome write_detection_key(const DetectionValues& values)
{
    const std::pair<const wchar_t*, std::wstring> entries[] = {
        {L"InstalledVersion", L"" KORVENA_VERSION_TEXT},
        {L"Database", values.database},
        {L"Server", values.server},
        {L"StoreMode", store_mode_word(values.store_mode)},
        {L"InstalledAt", platform::iso_8601(platform::local_time_now())},
    };
    for (const auto& [name, data] : entries) {
        const platform::Outcome written =
            platform::write_machine_string(platform::RegistryView::bits64, detection_key, name, data);
        if (!written.succeeded)
            return written;
    }
    return {true, {}};
}

}  // namespace install
