// Backups in the stand-in's format and restores of them, with progress,
// refusals and attention.
#include "backup_fixture.h"

#include <chrono>
#include <fstream>

namespace emulator::testing {
namespace {

TEST_F(BackupRestoreTest, BackupReportsPagesProcessed) {
    ASSERT_FALSE(backup_.messages.empty());
    const ServerMessage& summary = backup_.messages.back();
    EXPECT_EQ(summary.number, 3014);
    EXPECT_EQ(summary.severity, 0);
    EXPECT_TRUE(utf8(summary.text).starts_with("BACKUP DATABASE successfully processed 386 pages in "))
        << utf8(summary.text);
    EXPECT_TRUE(utf8(summary.text).ends_with(" MB/sec).")) << utf8(summary.text);
}

TEST_F(BackupRestoreTest, RestoreWithMoveRecreatesTablesFilesAndBytes) {
    const auto restored = ok(sa_, restore_mirvox_);

    std::vector<std::u16string> progress;
    for (const auto& message : restored.messages)
        if (message.number == 3211) {
            EXPECT_EQ(message.severity, 10);
            progress.push_back(message.text);
        }
    ASSERT_EQ(progress.size(), 10u);
    EXPECT_EQ(progress.front(), u"10 percent processed.");
    EXPECT_EQ(progress.back(), u"100 percent processed.");
    const auto& messages = restored.messages;
    ASSERT_GE(messages.size(), 13u);
    EXPECT_EQ(messages[10].text, u"Processed 384 pages for database 'mirvox', file 'mirvox_data' on file 1.");
    EXPECT_EQ(messages[10].severity, 0);
    EXPECT_EQ(messages[11].text.substr(0, 60), u"Processed 2 pages for database 'mirvox', file 'mirvox_log' o");
    EXPECT_TRUE(utf8(messages[12].text).starts_with("RESTORE DATABASE successfully processed 386 pages in "));

    EXPECT_EQ(read_file(drive_d() / "data" / "mirvox_Data.MDF"), data_bytes_);
    EXPECT_EQ(std::filesystem::file_size(drive_d() / "data" / "mirvox_Log.LDF"), 2u << 20);
    const auto files = ok(sa_, u"select name, filename from mirvox.dbo.sysfiles");
    ASSERT_EQ(files.results.at(0).rows.size(), 2u);
    EXPECT_EQ(files.results[0].rows[0][0], Value(std::u16string(u"mirvox_data")));
    EXPECT_EQ(files.results[0].rows[0][1], Value(std::u16string(u"D:\\data\\mirvox_Data.MDF")));
    EXPECT_EQ(files.results[0].rows[1][1], Value(std::u16string(u"D:\\data\\mirvox_Log.LDF")));
    EXPECT_EQ(scalar(sa_, u"select sys_var_name from mirvox.dbo.t_sys_system where sys_var_id = 'Is_Distributed'"),
              Value(std::u16string(u"单店")));
    // The template itself is untouched.
    EXPECT_EQ(read_file(drive_c() / "template" / "mirvox_template.mdf"), data_bytes_);
}

TEST_F(BackupRestoreTest, RestoreReplacesTheDatabaseCreatedForIt) {
    ok(sa_, u"CREATE DATABASE mirvox  ON PRIMARY (NAME = N'mirvox_Data', FILENAME = N'D:\\data\\mirvox_Data.MDF' , "
            u"SIZE = 12, FILEGROWTH = 30%) LOG ON (NAME = N'mirvox_Log', FILENAME = N'D:\\data\\mirvox_Log.LDF' , "
            u"SIZE = 12, FILEGROWTH = 30%)");
    const Value dbid = scalar(sa_, u"select dbid from sysdatabases where name = 'mirvox'");
    ok(sa_, restore_mirvox_);
    EXPECT_EQ(scalar(sa_, u"select dbid from sysdatabases where name = 'mirvox'"), dbid);
    EXPECT_EQ(std::filesystem::file_size(drive_d() / "data" / "mirvox_Data.MDF"), data_bytes_.size());
    // Nothing of the copy is left beside the files.
    for (const auto& entry : std::filesystem::directory_iterator(drive_d() / "data"))
        EXPECT_TRUE(entry.path().extension() == ".MDF" || entry.path().extension() == ".LDF") << entry.path();
}

TEST_F(BackupRestoreTest, RestoreWithoutMoveUsesTheOriginalPaths) {
    ok(sa_, u"Drop DATABASE mirvox_template");
    EXPECT_FALSE(std::filesystem::exists(drive_c() / "template" / "mirvox_template.mdf"));
    ok(sa_, u"RESTORE DATABASE mirvox_template FROM DISK = N'C:\\template\\mirvox.dat'");
    EXPECT_EQ(read_file(drive_c() / "template" / "mirvox_template.mdf"), data_bytes_);
}

TEST_F(BackupRestoreTest, RefusedRestoresEndWithTheTerminationMessage) {
    std::ofstream(drive_c() / "not_a_backup.bak") << "MZ this is no backup";
    ok(sa_, u"CREATE DATABASE other ON PRIMARY (NAME = N'o', FILENAME = N'D:\\data\\other.MDF')");
    const auto mirvox_restore = [](const std::u16string& device, const std::u16string& moves) {
        return u"RESTORE DATABASE mirvox FROM  DISK = N'" + device + u"' WITH  FILE = 1,  NOUNLOAD ,  STATS = 10,  "
                                                                    u"RECOVERY ,  REPLACE " + moves;
    };
    const std::u16string good_moves =
        u",MOVE 'mirvox_log' TO N'D:\\data\\mirvox_Log.LDF',MOVE 'mirvox_data' TO N'D:\\data\\mirvox_Data.MDF'";
    const struct {
        std::u16string sql;
        int32_t number;
        uint8_t state;
        std::u16string text;
    } cases[] = {
        {mirvox_restore(u"c:\\zq.tmp", good_moves), 3201, 2,
         u"Cannot open backup device 'c:\\zq.tmp'. Operating system error 2(The system cannot find the file specified.)."},
        {mirvox_restore(u"q:\\zq.tmp", good_moves), 3201, 2,
         u"Cannot open backup device 'q:\\zq.tmp'. Operating system error 3(The system cannot find the path specified.)."},
        {mirvox_restore(u"C:\\not_a_backup.bak", good_moves), 3241, 0,
         u"The media family on device 'C:\\not_a_backup.bak' is incorrectly formed. SQL Server cannot process this "
         u"media family."},
        {mirvox_restore(u"C:\\template\\mirvox.dat", u",MOVE 'korvena_data' TO N'D:\\data\\x.MDF'"), 3234, 2,
         u"Logical file 'korvena_data' is not part of database 'mirvox'. Use RESTORE FILELISTONLY to list the "
         u"logical file names."},
        {mirvox_restore(u"C:\\template\\mirvox.dat", u",MOVE 'mirvox_data' TO N'D:\\nofolder\\x.MDF'"), 5133, 1, {}},
        {mirvox_restore(u"C:\\template\\mirvox.dat", u",MOVE 'mirvox_data' TO N'D:\\data\\other.MDF', MOVE 'mirvox_log' TO N'D:\\data\\l.LDF'"),
         1834, 1, u"The file 'D:\\data\\other.MDF' cannot be overwritten.  It is being used by database 'other'."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(utf8(c.sql));
        const auto sink = run(sa_, c.sql);
        ASSERT_EQ(sink.messages.size(), 2u);
        EXPECT_EQ(sink.messages[0].number, c.number);
        EXPECT_EQ(sink.messages[0].state, c.state);
        if (!c.text.empty()) {
            EXPECT_EQ(sink.messages[0].text, c.text);
        }
        EXPECT_EQ(sink.messages[1].number, 3013);
        EXPECT_EQ(sink.messages[1].text, u"RESTORE DATABASE is terminating abnormally.");
        EXPECT_TRUE(sink.dones.at(0).failed);
    }
    EXPECT_EQ(std::filesystem::file_size(drive_d() / "data" / "other.MDF"), 8u << 20);

    // Without REPLACE a file that belongs to no database is not overwritten.
    std::ofstream(drive_d() / "data" / "left.MDF") << "keep me";
    const auto kept = run(sa_, u"RESTORE DATABASE fresh FROM DISK = N'C:\\template\\mirvox.dat' WITH MOVE 'mirvox_data' "
                               u"TO N'D:\\data\\left.MDF', MOVE 'mirvox_log' TO N'D:\\data\\left.LDF'");
    EXPECT_EQ(kept.message_numbers(), (std::vector<int32_t>{3142, 3013}));
    EXPECT_EQ(read_file(drive_d() / "data" / "left.MDF"), "keep me");
    EXPECT_EQ(scalar(sa_, u"select count(*) from sysdatabases where name = 'mirvox'"), Value(0));
}

TEST_F(BackupRestoreTest, RestoreOfADatabaseInUseIsRefused) {
    ok(sa_, restore_mirvox_);
    const int user = login_sa();
    ok(user, u"use mirvox");
    const auto sink = run(sa_, restore_mirvox_);
    EXPECT_EQ(sink.message_numbers(), (std::vector<int32_t>{3101, 3013}));
}

TEST_F(BackupRestoreTest, AttentionStopsARestoreWithoutChangingTheCatalog) {
    RecordingSink sink;
    sink.on_message = [&sink](const ServerMessage& message) {
        if (message.number == 3211) sink.request_attention();
    };
    EXPECT_EQ(engine_->execute_batch(sa_, restore_mirvox_, sink), BatchEnd::completed);
    EXPECT_TRUE(sink.dones.empty());
    for (const auto& message : sink.messages) EXPECT_NE(message.number, 3014);
    EXPECT_EQ(scalar(sa_, u"select count(*) from sysdatabases where name = 'mirvox'"), Value(0));
    EXPECT_TRUE(std::filesystem::is_empty(drive_d() / "data"));
}

TEST_F(BackupRestoreTest, ADelayedRestoreSpreadsItsProgressAndKeepsOtherSessionsServed) {
    auto engine_options = options();
    engine_options.faults = {{FaultRule::Kind::delay, u"restore database mirvox", 600}};
    start(engine_options);
    const int sa = login_sa();
    const int other = login_sa();

    std::vector<std::chrono::steady_clock::time_point> progress_times;
    RecordingSink sink;
    sink.on_message = [&](const ServerMessage& message) {
        if (message.number != 3211) return;
        progress_times.push_back(std::chrono::steady_clock::now());
        if (progress_times.size() == 5) {
            // Mid-restore, other sessions get answers but cannot touch the database.
            EXPECT_EQ(scalar(other, u"select count(*) from sysdatabases where name = 'mirvox_template'"), Value(1));
            EXPECT_EQ(run(other, u"CREATE DATABASE mirvox").message_numbers(), std::vector<int32_t>{1801});
            EXPECT_EQ(run(other, restore_mirvox_).message_numbers(), (std::vector<int32_t>{3101, 3013}));
        }
    };
    engine_->execute_batch(sa, restore_mirvox_, sink);
    EXPECT_FALSE(sink.any_failed()) << utf8(sink.error_text());
    ASSERT_EQ(progress_times.size(), 10u);
    EXPECT_GE(progress_times.back() - progress_times.front(), std::chrono::milliseconds(400));
    EXPECT_EQ(ok(other, u"use mirvox").messages.at(0).number, 5701);
}

}  // namespace
}  // namespace emulator::testing
