// Runs that do not end as planned: the program killed while the template is
// restored over a dropped database, a second install started beside a first,
// a session of the tills in the new database when a later step fails, and the
// server's service restarting in the middle of the restore. Whatever ends the
// run, the old database comes back, now or at the next start.
#include "install_test.h"

#include <thread>

namespace e2e {
namespace {

constexpr auto line_timeout = std::chrono::seconds(90);

// The template's restore, and not the rollback's restore of a safety backup
// (whose text has one blank after FROM).
constexpr char template_restore[] = "FROM  DISK";

class InterruptedRun : public InstallTest {
protected:
    // dbinstall.com --unattended against this test's server, left running;
    // its output goes to work/<name>.out.
    std::unique_ptr<ChildProcess> start_unattended(const std::string& name, const std::vector<std::string>& extra) {
        std::vector<std::string> arguments{"--unattended", "--server", server_->address(), "--data-path",
                                           windows_path("data"), "--template", windows_path("template/mirvox.dat")};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return wine_.start_command_line_of(KORVENA_DBINSTALL_COM, host_path("work"), arguments, sa_password_,
                                           output_of(name));
    }

    std::filesystem::path output_of(const std::string& name) const { return host_path("work/" + name + ".out"); }

    // Waits (bounded) until the running program has printed `line`.
    void wait_for_line(const std::string& name, const std::string& line) {
        const auto deadline = std::chrono::steady_clock::now() + line_timeout;
        while (read_file(output_of(name)).find(line + "\n") == std::string::npos) {
            ASSERT_LT(std::chrono::steady_clock::now(), deadline)
                << "'" << line << "' was not printed:\n" << read_file(output_of(name));
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }

    // An install replacing the old database, whose template restore the
    // server holds for `delay_ms`, started and caught inside that restore.
    void start_held_in_the_restore(const std::string& name, int delay_ms, std::unique_ptr<ChildProcess>& program) {
        ASSERT_NO_FATAL_FAILURE(start_server(
            {.old_database = true,
             .faults = {std::string("delay:") + template_restore + ":" + std::to_string(delay_ms)}}));
        program = start_unattended(name, {"--drop-existing"});
        ASSERT_NO_FATAL_FAILURE(wait_for_line(name, "开始创建新数据库..."));
        std::this_thread::sleep_for(std::chrono::seconds(2));
    }

    // The exit status, once the program has ended.
    int exit_status_of(ChildProcess& program) {
        const std::optional<int> status = program.wait_for(std::chrono::seconds(120));
        EXPECT_TRUE(status) << "the program did not end";
        return status.value_or(-1);
    }
};

TEST_F(InterruptedRun, KilledDuringTheRestoreTheNextRunPutsTheOldDatabaseBackThenInstalls) {
    std::unique_ptr<ChildProcess> killed;
    ASSERT_NO_FATAL_FAILURE(start_held_in_the_restore("killed", 6000, killed));
    wine_.kill_program("dbinstall.com");
    exit_status_of(*killed);
    ASSERT_TRUE(std::filesystem::exists(run_record_file())) << read_file(output_of("killed"));
    const std::string first_backup = only_safety_backup();

    const ProgramResult next = install_unattended({"--drop-existing"});
    ASSERT_EQ(next.exit_code, 0) << next.output << next.errors;
    const size_t recovered = next.output.find("上次的安装没有完成，正在恢复安装前的状态...\n");
    const size_t restored = next.output.find("从安全备份还原原数据库：" + first_backup + "\n");
    const size_t backed_up = next.output.find("备份旧数据库...\n");
    EXPECT_LT(recovered, restored) << next.output;
    EXPECT_LT(restored, backed_up) << "the old database is back before this run backs it up\n" << next.output;
    EXPECT_FALSE(std::filesystem::exists(run_record_file()));
    EXPECT_EQ(safety_backups().size(), 2u) << "the interrupted run's backup stays beside this run's";
    expect_installed("data", {"单店", "0"});
}

// Ctrl+C in the console of dbinstall.com: before the first change the run
// stops and nothing has changed; once the server is being changed the stop
// is refused, and the run goes on to its end.
TEST_F(InterruptedRun, CtrlCStopsARunBeforeItsFirstChangeAndIsRefusedAfterIt) {
    ASSERT_NO_FATAL_FAILURE(start_server(
        {.old_database = true,
         .faults = {"delay:HEADERONLY:3000", std::string("delay:") + template_restore + ":3000"}}));

    auto early = start_unattended("early", {"--drop-existing"});
    ASSERT_NO_FATAL_FAILURE(wait_for_line("early", "安装系统信息..."));
    early->interrupt();
    EXPECT_EQ(exit_status_of(*early), 14) << read_file(output_of("early"));
    EXPECT_NE(read_file(output_of("early")).find("安装将在改动数据库服务器以前停止"), std::string::npos)
        << read_file(output_of("early"));
    EXPECT_TRUE(safety_backups().empty());
    EXPECT_FALSE(std::filesystem::exists(run_record_file()));
    expect_old_installation_kept();

    auto late = start_unattended("late", {"--drop-existing"});
    ASSERT_NO_FATAL_FAILURE(wait_for_line("late", "开始创建新数据库..."));
    late->interrupt();
    EXPECT_EQ(exit_status_of(*late), 0) << read_file(output_of("late"));
    EXPECT_NE(read_file(output_of("late")).find("现在不能中断"), std::string::npos) << read_file(output_of("late"));
    expect_installed("data", {"单店", "0"});
}

TEST_F(InterruptedRun, ASecondInstallBesideARunningOneEndsAndChangesNothing) {
    ASSERT_NO_FATAL_FAILURE(
        start_server({.old_database = true, .faults = {std::string("delay:") + template_restore + ":4000"}}));

    auto first = start_unattended("first", {"--drop-existing"});
    ASSERT_NO_FATAL_FAILURE(wait_for_line("first", "开始创建新数据库..."));
    const ProgramResult second = install_unattended({"--drop-existing", "--store-mode", "headquarters"});
    EXPECT_EQ(second.exit_code, 13) << second.output << second.errors;
    EXPECT_EQ(second.output.find("正在连接数据库服务器..."), std::string::npos) << second.output;

    EXPECT_EQ(exit_status_of(*first), 0) << read_file(output_of("first"));
    EXPECT_EQ(safety_backups().size(), 1u);
    expect_installed("data", {"单店", "0"});
}

// The tills (or anyone with the application login) work in the new database
// when the store mode cannot be stored: their session does not stop the new
// database from being taken away and the old one put back.
TEST_F(InterruptedRun, ASessionInTheNewDatabaseDoesNotStopTheRollback) {
    ASSERT_NO_FATAL_FAILURE(start_server({.old_database = true,
                                          .faults = {"delay:Delete from t_sys_system:5000",
                                                     "fail:insert into t_sys_system:2627"}}));

    auto run = start_unattended("run", {"--drop-existing"});
    ASSERT_NO_FATAL_FAILURE(wait_for_line("run", "设置连锁模式"));
    // The login is made as the phase begins: the till may need a moment to get in.
    auto connection = CatalogClient::connect(server_->port(), "mirvox", "rovtakl");
    for (int attempt = 0; attempt < 20 && std::holds_alternative<SqlError>(connection); ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        connection = CatalogClient::connect(server_->port(), "mirvox", "rovtakl");
    }
    ASSERT_TRUE(std::holds_alternative<std::unique_ptr<CatalogClient>>(connection))
        << std::get<SqlError>(connection).text;
    auto& till = *std::get<std::unique_ptr<CatalogClient>>(connection);
    ASSERT_FALSE(till.execute("use mirvox")) << "the till's session must be in the new database";

    EXPECT_EQ(exit_status_of(*run), 1) << read_file(output_of("run"));
    EXPECT_NE(read_file(output_of("run")).find("原数据库已从安全备份恢复"), std::string::npos)
        << read_file(output_of("run"));
    expect_old_installation_kept();
}

// SQL Server's service restarts in the middle of the restore and recovers
// its databases for 20 s before it lets anyone in: the rollback waits for it.
TEST_F(InterruptedRun, TheServiceRestartingDuringTheRestoreIsWaitedForAndTheOldDatabaseComesBack) {
    std::unique_ptr<ChildProcess> run;
    ASSERT_NO_FATAL_FAILURE(start_held_in_the_restore("run", 30000, run));
    ASSERT_NO_FATAL_FAILURE(restart_server({.arguments = {"--startup-delay", "20"}, .same_port = true}));

    EXPECT_EQ(exit_status_of(*run), 1) << read_file(output_of("run"));
    const std::string output = read_file(output_of("run"));
    EXPECT_NE(output.find("原数据库已从安全备份恢复"), std::string::npos) << output;
    EXPECT_FALSE(std::filesystem::exists(run_record_file()));
    expect_old_installation_kept();
}

}  // namespace
}  // namespace e2e
