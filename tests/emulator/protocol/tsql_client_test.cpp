// The stand-in through FreeTDS's command-line client tsql.
#include "child_process.h"
#include "temporary_folder.h"

#include <gtest/gtest.h>

namespace emulator::testing {
namespace {

ProgramResult tsql(uint16_t port, const std::string& password, const std::string& script) {
    return run_program({"tsql", "-H", "127.0.0.1", "-p", std::to_string(port), "-U", "sa", "-P", password},
                       script + "\nquit\n", {"TDSVER=7.4", "LANG=C.UTF-8", "LC_ALL=C.UTF-8"}, std::chrono::seconds(60));
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(TsqlClientTest, RunsBatchesAndShowsRowsAndErrors) {
    EmulatorProcess emulator;
    const ProgramResult result = tsql(emulator.port(), EmulatorProcess::kSaPassword,
                                      "CREATE DATABASE tsql_db\ngo\n"
                                      "CREATE TABLE tsql_db.dbo.t (id int, name nvarchar(20))\ngo\n"
                                      "INSERT INTO tsql_db.dbo.t VALUES (1, N'单店'), (2, N'连锁总部')\ngo\n"
                                      "SELECT id, name FROM tsql_db.dbo.t\ngo\n"
                                      "SELECT * FROM missing_table\ngo\n");
    const std::string all = result.out + result.err;
    EXPECT_TRUE(contains(all, "1\t单店")) << all;
    EXPECT_TRUE(contains(all, "2\t连锁总部")) << all;
    EXPECT_TRUE(contains(all, "Msg 208")) << all;
    EXPECT_TRUE(contains(all, "Invalid object name 'missing_table'.")) << all;
}

TEST(TsqlClientTest, WrongPasswordIsRefusedWithTheServersText) {
    EmulatorProcess emulator;
    const ProgramResult result = tsql(emulator.port(), "wrong", "SELECT 1\ngo\n");
    const std::string all = result.out + result.err;
    EXPECT_NE(result.exit_code, 0);
    EXPECT_TRUE(contains(all, "18456")) << all;
    EXPECT_TRUE(contains(all, "Login failed for user 'sa'.")) << all;
}

TEST(TsqlClientTest, RestoreProgressMessagesArrive) {
    TemporaryFolder drive_c;
    EmulatorProcess emulator({"--drive", "C=" + drive_c.path().string()});
    const ProgramResult result =
        tsql(emulator.port(), EmulatorProcess::kSaPassword,
             "CREATE DATABASE p ON (NAME = p_data, FILENAME = 'C:\\p.mdf') LOG ON (NAME = p_log, FILENAME = "
             "'C:\\p.ldf')\ngo\n"
             "BACKUP DATABASE p TO DISK = N'C:\\p.bak'\ngo\n"
             "RESTORE DATABASE q FROM DISK = N'C:\\p.bak' WITH STATS = 25, MOVE 'p_data' TO N'C:\\q.mdf', "
             "MOVE 'p_log' TO N'C:\\q.ldf'\ngo\n");
    const std::string all = result.out + result.err;
    for (const char* line : {"25 percent processed.", "50 percent processed.", "100 percent processed.",
                             "RESTORE DATABASE successfully processed"})
        EXPECT_TRUE(contains(all, line)) << line << "\n" << all;
}

}  // namespace
}  // namespace emulator::testing
