// How the share done reads beside a caption, and which server messages carry it.
#include "install/server/progress.h"

#include <gtest/gtest.h>

namespace {

using install::percent_processed;
using platform::ServerInfo;

TEST(Progress, TheShareStandsBehindTheCaption)
{
    EXPECT_EQ(install::with_percent(L"装载系统模板数据库...", 40), L"装载系统模板数据库... 40%");
    EXPECT_EQ(install::with_percent(L"安装系统信息...", 0), L"安装系统信息... 0%");
    EXPECT_EQ(install::with_percent(L"备份旧数据库...", 100), L"备份旧数据库... 100%");
}

TEST(Progress, OnlyThePercentProcessedMessageCountsInAnyLanguage)
{
    EXPECT_EQ(percent_processed(ServerInfo{3211, L"10 percent processed."}), 10);
    EXPECT_EQ(percent_processed(ServerInfo{3211, L"100 percent processed."}), 100);
    EXPECT_EQ(percent_processed(ServerInfo{3211, L"已处理百分之 40。"}), 40);
    EXPECT_EQ(percent_processed(ServerInfo{3211, L"70 pour cent traités."}), 70);
    // The pages and summary messages carry numbers too, but no share.
    EXPECT_EQ(percent_processed(ServerInfo{4035, L"Processed 384 pages for database 'm', file 'd' on file 1."}),
              std::nullopt);
    EXPECT_EQ(percent_processed(ServerInfo{3014, L"RESTORE DATABASE successfully processed 386 pages in 4.005 "
                                                 L"seconds (0.752 MB/sec)."}),
              std::nullopt);
    EXPECT_EQ(percent_processed(ServerInfo{3211, L"percent processed."}), std::nullopt);
    EXPECT_EQ(percent_processed(ServerInfo{3211, L"1000 percent processed."}), std::nullopt);
}

}  // namespace
