// RESTORE HEADERONLY and FILELISTONLY on the installer's staged backup, and
// backups of other releases: a newer one's header reads but its files and
// restore are refused; an older one restores where the release upgrades it.
#include "backup_device.h"
#include "backup_fixture.h"
#include "backup_format.h"
#include "datetime.h"

#include <fcntl.h>
#include <unistd.h>

namespace emulator::testing {
namespace {

class BackupInformationTest : public BackupRestoreTest {
protected:
    // The row of a one-row result as column name -> value.
    std::map<std::u16string, Value> single_row(const std::u16string& sql) {
        const auto sink = ok(sa_, sql);
        std::map<std::u16string, Value> row;
        if (sink.results.size() != 1 || sink.results[0].rows.size() != 1) {
            ADD_FAILURE() << utf8(sql) << " did not give one row";
            return row;
        }
        EXPECT_EQ(sink.results[0].rows[0].size(), sink.results[0].columns.size());
        for (size_t i = 0; i < sink.results[0].columns.size(); ++i)
            row[sink.results[0].columns[i].name] = sink.results[0].rows[0][i];
        return row;
    }

    // A backup of mirvox_template as another server version would write it.
    void write_backup_as(ServerVersion version, int32_t database_version, const std::filesystem::path& path) {
        BackupDescription description;
        description.database = u"mirvox_template";
        description.files = {{u"mirvox_data", u"C:\\template\\mirvox_template.mdf", {}, FileKind::data},
                             {u"mirvox_log", u"C:\\template\\mirvox_template_log.ldf", {}, FileKind::log}};
        description.server_version = version;
        description.database_version = database_version;
        description.started = make_datetime(2026, 12, 7, 12, 0, 0);
        description.finished = make_datetime(2026, 12, 7, 12, 0, 3);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        EXPECT_TRUE(write_backup(fd, description, drive_c() / "template" / "mirvox_template.mdf", 1 << 20,
                                 [](uint64_t) { return true; }));
        ::close(fd);
    }
};

constexpr char16_t newer_restore[] =
    u"RESTORE DATABASE mirvox FROM DISK = N'C:\\newer.bak' WITH FILE = 1, STATS = 10, RECOVERY, REPLACE, MOVE "
    u"N'mirvox_data' TO N'D:\\data\\mirvox_Data.MDF', MOVE N'mirvox_log' TO N'D:\\data\\mirvox_Log.LDF'";

TEST_F(BackupInformationTest, HeaderOnlyDescribesTheBackupSetInSqlServersColumns) {
    const DateTime before = local_now();
    ok(sa_, u"BACKUP DATABASE mirvox_template TO DISK = N'C:\\data_copy.bak' WITH COPY_ONLY, INIT, STATS = 10, "
            u"NAME = N'safety copy'");
    const DateTime after = local_now();

    const auto sink = ok(sa_, u"RESTORE HEADERONLY FROM DISK = N'C:\\data_copy.bak'");
    const std::vector<std::u16string> documented = {
        u"BackupName", u"BackupDescription", u"BackupType", u"ExpirationDate", u"Compressed", u"Position",
        u"DeviceType", u"UserName", u"ServerName", u"DatabaseName", u"DatabaseVersion", u"DatabaseCreationDate",
        u"BackupSize", u"FirstLSN", u"LastLSN", u"CheckpointLSN", u"DatabaseBackupLSN", u"BackupStartDate",
        u"BackupFinishDate", u"SortOrder", u"CodePage", u"UnicodeLocaleId", u"UnicodeComparisonStyle",
        u"CompatibilityLevel", u"SoftwareVendorId", u"SoftwareVersionMajor", u"SoftwareVersionMinor",
        u"SoftwareVersionBuild", u"MachineName", u"Flags", u"BindingID", u"RecoveryForkID", u"Collation",
        u"FamilyGUID", u"HasBulkLoggedData", u"IsSnapshot", u"IsReadOnly", u"IsSingleUser", u"HasBackupChecksums",
        u"IsDamaged", u"BeginsLogChain", u"HasIncompleteMetaData", u"IsForceOffline", u"IsCopyOnly",
        u"FirstRecoveryForkID", u"ForkPointLSN", u"RecoveryModel", u"DifferentialBaseLSN", u"DifferentialBaseGUID",
        u"BackupTypeDescription", u"BackupSetGUID", u"CompressedBackupSize", u"containment", u"KeyAlgorithm",
        u"EncryptorThumbprint", u"EncryptorType"};
    std::vector<std::u16string> names;
    for (const Column& column : sink.results.at(0).columns) names.push_back(column.name);
    EXPECT_EQ(names, documented);

    auto row = single_row(u"RESTORE HEADERONLY FROM DISK = N'C:\\data_copy.bak' WITH FILE = 1, NOUNLOAD");
    EXPECT_EQ(row[u"BackupName"], Value(std::u16string(u"safety copy")));
    EXPECT_EQ(row[u"BackupType"], Value(1));
    EXPECT_EQ(row[u"Position"], Value(1));
    EXPECT_EQ(row[u"DatabaseName"], Value(std::u16string(u"mirvox_template")));
    EXPECT_EQ(row[u"UserName"], Value(std::u16string(u"sa")));
    EXPECT_EQ(row[u"ServerName"], Value(std::u16string(u"SHOPSERVER")));
    EXPECT_EQ(row[u"MachineName"], Value(std::u16string(u"ShopServer")));
    EXPECT_EQ(row[u"SoftwareVersionMajor"], Value(15));
    EXPECT_EQ(row[u"SoftwareVersionMinor"], Value(0));
    EXPECT_EQ(row[u"SoftwareVersionBuild"], Value(2000));
    EXPECT_EQ(row[u"DatabaseVersion"], Value(904));
    EXPECT_EQ(row[u"IsCopyOnly"], Value(1));
    EXPECT_EQ(row[u"BackupTypeDescription"], Value(std::u16string(u"Database")));
    const auto size = static_cast<int64_t>(std::filesystem::file_size(drive_c() / "data_copy.bak"));
    EXPECT_EQ(row[u"BackupSize"], Value(size));
    EXPECT_EQ(row[u"CompressedBackupSize"], Value(size));
    const auto started = std::get<DateTime>(row[u"BackupStartDate"]);
    const auto finished = std::get<DateTime>(row[u"BackupFinishDate"]);
    EXPECT_LE(before, started);
    EXPECT_LE(started, finished);
    EXPECT_LE(finished, after);
    EXPECT_LE(std::get<DateTime>(row[u"DatabaseCreationDate"]), started);
    EXPECT_TRUE(std::holds_alternative<Guid>(row[u"BackupSetGUID"]));
    for (const char16_t* unknown : {u"FirstLSN", u"LastLSN", u"ExpirationDate", u"RecoveryModel", u"KeyAlgorithm"})
        EXPECT_EQ(row[unknown], Value(std::monostate{})) << utf8(unknown);

    // The fixture's plain backup: no name, not copy-only, a backup set of its own.
    auto plain = single_row(u"RESTORE HEADERONLY FROM DISK = N'C:\\template\\mirvox.dat'");
    EXPECT_EQ(plain[u"BackupName"], Value(std::monostate{}));
    EXPECT_EQ(plain[u"IsCopyOnly"], Value(0));
    EXPECT_NE(plain[u"BackupSetGUID"], row[u"BackupSetGUID"]);
}

TEST_F(BackupInformationTest, FileListOnlyShowsEachFileAsTheBackupHoldsIt) {
    std::filesystem::copy_file(drive_c() / "template" / "mirvox.dat", drive_c() / "zq.tmp");
    const auto sink = ok(sa_, u"RESTORE FILELISTONLY FROM DISK = N'c:\\zq.tmp'");
    const ResultSet& result = sink.results.at(0);
    std::vector<std::u16string> names;
    for (const Column& column : result.columns) names.push_back(column.name);
    EXPECT_EQ(names, (std::vector<std::u16string>{
                         u"LogicalName", u"PhysicalName", u"Type", u"FileGroupName", u"Size", u"MaxSize", u"FileID",
                         u"CreateLSN", u"DropLSN", u"UniqueID", u"ReadOnlyLSN", u"ReadWriteLSN", u"BackupSizeInBytes",
                         u"SourceBlockSize", u"FileGroupID", u"LogGroupGUID", u"DifferentialBaseLSN",
                         u"DifferentialBaseGUID", u"IsReadOnly", u"IsPresent", u"TDEThumbprint", u"SnapshotURL"}));
    ASSERT_EQ(result.rows.size(), 2u);
    const std::vector<size_t> shown = {0, 1, 2, 3, 4, 5, 6, 12, 14, 19};
    auto pick = [&](const std::vector<Value>& row) {
        std::vector<Value> values;
        for (size_t i : shown) values.push_back(row.at(i));
        return values;
    };
    const int64_t data_size = 3 << 20;
    EXPECT_EQ(pick(result.rows[0]),
              (std::vector<Value>{std::u16string(u"mirvox_data"), std::u16string(u"C:\\template\\mirvox_template.mdf"),
                                  std::u16string(u"D"), std::u16string(u"PRIMARY"), data_size,
                                  int64_t{35184372080640}, int64_t{1}, data_size, 1, 1}));
    EXPECT_EQ(pick(result.rows[1]),
              (std::vector<Value>{std::u16string(u"mirvox_log"), std::u16string(u"C:\\template\\mirvox_template_log.ldf"),
                                  std::u16string(u"L"), std::monostate{}, int64_t{2 << 20}, int64_t{2199023255552},
                                  int64_t{2}, int64_t{0}, 0, 1}));
    EXPECT_EQ(result.columns[2].type, ColumnType::character);
    EXPECT_EQ(result.columns[4].type, ColumnType::numeric);
    EXPECT_EQ(result.columns[4].precision, 20);
}

TEST_F(BackupInformationTest, ReadingWhatIsNoBackupEndsWithTheOperationsOwnTermination) {
    std::ofstream(drive_c() / "not_a_backup.tmp") << "MZ this is no backup";
    const struct {
        std::u16string sql;
        std::vector<int32_t> numbers;
        std::u16string first;
        std::u16string last;
    } cases[] = {
        {u"RESTORE HEADERONLY FROM DISK = N'c:\\zq.tmp'", {3201, 3013},
         u"Cannot open backup device 'c:\\zq.tmp'. Operating system error 2(The system cannot find the file specified.).",
         u"RESTORE HEADERONLY is terminating abnormally."},
        {u"RESTORE FILELISTONLY FROM DISK = N'c:\\zq.tmp'", {3201, 3013}, {},
         u"RESTORE FILELIST is terminating abnormally."},
        {u"RESTORE FILELISTONLY FROM DISK = N'q:\\zq.tmp'", {3201, 3013},
         u"Cannot open backup device 'q:\\zq.tmp'. Operating system error 3(The system cannot find the path specified.).",
         u"RESTORE FILELIST is terminating abnormally."},
        {u"RESTORE HEADERONLY FROM DISK = N'C:\\not_a_backup.tmp'", {3241, 3013},
         u"The media family on device 'C:\\not_a_backup.tmp' is incorrectly formed. SQL Server cannot process this "
         u"media family.",
         u"RESTORE HEADERONLY is terminating abnormally."},
        {u"RESTORE FILELISTONLY FROM DISK = N'C:\\not_a_backup.tmp'", {3241, 3013}, {},
         u"RESTORE FILELIST is terminating abnormally."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(utf8(c.sql));
        const auto sink = run(sa_, c.sql);
        EXPECT_EQ(sink.message_numbers(), c.numbers);
        ASSERT_EQ(sink.messages.size(), 2u);
        if (!c.first.empty()) {
            EXPECT_EQ(sink.messages[0].text, c.first);
        }
        EXPECT_EQ(sink.messages[1].text, c.last);
        EXPECT_TRUE(sink.results.empty());
    }
    for (const std::u16string sql : {u"RESTORE HEADERONLY FROM DISK = N'C:\\template\\mirvox.dat' WITH FILE = 2",
                                     u"RESTORE VERIFYONLY FROM DISK = N'C:\\template\\mirvox.dat'",
                                     u"RESTORE LABELONLY FROM DISK = N'C:\\template\\mirvox.dat'"}) {
        const auto sink = run(sa_, sql);
        ASSERT_EQ(sink.messages.size(), 1u) << utf8(sql);
        EXPECT_EQ(sink.messages[0].text, u"The SQL Server emulator does not support the statement '" + sql + u"'.");
    }
}

TEST_F(BackupInformationTest, ABackupFromANewerServerShowsItsHeaderButDoesNotRestore) {
    write_backup_as({16, 0, 1000}, 957, drive_c() / "newer.bak");
    auto header = single_row(u"RESTORE HEADERONLY FROM DISK = N'C:\\newer.bak'");
    EXPECT_EQ(header[u"SoftwareVersionMajor"], Value(16));
    EXPECT_EQ(header[u"SoftwareVersionBuild"], Value(1000));
    EXPECT_EQ(header[u"DatabaseVersion"], Value(957));
    EXPECT_EQ(header[u"CompatibilityLevel"], Value(160));
    EXPECT_EQ(header[u"BackupStartDate"], Value(make_datetime(2026, 12, 7, 12, 0, 0)));
    EXPECT_EQ(header[u"BackupFinishDate"], Value(make_datetime(2026, 12, 7, 12, 0, 3)));

    const std::u16string incompatible =
        u"The database was backed up on a server running version 16.00.1000. That version is incompatible with this "
        u"server, which is running version 15.00.2000. Either restore the database on a server that supports the "
        u"backup, or use a backup that is compatible with this server.";
    const auto files = run(sa_, u"RESTORE FILELISTONLY FROM DISK = N'C:\\newer.bak'");
    ASSERT_EQ(files.message_numbers(), (std::vector<int32_t>{3169, 3013}));
    EXPECT_EQ(files.messages[0].text, incompatible);
    EXPECT_EQ(files.messages[1].text, u"RESTORE FILELIST is terminating abnormally.");

    const auto restore = run(sa_, newer_restore);
    ASSERT_EQ(restore.message_numbers(), (std::vector<int32_t>{3169, 3013}));
    EXPECT_EQ(restore.messages[0].text, incompatible);
    EXPECT_EQ(restore.messages[0].severity, 16);
    EXPECT_EQ(restore.messages[1].text, u"RESTORE DATABASE is terminating abnormally.");
    EXPECT_TRUE(std::filesystem::is_empty(drive_d() / "data"));
    EXPECT_EQ(scalar(sa_, u"select count(*) from sysdatabases where name = 'mirvox'"), Value(0));
}

// Which backups each release restores: none of a newer release or a newer
// database format, builds of one release alike, and none of a release older
// than those it upgrades from, whose backups it still reads the files of.
TEST_F(BackupInformationTest, EachReleaseRestoresTheBackupsItCanUpgrade) {
    const struct {
        ServerVersion server;
        ServerVersion backup;
        int32_t database_version;
        std::optional<int32_t> compatibility_level;  // nullopt: refused with 3169
    } cases[] = {
        {{15, 0, 2000}, {15, 0, 4123}, 904, 150},
        {{15, 0, 2000}, {15, 0, 2000}, 905, std::nullopt},  // a newer format in a build of the same release
        {{15, 0, 2000}, {10, 0, 1600}, 655, 100},
        {{15, 0, 2000}, {9, 0, 5000}, 611, std::nullopt},
        {{11, 0, 2100}, {9, 0, 5000}, 611, 90},
        {{12, 0, 2000}, {8, 0, 2039}, 539, std::nullopt},
        {{10, 50, 1600}, {8, 0, 2039}, 539, 80},
        {{10, 0, 1600}, {10, 50, 1600}, 661, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(utf8(version_text(c.server) + u" <- " + version_text(c.backup)));
        auto engine_options = options();
        engine_options.product_version = {c.server, 0};
        start(engine_options);
        sa_ = login_sa();
        write_backup_as(c.backup, c.database_version, drive_c() / "old.bak");
        EXPECT_EQ(ok(sa_, u"RESTORE HEADERONLY FROM DISK = N'C:\\old.bak'").results.at(0).rows.size(), 1u);
        const auto restore = run(sa_, u"RESTORE DATABASE aged FROM DISK = N'C:\\old.bak' WITH MOVE N'mirvox_data' "
                                      u"TO N'D:\\data\\aged.mdf', MOVE N'mirvox_log' TO N'D:\\data\\aged.ldf'");
        if (!c.compatibility_level) {
            EXPECT_EQ(restore.message_numbers(), (std::vector<int32_t>{3169, 3013}));
            EXPECT_NE(restore.messages.at(0).text.find(u"running version " + version_text(c.backup) + u". That"),
                      std::u16string::npos);
            continue;
        }
        EXPECT_FALSE(restore.any_failed()) << utf8(restore.error_text());
        EXPECT_EQ(ok(sa_, u"RESTORE FILELISTONLY FROM DISK = N'C:\\old.bak'").results.at(0).rows.size(), 2u);
        EXPECT_EQ(scalar(sa_, u"select compatibility_level from sys.databases where name = 'aged'"),
                  Value(*c.compatibility_level));
        ok(sa_, u"DROP DATABASE aged");
    }
}

// A server of an old release writes backups that say so, which a newer one
// refuses: how a test makes a template too old to install.
TEST_F(BackupInformationTest, AnOldServersBackupRecordsItsRelease) {
    auto engine_options = options();
    engine_options.product_version = {{9, 0, 5000}, 0};
    start(engine_options);
    sa_ = login_sa();
    ok(sa_, u"BACKUP DATABASE mirvox_template TO DISK = N'C:\\old_template.bak' WITH INIT");
    auto header = single_row(u"RESTORE HEADERONLY FROM DISK = N'C:\\old_template.bak'");
    EXPECT_EQ(header[u"SoftwareVersionMajor"], Value(9));
    EXPECT_EQ(header[u"SoftwareVersionMinor"], Value(0));
    EXPECT_EQ(header[u"SoftwareVersionBuild"], Value(5000));
    EXPECT_EQ(header[u"DatabaseVersion"], Value(611));
    EXPECT_EQ(header[u"CompatibilityLevel"], Value(150));  // the database's own, made on 2019

    start(options());
    sa_ = login_sa();
    const auto restore = run(sa_, u"RESTORE DATABASE aged FROM DISK = N'C:\\old_template.bak'");
    ASSERT_EQ(restore.message_numbers(), (std::vector<int32_t>{3169, 3013}));
    EXPECT_EQ(restore.messages[0].text,
              u"The database was backed up on a server running version 9.00.5000. That version is incompatible with "
              u"this server, which is running version 15.00.2000. Either restore the database on a server that "
              u"supports the backup, or use a backup that is compatible with this server.");
}

TEST_F(BackupInformationTest, ABackupOfTheFirstFormatShowsWhatItKnows) {
    std::string description =
        "database\told\nfile\told_data\tC:\\old\\old.mdf\tdata\nfile\told_log\tC:\\old\\old.ldf\tlog\ndata_bytes\t0\n";
    std::string bytes = "SQLSERVER-EMULATOR-BACKUP 1\n";
    for (int i = 0; i < 8; ++i) bytes.push_back(static_cast<char>(description.size() >> (8 * i)));
    bytes += description + std::string(8, '\0');
    std::ofstream(drive_c() / "old.bak", std::ios::binary) << bytes;
    auto header = single_row(u"RESTORE HEADERONLY FROM DISK = N'C:\\old.bak'");
    EXPECT_EQ(header[u"DatabaseName"], Value(std::u16string(u"old")));
    EXPECT_EQ(header[u"SoftwareVersionMajor"], Value(15));
    EXPECT_EQ(header[u"SoftwareVersionBuild"], Value(2000));
    for (const char16_t* unknown : {u"BackupStartDate", u"BackupFinishDate", u"UserName", u"BackupSetGUID"})
        EXPECT_EQ(header[unknown], Value(std::monostate{})) << utf8(unknown);
    EXPECT_EQ(ok(sa_, u"RESTORE FILELISTONLY FROM DISK = N'C:\\old.bak'").results.at(0).rows.size(), 2u);
}

}  // namespace
}  // namespace emulator::testing
