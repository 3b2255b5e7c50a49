// Windows paths named in statements map onto the drive folders, or fail.
#include "text.h"
#include "windows_paths.h"

#include <gtest/gtest.h>

namespace emulator {
namespace {

TEST(WindowsPaths, MapsDriveLettersAndSeparators) {
    const DriveMap drives{{'C', "/srv/c"}, {'D', "/srv/d"}};
    const struct {
        std::u16string windows;
        std::optional<std::filesystem::path> host;
    } cases[] = {
        {u"C:\\zq.tmp", "/srv/c/zq.tmp"},
        {u"c:\\zq.tmp", "/srv/c/zq.tmp"},                                // letters ignore case
        {u"D:\\data\\\\mirvox_Log.LDF", "/srv/d/data/mirvox_Log.LDF"},   // doubled separator
        {u"D:/data/./x.MDF", "/srv/d/data/x.MDF"},
        {u"D:\\数据\\x.MDF", "/srv/d/数据/x.MDF"},
        {u"zq.tmp", std::nullopt},                                       // relative
        {u"\\\\server\\share\\x", std::nullopt},                         // UNC
        {u"E:\\x.MDF", std::nullopt},                                    // unmapped drive
        {u"C:x.MDF", std::nullopt},                                      // drive-relative
        {u"C:\\data\\..\\..\\etc\\passwd", std::nullopt},                // climbs out of the drive
    };
    for (const auto& c : cases) {
        const auto mapped = map_windows_path(c.windows, drives);
        EXPECT_EQ(mapped, c.host) << to_utf8(c.windows);
    }
}

TEST(WindowsPaths, TheDriveLetterOfAPath) {
    EXPECT_EQ(drive_letter(u"d:\\data\\x.MDF"), 'D');
    EXPECT_EQ(drive_letter(u"C:"), 'C');
    EXPECT_EQ(drive_letter(u"\\\\server\\share\\x"), std::nullopt);
    EXPECT_EQ(drive_letter(u"1:\\x"), std::nullopt);
    EXPECT_EQ(drive_letter(u"/tmp/state/data/x.mdf"), std::nullopt);
}

}  // namespace
}  // namespace emulator
