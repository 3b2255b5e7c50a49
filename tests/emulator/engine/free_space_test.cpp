// --free-mb: xp_fixeddrives follows what the server's own files take and give
// back, and statements that need more than a drive has free fail as SQL
// Server's do, leaving nothing behind.
#include "backup_fixture.h"

#include <sys/statvfs.h>

namespace emulator::testing {
namespace {

constexpr int64_t mb = 1 << 20;

class FreeSpaceTest : public BackupRestoreTest {
protected:
    // C: holds the template and its 3 MiB + 2 MiB backup; D: is where databases go.
    void play(int64_t c_mb, int64_t d_mb) {
        auto engine_options = options();
        engine_options.free_mb = {{'C', c_mb}, {'D', d_mb}};
        start(engine_options);
        sa_ = login_sa();
    }

    std::vector<std::vector<Value>> drives() { return ok(sa_, u"EXEC master.dbo.xp_fixeddrives").results.at(0).rows; }

    Value free_on(char16_t letter) {
        for (const auto& row : drives())
            if (row.at(0) == Value(std::u16string(1, letter))) return row.at(1);
        return std::monostate{};
    }

    std::u16string restore_onto_d(const std::u16string& database) {
        return u"RESTORE DATABASE " + database + u" FROM DISK = N'C:\\template\\mirvox.dat' WITH FILE = 1, STATS = 10, "
               u"RECOVERY, REPLACE, MOVE N'mirvox_data' TO N'D:\\data\\" + database + u"_Data.MDF', MOVE N'mirvox_log' "
               u"TO N'D:\\data\\" + database + u"_Log.LDF'";
    }
};

TEST_F(FreeSpaceTest, FixedDrivesListsEveryDriveAndFollowsTheServersOwnFiles) {
    play(100, 50);
    const auto sink = ok(sa_, u"EXEC master.dbo.xp_fixeddrives");
    const ResultSet& result = sink.results.at(0);
    ASSERT_EQ(result.columns.size(), 2u);
    EXPECT_EQ(result.columns[0].name, u"drive");
    EXPECT_EQ(result.columns[0].type, ColumnType::character);
    EXPECT_EQ(result.columns[1].name, u"MB free");
    EXPECT_EQ(result.columns[1].type, ColumnType::int32);
    EXPECT_EQ(result.rows, (std::vector<std::vector<Value>>{{std::u16string(u"C"), 100}, {std::u16string(u"D"), 50}}));

    ok(sa_, u"CREATE DATABASE mirvox ON PRIMARY (NAME = N'mirvox_Data', FILENAME = N'D:\\data\\mirvox_Data.MDF', "
            u"SIZE = 12, FILEGROWTH = 30%) LOG ON (NAME = N'mirvox_Log', FILENAME = N'D:\\data\\mirvox_Log.LDF', "
            u"SIZE = 12, FILEGROWTH = 30%)");
    EXPECT_EQ(free_on(u'D'), Value(26));
    // Restored over its own files it takes only the difference: 3 + 2 MiB in place of 12 + 12.
    ok(sa_, restore_onto_d(u"mirvox"));
    EXPECT_EQ(free_on(u'D'), Value(45));
    const int64_t backup_size = static_cast<int64_t>(std::filesystem::file_size(drive_c() / "template" / "mirvox.dat"));
    ok(sa_, u"BACKUP DATABASE mirvox TO DISK = N'C:\\mirvox_safety.bak' WITH COPY_ONLY, INIT");
    EXPECT_EQ(free_on(u'C'), Value(static_cast<int32_t>((100 * mb - backup_size) / mb)));
    ok(sa_, u"BACKUP DATABASE mirvox TO DISK = N'C:\\mirvox_safety.bak' WITH COPY_ONLY, INIT");  // overwrites
    EXPECT_EQ(free_on(u'C'), Value(static_cast<int32_t>((100 * mb - backup_size) / mb)));
    ok(sa_, u"DROP DATABASE mirvox");
    EXPECT_EQ(free_on(u'D'), Value(50));
}

TEST_F(FreeSpaceTest, ADriveWithoutTheOptionReportsItsRealFreeSpace) {
    auto engine_options = options();
    engine_options.free_mb = {{'D', 7}};
    start(engine_options);
    sa_ = login_sa();
    const auto real_mb = [&] {
        struct statvfs status {};
        EXPECT_EQ(::statvfs(drive_c().c_str(), &status), 0);
        return static_cast<int64_t>(static_cast<uint64_t>(status.f_bavail) * status.f_frsize / mb);
    };
    const int64_t before = real_mb();
    const int32_t reported = std::get<int32_t>(free_on(u'C'));
    const int64_t after = real_mb();
    EXPECT_GE(reported, std::min(before, after) - 1);
    EXPECT_LE(reported, std::max(before, after) + 1);
    EXPECT_EQ(free_on(u'D'), Value(7));
}

TEST_F(FreeSpaceTest, CreateDatabaseWithoutRoomFailsToExtendItsFile) {
    play(100, 20);
    const auto sink = run(sa_, u"CREATE DATABASE big ON PRIMARY (NAME = N'big_Data', FILENAME = N'D:\\data\\big.MDF', "
                               u"SIZE = 12) LOG ON (NAME = N'big_Log', FILENAME = N'D:\\data\\big.LDF', SIZE = 12)");
    ASSERT_EQ(sink.message_numbers(), (std::vector<int32_t>{5149, 1802}));
    EXPECT_EQ(sink.messages[0].text, u"MODIFY FILE encountered operating system error 112(There is not enough space on "
                                     u"the disk.) while attempting to expand the physical file 'D:\\data\\big.LDF'.");
    EXPECT_EQ(sink.messages[0].severity, 16);
    EXPECT_TRUE(std::filesystem::is_empty(drive_d() / "data"));
    EXPECT_EQ(scalar(sa_, u"select count(*) from sysdatabases where name = 'big'"), Value(0));
    EXPECT_EQ(free_on(u'D'), Value(20));
    // The same fits on a drive with room.
    ok(sa_, u"CREATE DATABASE big ON PRIMARY (NAME = N'big_Data', FILENAME = N'C:\\big.MDF', SIZE = 12) LOG ON "
            u"(NAME = N'big_Log', FILENAME = N'C:\\big.LDF', SIZE = 12)");
}

TEST_F(FreeSpaceTest, RestoreWithoutRoomIsRefusedBeforeItWrites) {
    play(100, 4);
    const auto sink = run(sa_, restore_onto_d(u"mirvox"));
    ASSERT_EQ(sink.message_numbers(), (std::vector<int32_t>{3257, 3013}));
    EXPECT_EQ(sink.messages[0].text,
              u"There is insufficient free space on disk volume 'D:\\' to create the database. The database requires "
              u"5242880 additional free bytes, while only 4194304 bytes are available.");
    EXPECT_EQ(sink.messages[1].text, u"RESTORE DATABASE is terminating abnormally.");
    for (const auto& message : sink.messages) EXPECT_NE(message.number, 3211);
    EXPECT_TRUE(std::filesystem::is_empty(drive_d() / "data"));
    EXPECT_EQ(scalar(sa_, u"select count(*) from sysdatabases where name = 'mirvox'"), Value(0));
    EXPECT_EQ(free_on(u'D'), Value(4));
}

TEST_F(FreeSpaceTest, BackupWithoutRoomFailsPartWayAndKeepsTheOldBackup) {
    play(1, 100);
    ok(sa_, u"CREATE DATABASE small ON PRIMARY (NAME = N'small', FILENAME = N'D:\\data\\small.MDF', SIZE = 512KB) LOG "
            u"ON (NAME = N'small_log', FILENAME = N'D:\\data\\small.LDF', SIZE = 512KB)");
    ok(sa_, u"BACKUP DATABASE small TO DISK = N'C:\\other.bak'");
    const std::string old_backup = read_file(drive_c() / "other.bak");
    EXPECT_EQ(free_on(u'C'), Value(0));
    // Overwriting it, the template's backup has 1 MiB in all: about a third of its 3 MiB of data.
    const auto sink = run(sa_, u"BACKUP DATABASE mirvox_template TO DISK = N'C:\\other.bak' WITH COPY_ONLY, INIT, "
                               u"STATS = 10");
    EXPECT_EQ(sink.message_numbers(), (std::vector<int32_t>{3211, 3211, 3211, 3202, 3013}));
    ASSERT_EQ(sink.messages.size(), 5u);
    EXPECT_EQ(sink.messages[2].text, u"30 percent processed.");
    EXPECT_EQ(sink.messages[3].text, u"Write on \"C:\\other.bak\" failed: 112(There is not enough space on the disk.)");
    EXPECT_EQ(sink.messages[4].text, u"BACKUP DATABASE is terminating abnormally.");
    EXPECT_EQ(read_file(drive_c() / "other.bak"), old_backup);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(drive_c()), {}), 2) << "template and other.bak only";
    EXPECT_EQ(free_on(u'C'), Value(0));
    // Where there is room the same backup succeeds.
    ok(sa_, u"BACKUP DATABASE mirvox_template TO DISK = N'D:\\data\\template.bak' WITH COPY_ONLY, INIT");
}

}  // namespace
}  // namespace emulator::testing
