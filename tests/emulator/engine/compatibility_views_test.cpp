// sysaltfiles and sysfiles: SQL Server's columns, types and numbering, read
// through the SELECT machinery the installer uses.
#include "engine_fixture.h"
#include "text.h"

namespace emulator::testing {
namespace {

class CompatibilityViewsTest : public EngineTest {
protected:
    CompatibilityViewsTest() { sa_ = login_sa(); }

    std::vector<std::vector<Value>> rows(const std::u16string& sql) { return ok(sa_, sql).results.at(0).rows; }

    int sa_ = 0;
};

std::u16string text(const char16_t* value) { return value; }

TEST_F(CompatibilityViewsTest, TheInstallersFileQueryFindsTheDatabasesFilesInPages) {
    ok(sa_, u"CREATE DATABASE mirvox  ON PRIMARY (NAME = N'mirvox_Data', FILENAME = N'D:\\data\\mirvox_Data.MDF' , "
            u"SIZE = 12, FILEGROWTH = 30%) LOG ON (NAME = N'mirvox_Log', FILENAME = N'D:\\data\\mirvox_Log.LDF' , "
            u"SIZE = 3, FILEGROWTH = 30%)");
    ok(sa_, u"CREATE DATABASE other ON PRIMARY (NAME = N'other_Data', FILENAME = N'D:\\data\\other.MDF')");
    const auto sink = ok(sa_, u"select a.name, a.filename, a.size from master.dbo.sysaltfiles a , "
                              u"master.dbo.sysdatabases b where a.dbid =b.dbid and b.name =N'mirvox'");
    const ResultSet& result = sink.results.at(0);
    ASSERT_EQ(result.columns.size(), 3u);
    EXPECT_EQ(result.columns[0].name, u"name");
    EXPECT_EQ(result.columns[1].length, 260);
    EXPECT_EQ(result.columns[2].type, ColumnType::int32);
    EXPECT_EQ(result.rows, (std::vector<std::vector<Value>>{
                               {text(u"mirvox_Data"), text(u"D:\\data\\mirvox_Data.MDF"), 12 * 128},
                               {text(u"mirvox_Log"), text(u"D:\\data\\mirvox_Log.LDF"), 3 * 128}}));
    EXPECT_TRUE(rows(u"select a.name from master.dbo.sysaltfiles a , master.dbo.sysdatabases b where a.dbid "
                     u"=b.dbid and b.name =N'nosuch'")
                    .empty());
}

TEST_F(CompatibilityViewsTest, RowsCarryGrowthLimitsAndStatusAsSqlServerShowsThem) {
    ok(sa_, u"CREATE DATABASE shop ON PRIMARY (NAME = N'shop_a', FILENAME = N'D:\\data\\shop_a.MDF', SIZE = 2, "
            u"MAXSIZE = 100MB, FILEGROWTH = 10MB), (NAME = N'shop_b', FILENAME = N'D:\\data\\shop_b.NDF', SIZE = 1, "
            u"MAXSIZE = UNLIMITED, FILEGROWTH = 30%) LOG ON (NAME = N'shop_log', FILENAME = N'D:\\data\\shop.LDF', "
            u"SIZE = 1)");
    ok(sa_, u"CREATE DATABASE plain");
    const auto all = ok(sa_, u"select * from master.dbo.sysaltfiles");
    std::vector<std::u16string> names;
    for (const Column& column : all.results.at(0).columns) names.push_back(column.name);
    EXPECT_EQ(names, (std::vector<std::u16string>{u"fileid", u"groupid", u"size", u"maxsize", u"growth", u"status",
                                                  u"perf", u"dbid", u"name", u"filename"}));
    EXPECT_EQ(all.results[0].columns[0].type, ColumnType::smallint);
    EXPECT_EQ(all.results[0].columns[7].type, ColumnType::smallint);

    const Value shop = scalar(sa_, u"select dbid from sysdatabases where name = 'shop'");
    const Value plain = scalar(sa_, u"select dbid from sysdatabases where name = 'plain'");
    const std::u16string columns = u"select fileid, groupid, size, maxsize, growth, status, perf, name from sysaltfiles";
    // The log is file 2 though named last; status: 0x2 disk, 0x40 log, 0x100000 growth in percent.
    EXPECT_EQ(ok(sa_, columns + u" where dbid = " + to_u16(std::get<int32_t>(shop))).results.at(0).rows,
              (std::vector<std::vector<Value>>{{1, 1, 256, 12800, 1280, 0x2, 0, text(u"shop_a")},
                                               {2, 0, 128, 268435456, 8192, 0x42, 0, text(u"shop_log")},
                                               {3, 1, 128, -1, 30, 0x100002, 0, text(u"shop_b")}}));
    // Without MAXSIZE and FILEGROWTH: no limit (2 TB for a log) and 64 MB growth.
    const auto defaults = ok(sa_, columns + u" where dbid = " + to_u16(std::get<int32_t>(plain))).results.at(0).rows;
    ASSERT_EQ(defaults.size(), 2u);
    EXPECT_EQ(std::vector<Value>(defaults[0].begin() + 3, defaults[0].begin() + 6), (std::vector<Value>{-1, 8192, 2}));
    EXPECT_EQ(std::vector<Value>(defaults[1].begin() + 3, defaults[1].begin() + 6),
              (std::vector<Value>{268435456, 8192, 0x42}));

    // sysfiles is the current database's share, without dbid.
    ok(sa_, u"use shop");
    const auto own = ok(sa_, u"select * from sysfiles");
    EXPECT_EQ(own.results.at(0).columns.size(), 9u);
    EXPECT_EQ(own.results[0].rows.size(), 3u);
    EXPECT_EQ(own.results[0].rows[2][7], Value(text(u"shop_b")));
}

TEST_F(CompatibilityViewsTest, SystemDatabasesAreListedToo) {
    const auto master = rows(u"select fileid, name from sysaltfiles where dbid = 1");
    EXPECT_EQ(master, (std::vector<std::vector<Value>>{{1, text(u"master")}, {2, text(u"mastlog")}}));
    EXPECT_EQ(run(sa_, u"insert into master.dbo.sysaltfiles values (1)").message_numbers(), std::vector<int32_t>{259});
}

}  // namespace
}  // namespace emulator::testing
