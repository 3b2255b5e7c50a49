// The run's record in a real file of a temporary folder: its lines and their
// times.
#include "install/record/run_journal.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace {

using install::RunJournal;

class RunJournalTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = std::filesystem::temp_directory_path() / "korvena-journal-test";
        std::filesystem::remove_all(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    // The file's lines, as UTF-8.
    std::vector<std::string> lines() const
    {
        std::ifstream file(folder_ / "logs" / "dbinstall.log", std::ios::binary);
        std::vector<std::string> result;
        for (std::string line; std::getline(file, line);) {
            EXPECT_TRUE(line.ends_with("\r")) << "each line ends in CR LF";
            result.push_back(line.substr(0, line.size() - 1));
        }
        return result;
    }

    std::filesystem::path folder_;
};

TEST_F(RunJournalTest, EveryLineHasItsTime)
{
    platform::LogFile file((folder_ / "logs" / "dbinstall.log").wstring());
    RunJournal journal(file);

    journal.begin(L"command line: --unattended --server VM");
    journal.line(L"开始安装系统数据库...");
    journal.statement({L"RESTORE DATABASE mirvox FROM  DISK = N'c:\\zq.tmp'", -1, 3241,
                       L"The media family on device 'c:\\zq.tmp' is incorrectly formed."});
    journal.statement({L"select name from master.dbo.sysdatabases where name =N'mirvox' ", 100, 0, L""});
    journal.message(L"Korvena", L"不能连接到数据库。Login failed for user 'sa'.\r\n请检查。");

    const auto written = lines();
    ASSERT_EQ(written.size(), 5u);
    EXPECT_TRUE(std::regex_match(written[0], std::regex("==== \\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d[+-]\\d\\d:\\d\\d "
                                                        "dbinstall \\d+\\.\\d+\\.\\d+ on .+: command line: "
                                                        "--unattended --server VM ====")))
        << written[0];
    const std::regex timed("\\d\\d:\\d\\d:\\d\\d (.*)");
    std::vector<std::string> texts;
    for (size_t i = 1; i < written.size(); ++i) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(written[i], match, timed)) << written[i];
        texts.push_back(match[1]);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{
                         "开始安装系统数据库...",
                         "sql: RESTORE DATABASE mirvox FROM  DISK = N'c:\\zq.tmp' -> failed 3241: The media family on "
                         "device 'c:\\zq.tmp' is incorrectly formed.",
                         "sql: select name from master.dbo.sysdatabases where name =N'mirvox'  -> no row",
                         "message: Korvena: 不能连接到数据库。Login failed for user 'sa'. / 请检查。",
                     }));
    EXPECT_FALSE(journal.failure());
}

TEST_F(RunJournalTest, AFileThatCannotBeWrittenIsReportedOnceAndStopsNothing)
{
    std::filesystem::create_directories(folder_ / "logs" / "dbinstall.log");  // a folder where the file should be
    platform::LogFile file((folder_ / "logs" / "dbinstall.log").wstring());
    RunJournal journal(file);
    journal.begin(L"window");
    journal.line(L"连接数据库成功");
    ASSERT_TRUE(journal.failure());
    EXPECT_FALSE(journal.failure()->empty()) << "the system's reason";
}

TEST_F(RunJournalTest, RunsAppendToTheSameFile)
{
    platform::LogFile file((folder_ / "logs" / "dbinstall.log").wstring());
    for (const wchar_t* run : {L"first", L"second"}) {
        RunJournal journal(file);
        journal.begin(run);
        journal.note(L"result: completed");
    }
    const auto written = lines();
    ASSERT_EQ(written.size(), 4u);
    EXPECT_TRUE(written[0].ends_with(": first ===="));
    EXPECT_TRUE(written[2].ends_with(": second ===="));
}

}  // namespace
