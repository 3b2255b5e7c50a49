// The window during a long restore: it answers within moments, shows the
// restore's share done, refuses to close, and the install completes.
#include "install_test.h"

#include <set>

namespace e2e {
namespace {

using Messages = std::vector<std::vector<std::string>>;

constexpr int slowest_answer_ms = 250;  // Windows calls a window hung after 5 s; the goal is 100 ms

class ResponsiveWindow : public InstallTest {};

TEST_F(ResponsiveWindow, AnswersDuringALongRestoreShowsItsProgressAndRefusesToClose) {
    ASSERT_NO_FATAL_FAILURE(start_server({.faults = {"delay:RESTORE DATABASE:15000"}}));
    start_installer();
    auto steps = install_steps(default_form());
    steps.insert(steps.end(), {"watch-install", "message", "status", "install-enabled", "close"});

    const DriverRun run = drive(steps);

    ASSERT_EQ(run.exit_code, 0) << run.output;
    EXPECT_LE(std::stoi(observed_once(run, "slowest")), slowest_answer_ms) << run.output;
    std::set<std::string> restore_shares;
    const std::string restore = "装载系统模板数据库... ";
    for (const auto& progress : observed(run, "progress"))
        if (progress.at(0).starts_with(restore)) restore_shares.insert(progress[0].substr(restore.size()));
    EXPECT_GE(restore_shares.size(), 3u) << run.output;
    EXPECT_EQ(observed(run, "refused"), (Messages{{"正在安装数据库，请等安装结束后再关闭窗口。"}}));
    EXPECT_EQ(observed(run, "message"), (Messages{{"Korvena", "安装新数据库成功！"}}));
    EXPECT_EQ(observed_once(run, "status"), "安装新数据库成功！") << "no share done stays behind";
    EXPECT_EQ(observed_once(run, "install-enabled"), "0");
    expect_installed("data", {"单店", "0"});
}

TEST_F(ResponsiveWindow, UnattendedProgressGoesToStandardErrorNotTheLog) {
    // A template the server may not open where it lies is staged first: the copy shows its share too.
    ASSERT_NO_FATAL_FAILURE(start_server(
        {.faults = {"delay:RESTORE DATABASE:2000"}, .arguments = {"--unreadable", windows_path("template")}}));

    const ProgramResult result = install_unattended({"--progress"});

    EXPECT_EQ(result.exit_code, 0) << result.errors;
    std::string lines;
    for (const auto& line : fresh_install_lines) lines += line + "\n";
    EXPECT_EQ(result.output, lines) << "the log holds no progress";
    for (const char* share : {"10%", "50%", "100%"})
        EXPECT_NE(result.errors.find("progress: 装载系统模板数据库... " + std::string(share) + "\n"), std::string::npos)
            << result.errors;
    EXPECT_NE(result.errors.find("progress: 安装系统信息... 100%\n"), std::string::npos) << result.errors;
    EXPECT_TRUE(result.errors.ends_with("Korvena: 安装新数据库成功！\n")) << result.errors;
}

}  // namespace
}  // namespace e2e
