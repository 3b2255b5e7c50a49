// The installer's pre-flight questions through unixODBC and the FreeTDS
// driver, and through tsql: every column type the answers use must decode.
#include "child_process.h"
#include "engine/backup_format.h"
#include "engine/datetime.h"
#include "engine/text.h"
#include "odbc_expectations.h"
#include "odbc_session.h"
#include "temporary_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <map>
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>
#include <unistd.h>

namespace emulator::testing {
namespace {

const std::u16string kSaPassword = EmulatorProcess::sa_password();

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
    // The default instance of a server that takes SQL Server logins.
    const Outcome instance = sa.execute(
        u"SELECT CAST(SERVERPROPERTY('InstanceName') AS nvarchar(128)), CONVERT(nvarchar(128), "
        u"SERVERPROPERTY('ServerName')), @@SERVERNAME, CONVERT(nvarchar(5), SERVERPROPERTY('IsIntegratedSecurityOnly'))");
    EXPECT_OK(instance);
    ASSERT_EQ(instance.result_sets.size(), 1u);
    EXPECT_EQ(instance.result_sets[0], (Rows{{u"NULL", u"SHOP-01", u"SHOP-01", u"0"}}));

    // Only a login with VIEW SERVER STATE (here: sysadmin) sees the connections.
    const Outcome connections = clerk.execute(
        u"SELECT net_transport, local_tcp_port, local_net_address, auth_scheme FROM sys.dm_exec_connections "
        u"WHERE session_id = @@SPID");
    EXPECT_TRUE(connections.failed);
    EXPECT_TRUE(connections.has_native(300) && connections.has_native(297)) << utf8(connections.all_text());
    for (const char16_t* text : {u"VIEW SERVER STATE permission was denied on object 'server', database 'master'.",
                                 u"The user does not have permission to perform this action."})
        EXPECT_NE(connections.all_text().find(text), std::u16string::npos) << utf8(connections.all_text());

