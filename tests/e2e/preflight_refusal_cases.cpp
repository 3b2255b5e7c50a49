// The table of the pre-flight's refusals.
#include "preflight_refusal_cases.h"

#include "backup_format.h"

#include <fcntl.h>
#include <fstream>
#include <unistd.h>

namespace e2e {

void RefusalTest::write(const std::string& relative, const std::string& content) const {
    std::ofstream(host_path(relative), std::ios::binary) << content;
}

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

}  // namespace

const std::vector<RefusalCase>& preflight_refusal_cases() {
    static const std::vector<RefusalCase> cases{
        RefusalCase{"AdministratorWithoutSysadmin",
                    [](RefusalTest&) {
                        return ServerSetup{.script = "EXEC sp_addlogin 'shopadmin', '" +
                                                     std::string(default_sa_password) + "'\nGO\n"};
                    },
                    [](RefusalTest&) { return std::vector<std::string>{"--login", "shopadmin"}; }, false,
                    [](RefusalTest&) { return std::string("登录名“shopadmin”不是 sysadmin 服务器角色的成员。"); }},
        RefusalCase{"ServerOnAnotherComputer",
                    [](RefusalTest&) {
                        return ServerSetup{.old_database = true, .arguments = {"--machine-name", "STORE-SRV"}};
                    },
                    [](RefusalTest&) { return std::vector<std::string>{"--drop-existing"}; }, false,
                    [](RefusalTest&) {
                        return "数据库服务器运行在计算机“STORE-SRV”上，不在本机“" + this_computer() + "”上。";
                    }},
        RefusalCase{"DataPathIsAFile", {},
                    [](RefusalTest& test) {
                        test.write("data-file", "not a folder");
                        return std::vector<std::string>{"--data-path", test.windows_path("data-file")};
                    },
                    false,
                    [](RefusalTest& test) {
                        return "数据库服务器上的“" + test.windows_path("data-file") + "”是一个文件，不是文件夹。";
                    }},
        RefusalCase{"StrayDataFileInTheDataPath", {},
                    [](RefusalTest& test) {
                        test.write("data/mirvox_Log.LDF", "a file of no database");
                        return std::vector<std::string>{};
                    },
                    false,
                    [](RefusalTest& test) {
                        return "数据库服务器上已经有“" + test.windows_path("data/mirvox_Log.LDF") +
                               "”，它不属于原有的数据库 mirvox。";
                    }},
        RefusalCase{"TemplateIsTheStagingFile", {},
                    [](RefusalTest& test) {
                        std::filesystem::copy_file(test.host_path("template/mirvox.dat"),
                                                   test.drive_c() / staging_file);
                        return std::vector<std::string>{"--template", "C:\\ZQ.TMP"};
                    },
                    false,
                    [](RefusalTest&) {
                        return std::string("模板数据库文件不能是“c:\\zq.tmp”：安装程序用这个文件暂存模板。");
                    }},
        RefusalCase{"TemplateIsNoBackup", {},
                    [](RefusalTest& test) {
                        test.write("template/notes.dat", "this is no backup");
                        return std::vector<std::string>{"--template", test.windows_path("template/notes.dat")};
                    },
                    true,
                    [](RefusalTest& test) {
                        return "数据库服务器不能读取模板数据库文件“" + test.windows_path("template/notes.dat") +
                               "”：The media family on device 'c:\\zq.tmp' is incorrectly formed. SQL Server cannot "
                               "process this media family. RESTORE HEADERONLY is terminating abnormally.";
                    }},
        RefusalCase{"TemplateFromANewerServer", {},
                    [](RefusalTest& test) {
                        write_template_of_a_newer_server(test.host_path("template/newer.dat"));
                        return std::vector<std::string>{"--template", test.windows_path("template/newer.dat")};
                    },
                    true,
                    [](RefusalTest&) {
                        return std::string("模板数据库是由较新版本的 SQL Server（16.0.1000）备份的，本服务器的版本是 "
                                           "15.0.2000，不能还原它。");
                    }},
        RefusalCase{"TemplateWithOtherLogicalFiles",
                    [](RefusalTest& test) {
                        const std::string folder = test.windows_path("template");
                        return ServerSetup{
                            .script = "CREATE DATABASE other_shop ON PRIMARY (NAME = N'shop_data', FILENAME = N'" +
                                      folder + "\\shop_data.mdf') LOG ON (NAME = N'shop_log', FILENAME = N'" + folder +
                                      "\\shop_log.ldf')\nGO\nBACKUP DATABASE other_shop TO DISK = N'" + folder +
                                      "\\other.dat'\nGO\nDROP DATABASE other_shop\nGO\n"};
                    },
                    [](RefusalTest& test) {
                        return std::vector<std::string>{"--template", test.windows_path("template/other.dat")};
                    },
                    true,
                    [](RefusalTest&) {
                        return std::string("模板数据库应当只含有逻辑文件 mirvox_data 和 mirvox_log，它含有的是："
                                           "shop_data, shop_log。");
                    }},
        RefusalCase{"NoRoomOnTheDataDrive",
                    [](RefusalTest&) { return ServerSetup{.arguments = {"--free-mb", "C=20"}}; }, {}, true,
                    [](RefusalTest&) {
                        return std::string("数据库服务器的 C: 盘空间不够：需要 24 MB，只有 20 MB 可用。");
                    }}};
    return cases;
}

std::string refused_run_output(const RefusalCase& refusal, const std::string& problem) {
    std::string lines = "开始安装系统数据库...\n正在连接数据库服务器...\n连接数据库成功\n检查安装条件...\n";
    if (refusal.staged) lines += "安装系统信息...\n";
    return lines + "安装前检查未通过：" + problem + "\n";
}

}  // namespace e2e
