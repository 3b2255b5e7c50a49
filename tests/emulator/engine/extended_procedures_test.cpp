// xp_fileexist and xp_fixeddrives on the mapped drives.
#include "engine_fixture.h"

#include <fstream>

namespace emulator::testing {
namespace {

class ExtendedProceduresTest : public EngineTest {
protected:
    ExtendedProceduresTest() { sa_ = login_sa(); }
    int sa_ = 0;
};

// In a folder the service account may not open (--unreadable), the
// procedure sees nothing.
TEST_F(ExtendedProceduresTest, FileExistAnswersThreeFlagsForAWindowsPath) {
    std::ofstream(drive_c() / "zq.tmp") << "staged";
    std::filesystem::create_directories(drive_c() / "Users" / "op" / "Desktop");
    std::ofstream(drive_c() / "Users" / "op" / "Desktop" / "mirvox.dat") << "template";
    auto engine_options = options();
    engine_options.unreadable = {u"C:\\Users\\op\\Desktop\\"};
    start(engine_options);
    sa_ = login_sa();
    const struct {
        std::u16string path;
        std::vector<Value> flags;  // File Exists, File is a Directory, Parent Directory Exists
    } cases[] = {
        {u"C:\\zq.tmp", {1, 0, 1}},
        {u"D:\\data", {0, 1, 1}},
        {u"D:\\data\\", {0, 1, 1}},
        {u"D:\\data\\missing.bak", {0, 0, 1}},
        {u"D:\\nofolder\\missing.bak", {0, 0, 0}},
        {u"C:\\", {0, 1, 0}},
        {u"E:\\data", {0, 0, 0}},   // no such drive on the server
        {u"data\\x.bak", {0, 0, 0}},  // not a full path
        {u"C:\\data\\..\\..\\etc", {0, 0, 0}},
        {u"C:\\Users\\op\\Desktop\\mirvox.dat", {0, 0, 0}},
        {u"C:\\Users\\op\\Desktop", {0, 0, 1}},
        {u"C:/Users/op/Desktop/", {0, 0, 1}},
        {u"C:\\Users\\op", {0, 1, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(utf8(c.path));
        const auto sink = ok(sa_, u"EXEC master.dbo.xp_fileexist N'" + c.path + u"'");
        ASSERT_EQ(sink.results.size(), 1u);
        ASSERT_EQ(sink.results[0].rows.size(), 1u);
        EXPECT_EQ(sink.results[0].rows[0], c.flags);
    }
    const auto plain = ok(sa_, u"xp_fileexist 'C:\\zq.tmp'");
    const ResultSet& result = plain.results.at(0);
    ASSERT_EQ(result.columns.size(), 3u);
    EXPECT_EQ(result.columns[0].name, u"File Exists");
    EXPECT_EQ(result.columns[1].name, u"File is a Directory");
    EXPECT_EQ(result.columns[2].name, u"Parent Directory Exists");
    for (const Column& column : result.columns) EXPECT_EQ(column.type, ColumnType::int32);

    for (const std::u16string sql : {u"EXEC master.dbo.xp_fileexist N'C:\\zq.tmp', @exists OUTPUT",
                                     u"EXEC master.dbo.xp_fileexist", u"EXEC xp_fileexist 5",
                                     u"EXEC master.dbo.xp_dirtree N'C:\\'"}) {
        const auto refused = run(sa_, sql);
        ASSERT_EQ(refused.messages.size(), 1u) << utf8(sql);
        EXPECT_EQ(refused.messages[0].text, u"The SQL Server emulator does not support the statement '" + sql + u"'.");
    }
}

}  // namespace
}  // namespace emulator::testing