    const Outcome bare = sa.execute(u"SELECT SERVERPROPERTY('MachineName')");
    EXPECT_TRUE(bare.failed);
    EXPECT_NE(bare.all_text().find(u"does not support"), std::u16string::npos);
}

TEST(PreflightOdbcTest, TheApplicationLoginUnderThePasswordPolicy) {
    EmulatorProcess emulator({"--password-policy"});
    OdbcSession sa(emulator.port(), u"sa", kSaPassword);
    ASSERT_TRUE(sa.connected());
    EXPECT_OK(sa.execute(u"CREATE DATABASE mirvox"));
    const Outcome weak = sa.execute(u"dbo.sp_addlogin 'mirvox','rovtakl',mirvox");
    EXPECT_TRUE(weak.failed);
    EXPECT_TRUE(weak.has_native(15118));
    EXPECT_NE(weak.all_text().find(u"Password validation failed. The password does not meet Windows policy "
                                   u"requirements because it is not complex enough."),
              std::u16string::npos)
        << utf8(weak.all_text());
    EXPECT_OK(sa.execute(u"CREATE LOGIN [mirvox] WITH PASSWORD = N'rovtakl', DEFAULT_DATABASE = [mirvox], "
                         u"CHECK_POLICY = OFF"));
    EXPECT_OK(sa.execute(u"USE mirvox; CREATE USER mirvox FOR LOGIN mirvox; USE master"));
    OdbcSession mirvox(emulator.port(), u"mirvox", u"rovtakl", u"mirvox");
    ASSERT_TRUE(mirvox.connected());
    EXPECT_EQ(mirvox.first_value(u"SELECT IS_SRVROLEMEMBER('sysadmin')"), u"0");
    const Outcome again = sa.execute(u"CREATE LOGIN [mirvox] WITH PASSWORD = N'rovtakl', CHECK_POLICY = OFF");
    EXPECT_TRUE(again.failed);
    EXPECT_TRUE(again.has_native(15025));
}

TEST(PreflightOdbcTest, FileExistSeesTheServersDrives) {
    TemporaryFolder drive_c;
    std::filesystem::create_directories(drive_c.path() / "data");
    std::ofstream(drive_c.path() / "zq.tmp") << "staged";
    EmulatorProcess emulator({"--drive", "C=" + drive_c.path().string()});
    OdbcSession sa(emulator.port(), u"sa", kSaPassword);
    ASSERT_TRUE(sa.connected());
    const Outcome folder = sa.execute(u"EXEC master.dbo.xp_fileexist N'C:\\data'");
    EXPECT_OK(folder);
    ASSERT_EQ(folder.result_sets.size(), 1u);
    EXPECT_EQ(folder.result_sets[0], (Rows{{u"0", u"1", u"1"}}));
    EXPECT_EQ(folder.columns[0][1].name, u"File is a Directory");
    EXPECT_EQ(sa.first_value(u"EXEC master.dbo.xp_fileexist N'c:\\zq.tmp'"), u"1");
    EXPECT_EQ(sa.execute(u"EXEC xp_fileexist N'D:\\data'").result_sets.at(0), (Rows{{u"0", u"0", u"0"}}));
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

// A backup whose every recorded value is known, written as the stand-in writes them.
void write_known_backup(const std::filesystem::path& folder) {
    const std::filesystem::path data_file = folder / "known.mdf";
    std::ofstream(data_file, std::ios::binary) << std::string(40960, 'k');
    BackupDescription description;
    description.database = u"mirvox";
    description.files = {{u"mirvox_Data", u"C:\\data\\mirvox_Data.MDF", {}, FileKind::data, unlimited_pages},
                         {u"mirvox_Log", u"C:\\data\\mirvox_Log.LDF", {}, FileKind::log, log_limit_pages}};
    description.name = u"known";
    description.user_name = u"sa";
    description.server_name = u"SHOP-01";
    description.machine_name = u"SHOP-01";
    description.database_created = make_datetime(2026, 12, 1, 8, 30, 0);
    description.started = make_datetime(2026, 12, 7, 12, 0, 0);
    description.finished = make_datetime(2026, 12, 7, 12, 0, 3, 500);
    description.copy_only = true;
    description.backup_set = Guid{{0x6F, 0x96, 0x19, 0xFF, 0x8B, 0x86, 0xD0, 0x11, 0xB4, 0x2D, 0x00, 0xC0, 0x4F, 0xC9,
                                   0x64, 0xFF}};
    const int fd = ::open((folder / "known.bak").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(write_backup(fd, description, data_file, 1 << 20, [](uint64_t) { return true; }));
    ::close(fd);
}

// Column name -> value text and column name -> ODBC type of a one-row result.
struct NamedRow {
    std::map<std::u16string, std::u16string> values;
    std::map<std::u16string, short> types;
};

NamedRow named_row(const Outcome& outcome, size_t row = 0) {
    NamedRow named;
    if (outcome.result_sets.size() != 1 || outcome.result_sets[0].size() <= row) return named;
    for (size_t i = 0; i < outcome.columns[0].size(); ++i) {
        named.values[outcome.columns[0][i].name] = outcome.result_sets[0][row].at(i);
        named.types[outcome.columns[0][i].name] = outcome.columns[0][i].sql_type;
    }
    return named;
}

class BackupThroughClientsTest : public ::testing::Test {
protected:
    BackupThroughClientsTest() { write_known_backup(drive_c.path()); }
    TemporaryFolder drive_c;
    EmulatorProcess emulator{{"--drive", "C=" + drive_c.path().string(), "--machine-name", "SHOP-01"}};
};

TEST_F(BackupThroughClientsTest, HeaderOnlyDecodesEveryColumnType) {
    OdbcSession sa(emulator.port(), u"sa", kSaPassword);
    ASSERT_TRUE(sa.connected());
    const Outcome header = sa.execute(u"RESTORE HEADERONLY FROM DISK = N'C:\\known.bak'");
    EXPECT_OK(header);
    ASSERT_EQ(header.columns.size(), 1u);
    EXPECT_EQ(header.columns[0].size(), 56u);
    ASSERT_EQ(header.result_sets[0].size(), 1u);
    const NamedRow row = named_row(header);
    const std::u16string size = to_u16(static_cast<int64_t>(std::filesystem::file_size(drive_c.path() / "known.bak")));
    const struct {
        const char16_t* column;
        std::u16string text;
        short type;
    } expected[] = {
        {u"BackupName", u"known", SQL_WVARCHAR},
        {u"BackupType", u"1", SQL_SMALLINT},
        {u"ExpirationDate", u"NULL", SQL_TYPE_TIMESTAMP},
        {u"Compressed", u"0", SQL_TINYINT},
        {u"DeviceType", u"2", SQL_TINYINT},
        {u"DatabaseName", u"mirvox", SQL_WVARCHAR},
        {u"DatabaseVersion", u"904", SQL_INTEGER},
        {u"DatabaseCreationDate", u"2026-12-01 08:30:00.000", SQL_TYPE_TIMESTAMP},
        {u"BackupSize", size, SQL_NUMERIC},
        {u"FirstLSN", u"NULL", SQL_NUMERIC},
        {u"BackupStartDate", u"2026-12-07 12:00:00.000", SQL_TYPE_TIMESTAMP},
        {u"BackupFinishDate", u"2026-12-07 12:00:03.500", SQL_TYPE_TIMESTAMP},
        {u"SoftwareVersionMajor", u"15", SQL_INTEGER},
        {u"SoftwareVersionBuild", u"2000", SQL_INTEGER},
        {u"MachineName", u"SHOP-01", SQL_WVARCHAR},
        {u"BindingID", u"NULL", SQL_GUID},
        {u"Collation", u"Chinese_PRC_CI_AS", SQL_WVARCHAR},
        {u"IsCopyOnly", u"1", SQL_BIT},
        {u"IsDamaged", u"0", SQL_BIT},
        {u"BackupTypeDescription", u"Database", SQL_WVARCHAR},
        {u"BackupSetGUID", u"6F9619FF-8B86-D011-B42D-00C04FC964FF", SQL_GUID},
        {u"CompressedBackupSize", size, SQL_BIGINT},
        {u"containment", u"0", SQL_TINYINT},
        {u"EncryptorThumbprint", u"NULL", SQL_VARBINARY},
        {u"EncryptorType", u"NULL", SQL_WVARCHAR},
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(utf8(e.column));
        EXPECT_EQ(row.values.at(e.column), e.text);
        EXPECT_EQ(row.types.at(e.column), e.type);
    }
}

TEST_F(BackupThroughClientsTest, FileListOnlyDecodesEveryColumnType) {
    OdbcSession sa(emulator.port(), u"sa", kSaPassword);
    ASSERT_TRUE(sa.connected());
    const Outcome files = sa.execute(u"RESTORE FILELISTONLY FROM DISK = N'C:\\known.bak' WITH FILE = 1, NOUNLOAD");
    EXPECT_OK(files);
    ASSERT_EQ(files.columns.size(), 1u);
    EXPECT_EQ(files.columns[0].size(), 22u);
    ASSERT_EQ(files.result_sets[0].size(), 2u);
    // The columns whose types the header does not have, and a value of each other kind.
    const NamedRow data = named_row(files, 0);
    EXPECT_EQ(data.values.at(u"Type"), u"D");
    EXPECT_EQ(data.types.at(u"Type"), SQL_CHAR);
    EXPECT_EQ(data.values.at(u"FileID"), u"1");
    EXPECT_EQ(data.types.at(u"FileID"), SQL_BIGINT);
    EXPECT_EQ(data.values.at(u"MaxSize"), u"35184372080640");
    EXPECT_EQ(data.types.at(u"MaxSize"), SQL_NUMERIC);
    EXPECT_EQ(data.values.at(u"IsPresent"), u"1");
    EXPECT_EQ(data.types.at(u"TDEThumbprint"), SQL_VARBINARY);
    EXPECT_EQ(named_row(files, 1).values.at(u"FileGroupName"), u"NULL");
}

TEST_F(BackupThroughClientsTest, TheInstallersBackupAndItsFailuresReachTheClient) {
    std::filesystem::create_directories(drive_c.path() / "data");
    OdbcSession sa(emulator.port(), u"sa", kSaPassword);
    ASSERT_TRUE(sa.connected());
    EXPECT_OK(sa.execute(u"RESTORE DATABASE mirvox FROM DISK = N'C:\\known.bak' WITH FILE = 1, STATS = 10, RECOVERY, "
                         u"REPLACE, MOVE N'mirvox_Data' TO N'C:\\data\\mirvox_Data.MDF', MOVE N'mirvox_Log' TO "
                         u"N'C:\\data\\mirvox_Log.LDF'"));
    const Outcome backup = sa.execute(u"BACKUP DATABASE mirvox TO DISK = N'C:\\data\\mirvox_20261207120000.bak' WITH "
                                      u"COPY_ONLY, INIT, STATS = 10");
    EXPECT_OK(backup);
    const std::u16string progress = backup.all_text();
    for (const char16_t* line : {u"10 percent processed.", u"100 percent processed.",
                                 u"Processed 5 pages for database 'mirvox', file 'mirvox_Data' on file 1.",
                                 u"BACKUP DATABASE successfully processed"})
        EXPECT_NE(progress.find(line), std::u16string::npos) << utf8(line) << "\n" << utf8(progress);
    const NamedRow header =
        named_row(sa.execute(u"RESTORE HEADERONLY FROM DISK = N'C:\\data\\mirvox_20261207120000.bak'"));
    EXPECT_EQ(header.values.at(u"IsCopyOnly"), u"1");
    EXPECT_EQ(header.values.at(u"DatabaseName"), u"mirvox");
    EXPECT_EQ(header.values.at(u"ServerName"), u"SHOP-01");

    const Outcome missing = sa.execute(u"RESTORE FILELISTONLY FROM DISK = N'c:\\zq.tmp'");
    EXPECT_TRUE(missing.failed);
    EXPECT_TRUE(missing.has_native(3201));
    EXPECT_NE(missing.all_text().find(u"RESTORE FILELIST is terminating abnormally."), std::u16string::npos);
}

TEST(PreflightOdbcTest, FixedDrivesAndAFullDriveThroughTheClient) {
    TemporaryFolder drive_c;
    TemporaryFolder drive_d;
    write_known_backup(drive_c.path());  // 40 KiB of data and a 1 MiB log
    EmulatorProcess emulator({"--drive", "C=" + drive_c.path().string(), "--drive", "D=" + drive_d.path().string(),
                              "--free-mb", "d=1"});
    OdbcSession sa(emulator.port(), u"sa", kSaPassword);
    ASSERT_TRUE(sa.connected());
    const Outcome drives = sa.execute(u"EXEC master.dbo.xp_fixeddrives");
    EXPECT_OK(drives);
    ASSERT_EQ(drives.result_sets.size(), 1u);
    ASSERT_EQ(drives.result_sets[0].size(), 2u);
    EXPECT_EQ(drives.result_sets[0][0][0], u"C");
    EXPECT_EQ(drives.result_sets[0][1], (std::vector<std::u16string>{u"D", u"1"}));
    EXPECT_EQ(drives.columns[0][0].name, u"drive");
    EXPECT_EQ(drives.columns[0][0].sql_type, SQL_CHAR);
    EXPECT_EQ(drives.columns[0][1].name, u"MB free");
    EXPECT_EQ(drives.columns[0][1].sql_type, SQL_INTEGER);

    const Outcome full = sa.execute(u"RESTORE DATABASE mirvox FROM DISK = N'C:\\known.bak' WITH MOVE N'mirvox_Data' TO "
                                    u"N'D:\\mirvox_Data.MDF', MOVE N'mirvox_Log' TO N'D:\\mirvox_Log.LDF'");
    EXPECT_TRUE(full.failed);
    EXPECT_TRUE(full.has_native(3257));
    EXPECT_NE(full.all_text().find(u"There is insufficient free space on disk volume 'D:\\' to create the database. "
                                   u"The database requires 1089536 additional free bytes, while only 1048576 bytes are "
                                   u"available."),
              std::u16string::npos)
        << utf8(full.all_text());
    EXPECT_TRUE(std::filesystem::is_empty(drive_d.path()));
}

TEST_F(BackupThroughClientsTest, TsqlShowsTheHeaderAndTheFileList) {
    const ProgramResult result =
        run_program({"tsql", "-H", "127.0.0.1", "-p", std::to_string(emulator.port()), "-U", "sa", "-P",
                     EmulatorProcess::kSaPassword},
                    "RESTORE HEADERONLY FROM DISK = N'C:\\known.bak'\ngo\nRESTORE FILELISTONLY FROM DISK = "
                    "N'C:\\known.bak'\ngo\nquit\n",
                    {"TDSVER=7.4", "LANG=C.UTF-8", "LC_ALL=C.UTF-8"});
    const std::string all = result.out + result.err;
    for (const char* part : {"\nknown\tNULL\t1\tNULL\t0\t1\t2\tsa\tSHOP-01\tmirvox\t904\tDec  1 2026 08:30AM\t",
                             "\tDec  7 2026 12:00PM\t", "\tDatabase\t6F9619FF-8B86-D011-B42D-00C04FC964FF\t",
                             "\tChinese_PRC_CI_AS\t",
                             "mirvox_Data\tC:\\data\\mirvox_Data.MDF\tD\tPRIMARY\t40960\t35184372080640\t1\t",
                             "mirvox_Log\tC:\\data\\mirvox_Log.LDF\tL\tNULL\t1048576\t2199023255552\t2\t"})
        EXPECT_NE(all.find(part), std::string::npos) << part << "\n" << all;
    EXPECT_EQ(all.find("Msg "), std::string::npos) << all;
}

}  // namespace
}  // namespace emulator::testing
