// BACKUP DATABASE's options, progress and failures, and restores of backups
// written before the backup header was kept.
#include "backup_fixture.h"
#include "text.h"

#include <chrono>
#include <csignal>
#include <sys/resource.h>

namespace emulator::testing {
namespace {

constexpr char16_t safety_backup[] =
    u"BACKUP DATABASE mirvox_template TO DISK = N'C:\\template\\safety.bak' WITH COPY_ONLY, INIT, STATS = 10";

std::vector<std::u16string> texts(const RecordingSink& sink) {
    std::vector<std::u16string> result;
    for (const auto& message : sink.messages) result.push_back(message.text);
    return result;
}

TEST_F(BackupRestoreTest, StatsReportsProgressInSqlServersOrder) {
    const auto sink = ok(sa_, safety_backup);
    const auto lines = texts(sink);
    ASSERT_EQ(lines.size(), 13u);
    for (int step = 1; step <= 9; ++step) EXPECT_EQ(lines[step - 1], to_u16(step * 10) + u" percent processed.");
    // The data file is counted before the last step, the log after it.
    EXPECT_EQ(lines[9], u"Processed 384 pages for database 'mirvox_template', file 'mirvox_data' on file 1.");
    EXPECT_EQ(lines[10], u"100 percent processed.");
    EXPECT_EQ(lines[11], u"Processed 2 pages for database 'mirvox_template', file 'mirvox_log' on file 1.");
    EXPECT_TRUE(utf8(lines[12]).starts_with("BACKUP DATABASE successfully processed 386 pages in ")) << utf8(lines[12]);
    for (size_t i = 0; i < 11; ++i) EXPECT_EQ(sink.messages[i].severity, i == 9 ? 0 : 10);
}

TEST_F(BackupRestoreTest, InitOverwritesAndWithoutItAnExistingBackupIsNotAppendedTo) {
    ok(sa_, safety_backup);
    ok(sa_, u"insert into mirvox_template.dbo.t_sys_system values ('Added', N'after the first backup')");
    ok(sa_, safety_backup);
    ok(sa_, u"RESTORE DATABASE copy FROM DISK = N'C:\\template\\safety.bak' WITH MOVE N'mirvox_data' TO "
            u"N'D:\\data\\copy.MDF', MOVE N'mirvox_log' TO N'D:\\data\\copy.LDF'");
    EXPECT_EQ(scalar(sa_, u"select count(*) from copy.dbo.t_sys_system"), Value(2));

    const std::string before = read_file(drive_c() / "template" / "safety.bak");
    for (const std::u16string sql : {u"BACKUP DATABASE mirvox_template TO DISK = N'C:\\template\\safety.bak'",
                                     u"BACKUP DATABASE mirvox_template TO DISK = N'C:\\template\\safety.bak' WITH NOINIT"}) {
        SCOPED_TRACE(utf8(sql));
        const auto refused = run(sa_, sql);
        ASSERT_EQ(refused.messages.size(), 1u);
        EXPECT_EQ(refused.messages[0].text, u"The SQL Server emulator does not support the statement '" + sql + u"'.");
    }
    EXPECT_EQ(read_file(drive_c() / "template" / "safety.bak"), before);
}

TEST_F(BackupRestoreTest, AFailedWriteIsMessage3202AndLeavesTheOldBackup) {
    const std::string before = read_file(drive_c() / "template" / "mirvox.dat");
    // The process may write no file past 1 MiB: the data copy fails half way.
    struct rlimit old_limit {};
    getrlimit(RLIMIT_FSIZE, &old_limit);
    const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old_limit;
    small.rlim_cur = 1 << 20;
    setrlimit(RLIMIT_FSIZE, &small);
    const auto failed = run(sa_, u"BACKUP DATABASE mirvox_template TO DISK = N'C:\\template\\mirvox.dat' WITH INIT");
    setrlimit(RLIMIT_FSIZE, &old_limit);
    std::signal(SIGXFSZ, old_handler);

    ASSERT_EQ(failed.message_numbers(), (std::vector<int32_t>{3202, 3013}));
    EXPECT_TRUE(utf8(failed.messages[0].text).starts_with("Write on \"C:\\template\\mirvox.dat\" failed: "))
        << utf8(failed.messages[0].text);
    EXPECT_EQ(failed.messages[1].text, u"BACKUP DATABASE is terminating abnormally.");
    EXPECT_EQ(read_file(drive_c() / "template" / "mirvox.dat"), before);
    for (const auto& entry : std::filesystem::directory_iterator(drive_c() / "template"))
        EXPECT_EQ(entry.path().string().find(".writing-"), std::string::npos) << entry.path();

    // A device that cannot be opened, here a folder, is 3201.
    const auto refused = run(sa_, u"BACKUP DATABASE mirvox_template TO DISK = N'C:\\template' WITH INIT");
    EXPECT_EQ(refused.message_numbers(), (std::vector<int32_t>{3201, 3013}));
    EXPECT_EQ(refused.messages.at(0).text,
              u"Cannot open backup device 'C:\\template'. Operating system error 5(Access is denied.).");
    EXPECT_TRUE(std::filesystem::is_directory(drive_c() / "template"));
}

TEST_F(BackupRestoreTest, ADelayedBackupSpreadsItsProgressAndAttentionStopsIt) {
    auto engine_options = options();
    engine_options.faults = {{FaultRule::Kind::delay, u"safety.bak", 500}};
    start(engine_options);
    const int sa = login_sa();
    std::vector<std::chrono::steady_clock::time_point> progress_times;
    RecordingSink sink;
    sink.on_message = [&](const ServerMessage& message) {
        if (message.number == 3211) progress_times.push_back(std::chrono::steady_clock::now());
    };
    engine_->execute_batch(sa, safety_backup, sink);
    EXPECT_FALSE(sink.any_failed()) << utf8(sink.error_text());
    ASSERT_EQ(progress_times.size(), 10u);
    EXPECT_GE(progress_times.back() - progress_times.front(), std::chrono::milliseconds(350));

    std::filesystem::remove(drive_c() / "template" / "safety.bak");
    RecordingSink stopped;
    stopped.on_message = [&stopped](const ServerMessage& message) {
        if (message.number == 3211) stopped.request_attention();
    };
    engine_->execute_batch(sa, safety_backup, stopped);
    EXPECT_TRUE(stopped.dones.empty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(drive_c() / "template"), {}), 3)
        << "only the template's two files and its backup";
}

TEST_F(BackupRestoreTest, ARestoreWithoutStatsStillServesItsDelay) {
    auto engine_options = options();
    engine_options.faults = {{FaultRule::Kind::delay, u"restore database quiet", 300}};
    start(engine_options);
    const int sa = login_sa();
    const auto started = std::chrono::steady_clock::now();
    const auto sink = ok(sa, u"RESTORE DATABASE quiet FROM DISK = N'C:\\template\\mirvox.dat' WITH MOVE 'mirvox_data' "
                             u"TO N'D:\\data\\quiet.MDF', MOVE 'mirvox_log' TO N'D:\\data\\quiet.LDF'");
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(300));
    for (const auto& message : sink.messages) EXPECT_NE(message.number, 3211);
}

