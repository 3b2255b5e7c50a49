// The table of the pre-flight's refusals.
#include "preflight_refusal_cases.h"

#include "template_rewrite.h"

#include <fstream>

namespace e2e {

void RefusalTest::write(const std::string& relative, const std::string& content) const {
    std::ofstream(host_path(relative), std::ios::binary) << content;
}

namespace {

// The fixture's template as another release of SQL Server would have written it.
std::vector<std::string> template_written_by(RefusalTest& test, emulator::ServerVersion version,
                                             int32_t database_version) {
    rewrite_template(test.host_path("template/mirvox.dat"), test.host_path("template/other-release.dat"),
                     [&](emulator::BackupDescription& backup) {
                         backup.server_version = version;
                         backup.database_version = database_version;
                     });
    return {"--template", test.windows_path("template/other-release.dat")};
}

// Express keeps a database's data within 10 GB; the backup keeps only the sizes.
std::vector<std::string> template_of_eleven_gigabytes(RefusalTest& test) {
    rewrite_template(test.host_path("template/mirvox.dat"), test.host_path("template/large.dat"),
                     [](emulator::BackupDescription& backup) {
                         for (size_t i = 0; i < backup.files.size() && i < backup.file_sizes.size(); ++i)
                             if (backup.files[i].kind == emulator::FileKind::data) backup.file_sizes[i] = 11ull << 30;
                     });
    return {"--template", test.windows_path("template/large.dat")};
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
                        const std::string file = test.windows_path("template/notes.dat");
                        return "数据库服务器不能读取模板数据库文件“" + file + "”：The media family on device '" + file +
                               "' is incorrectly formed. SQL Server cannot process this media family. RESTORE "
                               "HEADERONLY is terminating abnormally.";
                    }},
        RefusalCase{"TemplateFromANewerServer", {},
                    [](RefusalTest& test) { return template_written_by(test, {16, 0, 1000}, 957); }, true,
                    [](RefusalTest&) {
                        return std::string("模板数据库是由较新版本的 SQL Server（16.0.1000）备份的，本服务器的版本是 "
                                           "15.0.2000，不能还原它。");
                    }},
        RefusalCase{"TemplateTooOldForTheServer",
                    [](RefusalTest&) { return ServerSetup{.arguments = {"--product-version", "13.0.1601.5"}}; },
                    [](RefusalTest& test) { return template_written_by(test, {9, 0, 5000}, 611); }, true,
                    [](RefusalTest&) {
                        return std::string("模板数据库是由较旧版本的 SQL Server（9.0.5000）备份的，本服务器的版本是 "
                                           "13.0.1601，只能还原 SQL Server 10.0 及以后版本的备份。");
                    }},
        RefusalCase{"TemplateOverTheExpressLimit",
                    [](RefusalTest&) { return ServerSetup{.arguments = {"--edition", "express"}}; },
                    template_of_eleven_gigabytes, true,
                    [](RefusalTest&) {
                        return std::string("数据库服务器是 SQL Server Express，一个数据库的数据文件最多 10240 MB，"
                                           "模板数据库的数据文件有 11264 MB，不能还原它。");
                    }},
        RefusalCase{"ConfiguredLoginIsNotTheOneMade", {},
                    [](RefusalTest& test) {
                        test.write_ini("[database]\r\nlogid=korv\r\n");
                        return std::vector<std::string>{};
                    },
                    false,
                    [](RefusalTest&) {
                        return std::string("dbinstall.ini 中的登录名 logid 是“korv”，但安装程序建立的登录名是“mirvox”："
                                           "安装后不能用“korv”登录。");
                    }},
        RefusalCase{"LoginServesAnotherDatabase", [](RefusalTest&) { return ServerSetup{.old_database = true}; },
                    [](RefusalTest& test) {
                        test.write_ini("[database]\r\ndatabasename=mirvox_train\r\n");
                        return std::vector<std::string>{};
                    },
                    false,
                    [](RefusalTest&) {
                        return std::string("登录名“mirvox”是数据库“mirvox”使用的登录名（它的默认数据库是“mirvox”）。"
                                           "安装数据库“mirvox_train”会删除并重新建立这个登录名，数据库“mirvox”就不能再用它了。");
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
    if (refusal.template_checked) lines += "安装系统信息...\n";
    return lines + "安装前检查未通过：" + problem + "\n";
}

}  // namespace e2e
