// What the checks before an install refuse, run unattended: each refusal
// names its cause on standard error, ends with status 8, and leaves the
// server, the data folder and C: as they were.
#include "install_test.h"

#include "backup_format.h"

#include <fstream>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

namespace e2e {
namespace {

// A template backup as a SQL Server 2022 (16.0.1000) would write it.
void write_template_of_a_newer_server(const std::filesystem::path& path) {
    emulator::BackupDescription newer;
    newer.database = u"korvena_template";
    newer.files = {{u"mirvox_data", u"C:\\template\\data.mdf", {}, emulator::FileKind::data},
                   {u"mirvox_log", u"C:\\template\\log.ldf", {}, emulator::FileKind::log}};
    newer.server_version = {16, 0, 1000};
    newer.database_version = 957;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(emulator::write_backup(fd, newer, {}, 1 << 20, [](uint64_t) { return true; }));
    ::close(fd);
}

class PreflightRefusal;

struct RefusalCase {
    const char* name;
    // The server's set-up, and what the test puts on disk; returns the
    // installer's options besides the usual ones.
    std::function<ServerSetup(PreflightRefusal&)> setup;
    std::function<std::vector<std::string>(PreflightRefusal&)> arrange;
    bool template_checked;  // refused once the template's check began (its log line shown)
    std::function<std::string(PreflightRefusal&)> problem;

    friend void PrintTo(const RefusalCase& c, std::ostream* out) { *out << c.name; }
};

class PreflightRefusal : public InstallTest, public ::testing::WithParamInterface<RefusalCase> {
public:
    using InstallTest::host_path;
    using InstallTest::windows_path;

