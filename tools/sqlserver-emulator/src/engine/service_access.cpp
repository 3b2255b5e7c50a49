// Folder containment on Windows paths.
#include "service_access.h"

#include "text.h"

namespace emulator {
namespace {

// Separators as backslashes, runs of them as one, and one at the end.
std::u16string folder_form(std::u16string_view path) {
    std::u16string form;
    for (char16_t c : path) {
        const char16_t unit = c == u'/' ? u'\\' : c;
        if (unit == u'\\' && !form.empty() && form.back() == u'\\') continue;
        form += fold_case(unit);
    }
    if (form.empty() || form.back() != u'\\') form += u'\\';
    return form;
}

}  // namespace

bool service_may_open(const std::u16string& windows_path, const EngineOptions& options) {
    const std::u16string path = folder_form(windows_path);
    for (const auto& folder : options.unreadable)
        if (path.starts_with(folder_form(folder))) return false;
    return true;
}

}  // namespace emulator
