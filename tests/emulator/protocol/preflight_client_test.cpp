// The installer's pre-flight questions through unixODBC and the FreeTDS
// driver, and through tsql: every column type the answers use must decode.
#include "child_process.h"
#include "odbc_session.h"
#include "engine/text.h"
#include "temporary_folder.h"

#include <gtest/gtest.h>

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

namespace emulator::testing {
namespace {

const std::u16string kSaPassword = EmulatorProcess::sa_password();

std::string utf8(const std::u16string& text) { return to_utf8(text); }

#define EXPECT_OK(outcome)                                          \
    do {                                                            \
        const Outcome& checked_ = (outcome);                        \
        EXPECT_FALSE(checked_.failed) << utf8(checked_.all_text()); \
    } while (false)

TEST(PreflightOdbcTest, WhoAmIAndWhichServer) {
    EmulatorProcess emulator({"--machine-name", "SHOP-01"});
    OdbcSession sa(emulator.port(), u"sa", kSaPassword);
    ASSERT_TRUE(sa.connected());
    EXPECT_OK(sa.execute(u"EXEC sp_addlogin 'clerk', 'Clerk-Pw1'"));
    OdbcSession clerk(emulator.port(), u"clerk", u"Clerk-Pw1");
    ASSERT_TRUE(clerk.connected());

    const Outcome admin = sa.execute(u"SELECT IS_SRVROLEMEMBER('sysadmin')");
    EXPECT_OK(admin);
    ASSERT_EQ(admin.result_sets.size(), 1u);
    EXPECT_EQ(admin.result_sets[0], (Rows{{u"1"}}));
    EXPECT_EQ(admin.columns[0][0].sql_type, SQL_INTEGER);
    EXPECT_EQ(admin.columns[0][0].name, u"");
    EXPECT_EQ(clerk.first_value(u"SELECT IS_SRVROLEMEMBER('sysadmin')"), u"0");

    const Outcome server = sa.execute(
        u"SELECT CONVERT(nvarchar(128), SERVERPROPERTY('MachineName')), CONVERT(nvarchar(128), "
        u"SERVERPROPERTY('ComputerNamePhysicalNetBIOS')), CONVERT(nvarchar(128), SERVERPROPERTY('ProductVersion'))");
    EXPECT_OK(server);
    ASSERT_EQ(server.result_sets.size(), 1u);
    EXPECT_EQ(server.result_sets[0], (Rows{{u"SHOP-01", u"SHOP-01", u"15.0.2000.5"}}));
    for (const ColumnDescription& column : server.columns[0]) {
        EXPECT_EQ(column.sql_type, SQL_WVARCHAR);
        EXPECT_EQ(column.size, 128u);
    }
    EXPECT_EQ(sa.first_value(u"SELECT CAST(SERVERPROPERTY('InstanceName') AS nvarchar(128))"), u"");

    const Outcome bare = sa.execute(u"SELECT SERVERPROPERTY('MachineName')");
    EXPECT_TRUE(bare.failed);
    EXPECT_NE(bare.all_text().find(u"does not support"), std::u16string::npos);
}

TEST(PreflightOdbcTest, TheDatabasesFilesFromSysaltfiles) {
    TemporaryFolder drive_c;
    std::filesystem::create_directories(drive_c.path() / "data");
    EmulatorProcess emulator({"--drive", "C=" + drive_c.path().string()});
    OdbcSession sa(emulator.port(), u"sa", kSaPassword);
    ASSERT_TRUE(sa.connected());
    EXPECT_OK(sa.execute(u"CREATE DATABASE mirvox ON PRIMARY (NAME = N'mirvox_Data', FILENAME = "
                         u"N'C:\\data\\mirvox_Data.MDF', SIZE = 12, FILEGROWTH = 30%) LOG ON (NAME = N'mirvox_Log', "
                         u"FILENAME = N'C:\\data\\mirvox_Log.LDF', SIZE = 12, FILEGROWTH = 30%)"));
    const Outcome files = sa.execute(
        u"select a.name, a.filename, a.size from master.dbo.sysaltfiles a , master.dbo.sysdatabases b where a.dbid "
        u"=b.dbid and b.name =N'mirvox'");
    EXPECT_OK(files);
    ASSERT_EQ(files.result_sets.size(), 1u);
    EXPECT_EQ(files.result_sets[0], (Rows{{u"mirvox_Data", u"C:\\data\\mirvox_Data.MDF", u"1536"},
                                         {u"mirvox_Log", u"C:\\data\\mirvox_Log.LDF", u"1536"}}));

    const Outcome numbers =
        sa.execute(u"select fileid, groupid, maxsize, growth, status, dbid from master.dbo.sysaltfiles where name = "
                   u"'mirvox_Log'");
    EXPECT_OK(numbers);
    ASSERT_EQ(numbers.result_sets.size(), 1u);
    EXPECT_EQ(numbers.result_sets[0], (Rows{{u"2", u"0", u"268435456", u"30", u"1048642", u"5"}}));
    EXPECT_EQ(numbers.columns[0][0].sql_type, SQL_SMALLINT);
    EXPECT_EQ(numbers.columns[0][5].sql_type, SQL_SMALLINT);
}

}  // namespace
}  // namespace emulator::testing
