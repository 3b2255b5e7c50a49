// --verify-certificate reaches SQLCA: FreeTDS, the driver under Wine here,
// cannot verify a certificate, so the run stops at the connection and says
// why, before anything on the server changes.
#include "install_test.h"

namespace e2e {
namespace {

class VerifyCertificate : public InstallTest {};

TEST_F(VerifyCertificate, WithADriverThatCannotTheRunStopsAtTheConnection) {
    start_server();
    std::vector<std::string> arguments{"--unattended", "--server", server_->address(), "--data-path",
                                             windows_path("data"), "--template", windows_path("template/mirvox.dat"),
                                             "--verify-certificate"};
    const ProgramResult result =
        wine_.run_command_line(host_path("work"), arguments, sa_password_, std::chrono::seconds(120));
    EXPECT_EQ(result.exit_code, 4) << result.errors;
    EXPECT_EQ(result.output, "开始安装系统数据库...\n正在连接数据库服务器...\n");
    EXPECT_EQ(result.errors, "Korvena: 不能连接到数据库。The ODBC driver FreeTDS cannot verify the server's "
                             "certificate; ODBC Driver 18 for SQL Server can.\n");
    EXPECT_TRUE(rows("select name from master.dbo.sysdatabases where name = 'mirvox'").empty());

    // The same run without the option installs: the option alone made the difference.
    arguments.pop_back();
    EXPECT_EQ(wine_.run_command_line(host_path("work"), arguments, sa_password_, std::chrono::seconds(120)).exit_code, 0);
}

}  // namespace
}  // namespace e2e
