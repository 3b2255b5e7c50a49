// Windows path mapping: drive letter, then components split at \ or /.
#include "windows_paths.h"

#include "text.h"

namespace emulator {

std::optional<std::filesystem::path> map_windows_path(const std::u16string& path, const DriveMap& drives) {
    if (path.size() < 3 || path[1] != u':' || (path[2] != u'\\' && path[2] != u'/')) return std::nullopt;
    const char16_t letter = fold_case(path[0]);
    if (letter < u'A' || letter > u'Z') return std::nullopt;
    const auto drive = drives.find(static_cast<char>(letter));
    if (drive == drives.end()) return std::nullopt;

    std::filesystem::path result = drive->second;
    std::u16string component;
    auto append = [&]() {
        // Doubled separators name the same folder on Windows.
        if (component.empty() || component == u".") return true;
        if (component == u"..") return false;
        result /= std::filesystem::path(to_utf8(component));
        return true;
    };
    for (size_t i = 3; i < path.size(); ++i) {
        if (path[i] == u'\\' || path[i] == u'/') {
            if (!append()) return std::nullopt;
            component.clear();
        } else {
            component += path[i];
        }
    }
    if (!append()) return std::nullopt;
    return result;
}

std::optional<char> drive_letter(const std::u16string& path) {
    if (path.size() < 2 || path[1] != u':') return std::nullopt;
    const char16_t letter = fold_case(path[0]);
    if (letter < u'A' || letter > u'Z') return std::nullopt;
    return static_cast<char>(letter);
}

}  // namespace emulator
