// The release table. Internal database versions as SQL Server's errorlog and
// RESTORE HEADERONLY show them; the oldest restorable release follows each
// release's supported upgrade paths; the lowest compatibility level is the
// least ALTER DATABASE ... SET COMPATIBILITY_LEVEL lists for the release;
// @@VERSION's parts are those of each release's RTM build.
#include "server_release.h"

#include "text.h"

#include <array>
#include <charconv>
#include <stdexcept>

namespace emulator {
namespace {

constexpr std::array<Release, 10> releases = {{
    {8, 0, u"2000", 539, {7, 0, 0}, 0, 80, false, u"Aug  6 2000 00:57:48", u"Copyright (c) 1988-2000 Microsoft Corporation"},
    {9, 0, u"2005", 611, {7, 0, 0}, 4096, 80, false, u"Oct 14 2005 00:33:37",
     u"Copyright (c) 1988-2005 Microsoft Corporation"},
    {10, 0, u"2008", 655, {8, 0, 0}, 4096, 80, true, u"Jul  9 2008 14:17:44",
     u"Copyright (c) 1988-2008 Microsoft Corporation"},
    {10, 50, u"2008 R2", 661, {8, 0, 0}, 10240, 80, true, u"Apr  2 2010 15:48:46", u"Copyright (c) Microsoft Corporation"},
    {11, 0, u"2012", 706, {9, 0, 0}, 10240, 90, false, u"Feb 10 2012 19:39:15", u"Copyright (c) Microsoft Corporation"},
    {12, 0, u"2014", 782, {9, 0, 0}, 10240, 100, false, u"Feb 20 2014 20:04:26", u"Copyright (c) Microsoft Corporation"},
    {13, 0, u"2016", 852, {10, 0, 0}, 10240, 100, true, u"Apr 29 2016 23:23:58", u"Copyright (c) Microsoft Corporation"},
    {14, 0, u"2017", 869, {10, 0, 0}, 10240, 100, true, u"Aug 22 2017 17:04:49",
     u"Copyright (C) 2017 Microsoft Corporation"},
    {15, 0, u"2019", 904, {10, 0, 0}, 10240, 100, true, u"Sep 24 2019 13:48:23",
     u"Copyright (C) 2019 Microsoft Corporation"},
    {16, 0, u"2022", 957, {10, 0, 0}, 10240, 100, true, u"Oct  8 2022 05:58:25",
     u"Copyright (C) 2022 Microsoft Corporation"},
}};

std::u16string padded(int32_t number, size_t digits) {
    std::u16string text = to_u16(number);
    if (text.size() < digits) text.insert(0, digits - text.size(), u'0');
    return text;
}

bool older_release(const ServerVersion& a, const ServerVersion& b) {
    return a.major < b.major || (a.major == b.major && a.minor < b.minor);
}

}  // namespace

const Release* find_release(int32_t major, int32_t minor) {
    for (const Release& release : releases)
        if (release.major == major && release.minor == minor) return &release;
    return nullptr;
}

const Release& release_of(const ServerVersion& version) {
    const Release* release = find_release(version.major, version.minor);
    if (!release) throw std::logic_error("no SQL Server release has version " + std::to_string(version.major) + "." +
                                         std::to_string(version.minor));
    return *release;
}

std::optional<ProductVersion> parse_product_version(std::string_view text) {
    std::array<int32_t, 4> parts{};
    // The LOGINACK carries major and minor in a byte each, the build in two.
    constexpr std::array<int32_t, 4> limits = {255, 255, 65535, 65535};
    for (size_t i = 0; i < parts.size(); ++i) {
        const char* end = text.data() + text.size();
        const auto [next, error] = std::from_chars(text.data(), end, parts[i]);
        if (error != std::errc() || next == text.data() || parts[i] < 0 || parts[i] > limits[i]) return std::nullopt;
        text.remove_prefix(static_cast<size_t>(next - text.data()));
        if (i + 1 < parts.size()) {
            if (!text.starts_with('.')) return std::nullopt;
            text.remove_prefix(1);
        }
    }
    if (!text.empty() || !find_release(parts[0], parts[1])) return std::nullopt;
    return ProductVersion{{parts[0], parts[1], parts[2]}, parts[3]};
}

std::u16string product_version_text(const ProductVersion& version) {
    const ServerVersion& v = version.version;
    if (v.major >= 10)
        return to_u16(v.major) + u"." + to_u16(v.minor) + u"." + to_u16(v.build) + u"." + to_u16(version.revision);
    const std::u16string base = to_u16(v.major) + u"." + padded(v.minor, 2) + u"." + to_u16(v.build);
    return v.major >= 9 ? base + u"." + padded(version.revision, 2) : base;
}

bool written_by_newer(const ServerVersion& server, const ServerVersion& backup, int32_t backup_database_version) {
    return older_release(server, backup) || backup_database_version > release_of(server).database_version;
}

bool can_restore(const ServerVersion& server, const ServerVersion& backup, int32_t backup_database_version) {
    return !written_by_newer(server, backup, backup_database_version) &&
           !older_release(backup, release_of(server).oldest_restorable);
}

}  // namespace emulator