// The layout the stand-in wrote before the backup header was kept.
std::string first_format_backup(const std::string& data) {
    const std::string description =
        "database\told\nfile\told_data\tC:\\old\\old.mdf\tdata\nfile\told_log\tC:\\old\\old.ldf\tlog\n"
        "table\tt_sys_system\ncolumn\tt_sys_system\tsys_var_id\tNVARCHAR\t40\t1\nrow\tt_sys_system\tsIs_Distributed\n"
        "data_bytes\t" + std::to_string(data.size()) + "\n";
    auto u64 = [](uint64_t value) {
        std::string bytes;
        for (int i = 0; i < 8; ++i) bytes.push_back(static_cast<char>(value >> (8 * i)));
        return bytes;
    };
    return "SQLSERVER-EMULATOR-BACKUP 1\n" + u64(description.size()) + description + data + u64(1 << 20);
}

TEST_F(BackupRestoreTest, BackupsOfTheFirstFormatStillRestore) {
    const std::string data(40000, 'd');
    std::ofstream(drive_c() / "old.bak", std::ios::binary) << first_format_backup(data);
    ok(sa_, u"RESTORE DATABASE old FROM DISK = N'C:\\old.bak' WITH STATS = 50, MOVE N'old_data' TO "
            u"N'D:\\data\\old.MDF', MOVE N'old_log' TO N'D:\\data\\old.LDF'");
    EXPECT_EQ(read_file(drive_d() / "data" / "old.MDF"), data);
    EXPECT_EQ(std::filesystem::file_size(drive_d() / "data" / "old.LDF"), 1u << 20);
    EXPECT_EQ(scalar(sa_, u"select sys_var_id from old.dbo.t_sys_system"), Value(std::u16string(u"Is_Distributed")));
    EXPECT_EQ(scalar(sa_, u"select maxsize from sysaltfiles where name = 'old_log'"), Value(268435456));

    // Cut short, either format is not a backup.
    std::string cut = first_format_backup(data);
    cut.resize(cut.size() - 3);
    std::ofstream(drive_c() / "cut.bak", std::ios::binary) << cut;
    std::string current = read_file(drive_c() / "template" / "mirvox.dat");
    current.resize(current.size() - 3);
    std::ofstream(drive_c() / "cut2.bak", std::ios::binary) << current;
    for (const std::u16string device : {u"C:\\cut.bak", u"C:\\cut2.bak"}) {
        const auto refused = run(sa_, u"RESTORE DATABASE cut FROM DISK = N'" + device + u"'");
        EXPECT_EQ(refused.message_numbers(), (std::vector<int32_t>{3241, 3013})) << utf8(device);
    }
}

}  // namespace
}  // namespace emulator::testing
