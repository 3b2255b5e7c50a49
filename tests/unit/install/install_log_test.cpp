// The install log's two operations and the lines of the install failure path.
#include "install_harness.h"

#include "install/recovery/failure_path.h"

#include <gtest/gtest.h>

namespace {

using install_test::RecordingForm;

TEST(InstallLog, PhasesShowOnTheStatusLineLinesOnlyInTheLog)
{
    RecordingForm form;
    install::InstallLog log(form);
    log.LogPhase(L"开始安装系统数据库...");
    log.LogLine(L"连接数据库成功");
    EXPECT_EQ(form.status, L"开始安装系统数据库...");
    EXPECT_EQ(form.log, L"none开始安装系统数据库...\r\n连接数据库成功\r\n");
    log.LogLine(L"");
    EXPECT_EQ(form.log, L"none开始安装系统数据库...\r\n连接数据库成功\r\n\r\n");
}

class FailurePath : public ::testing::Test, protected install_test::InstallHarness {
protected:
    install::InstallRun run{context};
};

TEST_F(FailurePath, StatusLineGainsTheErrorWhichThenStandsTwiceInTheLog)
{
    form.status = L"装载系统模板数据库...";
    form.log = L"earlier\r\n";
    const std::wstring error = L"Database 'mirvox' already exists. Choose a different database name.";

    EXPECT_EQ(install::fail_install(run, {1801, error}), install::InstallOutcome::statement_failed);
    EXPECT_EQ(form.status, L"装载系统模板数据库...    安装失败:" + error);
    EXPECT_EQ(form.log, L"earlier\r\n装载系统模板数据库...    安装失败:" + error + L"\r\n" + error + L"\r\n");
    ASSERT_EQ(prompts.shown().size(), 1u);
    EXPECT_EQ(prompts.shown()[0].title, L"警告");
    EXPECT_EQ(prompts.shown()[0].text, L"安装新数据库失败。");
    EXPECT_TRUE(form.install_enabled);
}

TEST_F(FailurePath, EmptyErrorTextLeavesAnEmptySecondLine)
{
    form.status = L"安装系统信息...";
    form.log.clear();
    install::fail_install(run, {});
    EXPECT_EQ(form.log, L"安装系统信息...    安装失败:\r\n\r\n");
}

}  // namespace