    void write(const std::string& relative, const std::string& content) const {
        std::ofstream(host_path(relative), std::ios::binary) << content;
    }
    std::filesystem::path drive_c() const { return wine_.drive_c(); }
};

TEST_P(PreflightRefusal, NamesTheCauseAndChangesNothing) {
    const RefusalCase& c = GetParam();
    const ServerSetup setup = c.setup ? c.setup(*this) : ServerSetup{};
    ASSERT_NO_FATAL_FAILURE(start_server(setup));
    const std::vector<std::string> options = c.arrange ? c.arrange(*this) : std::vector<std::string>{};
    const std::vector<Row> databases_before = rows("select name from master.dbo.sysdatabases");
    const std::vector<Row> logins_before = rows("select name, dbname, sysadmin from master.dbo.syslogins");

    const ProgramResult result = install_unattended(options);

    EXPECT_EQ(result.exit_code, 8) << result.output << result.errors;
    const std::string problem = c.problem(*this);
    std::string lines = "开始安装系统数据库...\n正在连接数据库服务器...\n连接数据库成功\n检查安装条件...\n";
    if (c.template_checked) lines += "安装系统信息...\n";
    EXPECT_EQ(result.output, lines + "安装前检查未通过：" + problem + "\n");
    EXPECT_TRUE(result.errors.starts_with("警告: " + problem + "\n")) << result.errors;
    EXPECT_TRUE(result.errors.ends_with("\n数据库服务器上没有做任何更改。\n")) << result.errors;

    EXPECT_EQ(rows("select name from master.dbo.sysdatabases"), databases_before);
    EXPECT_EQ(rows("select name, dbname, sysadmin from master.dbo.syslogins"), logins_before);
    if (setup.old_database) expect_old_installation_kept();
    EXPECT_TRUE(safety_backups().empty());
    // The operator's own file at the staging path is not taken away.
    EXPECT_EQ(std::filesystem::exists(wine_.drive_c() / staging_file), c.name == std::string("TemplateIsTheStagingFile"));
    expect_installer_disconnected();
}

INSTANTIATE_TEST_SUITE_P(
    Causes, PreflightRefusal,
    ::testing::Values(
        RefusalCase{"AdministratorWithoutSysadmin",
                    [](PreflightRefusal&) {
                        return ServerSetup{.script = "EXEC sp_addlogin 'shopadmin', '" +
                                                     std::string(default_sa_password) + "'\nGO\n"};
                    },
                    [](PreflightRefusal&) { return std::vector<std::string>{"--login", "shopadmin"}; }, false,
                    [](PreflightRefusal&) { return std::string("登录名“shopadmin”不是 sysadmin 服务器角色的成员。"); }},
        RefusalCase{"ServerOnAnotherComputer",
                    [](PreflightRefusal&) {
                        return ServerSetup{.old_database = true, .arguments = {"--machine-name", "STORE-SRV"}};
                    },
                    [](PreflightRefusal&) { return std::vector<std::string>{"--drop-existing"}; }, false,
                    [](PreflightRefusal&) {
                        return "数据库服务器运行在计算机“STORE-SRV”上，不在本机“" + this_computer() + "”上。";
                    }},
        RefusalCase{"DataPathIsAFile", {},
                    [](PreflightRefusal& test) {
                        test.write("data-file", "not a folder");
                        return std::vector<std::string>{"--data-path", test.windows_path("data-file")};
                    },
                    false,
                    [](PreflightRefusal& test) {
                        return "数据库服务器上的“" + test.windows_path("data-file") + "”是一个文件，不是文件夹。";
                    }},
        RefusalCase{"StrayDataFileInTheDataPath", {},
                    [](PreflightRefusal& test) {
                        test.write("data/mirvox_Log.LDF", "a file of no database");
                        return std::vector<std::string>{};
                    },
                    false,
                    [](PreflightRefusal& test) {
                        return "数据库服务器上已经有“" + test.windows_path("data/mirvox_Log.LDF") +
                               "”，它不属于原有的数据库 mirvox。";
                    }},
        RefusalCase{"TemplateIsTheStagingFile", {},
                    [](PreflightRefusal& test) {
                        std::filesystem::copy_file(test.host_path("template/mirvox.dat"),
                                                   test.drive_c() / staging_file);
                        return std::vector<std::string>{"--template", "C:\\ZQ.TMP"};
                    },
                    false,
                    [](PreflightRefusal&) {
                        return std::string("模板数据库文件不能是“c:\\zq.tmp”：安装程序用这个文件暂存模板。");
                    }},
        RefusalCase{"TemplateIsNoBackup", {},
                    [](PreflightRefusal& test) {
                        test.write("template/notes.dat", "this is no backup");
                        return std::vector<std::string>{"--template", test.windows_path("template/notes.dat")};
                    },
                    true,
                    [](PreflightRefusal& test) {
                        const std::string file = test.windows_path("template/notes.dat");
                        return "数据库服务器不能读取模板数据库文件“" + file + "”：The media family on device '" + file +
                               "' is incorrectly formed. SQL Server cannot process this media family. RESTORE "
                               "HEADERONLY is terminating abnormally.";
                    }},
        RefusalCase{"TemplateFromANewerServer", {},
                    [](PreflightRefusal& test) {
                        write_template_of_a_newer_server(test.host_path("template/newer.dat"));
                        return std::vector<std::string>{"--template", test.windows_path("template/newer.dat")};
                    },
                    true,
                    [](PreflightRefusal&) {
                        return std::string("模板数据库是由较新版本的 SQL Server（16.0.1000）备份的，本服务器的版本是 "
                                           "15.0.2000，不能还原它。");
                    }},
        RefusalCase{"TemplateWithOtherLogicalFiles",
                    [](PreflightRefusal& test) {
                        const std::string folder = test.windows_path("template");
                        return ServerSetup{
                            .script = "CREATE DATABASE other_shop ON PRIMARY (NAME = N'shop_data', FILENAME = N'" +
                                      folder + "\\shop_data.mdf') LOG ON (NAME = N'shop_log', FILENAME = N'" + folder +
                                      "\\shop_log.ldf')\nGO\nBACKUP DATABASE other_shop TO DISK = N'" + folder +
                                      "\\other.dat'\nGO\nDROP DATABASE other_shop\nGO\n"};
                    },
                    [](PreflightRefusal& test) {
                        return std::vector<std::string>{"--template", test.windows_path("template/other.dat")};
                    },
                    true,
                    [](PreflightRefusal&) {
                        return std::string("模板数据库应当只含有逻辑文件 mirvox_data 和 mirvox_log，它含有的是："
                                           "shop_data, shop_log。");
                    }},
        RefusalCase{"NoRoomOnTheDataDrive",
                    [](PreflightRefusal&) { return ServerSetup{.arguments = {"--free-mb", "C=20"}}; }, {}, true,
                    [](PreflightRefusal&) {
                        return std::string("数据库服务器的 C: 盘空间不够：需要 24 MB，只有 20 MB 可用。");
                    }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace e2e
