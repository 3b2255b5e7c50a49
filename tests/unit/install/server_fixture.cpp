// The server tests' shared set-up and their second client.
#include "server_fixture.h"

#include <windows.h>

#include <filesystem>

namespace install_test {

namespace {

std::string narrow(const std::wstring& text)
{
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), result.data(), size, nullptr, nullptr);
    return result;
}

std::wstring environment(const wchar_t* name)
{
    DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) {
        ADD_FAILURE() << "run under tests/tools/with-emulator.sh: no environment variable " << narrow(name);
        return {};
    }
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), size));
    return value;
}

// The running test's name as a folder name.
std::wstring current_test_folder_name()
{
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    std::wstring name;
    for (char c : std::string(info->test_suite_name()) + "." + info->name())
        name += (c == '/' || c == '\\') ? L'_' : static_cast<wchar_t>(c);
    return name;
}

}  // namespace

const std::wstring staging_path = L"c:\\zq.tmp";

const std::wstring fresh_install_log =
    L"none开始安装系统数据库...\r\n正在连接数据库服务器...\r\n连接数据库成功\r\n检查安装条件...\r\n安装系统信息...\r\n"
    L"检测旧数据库及相关信息...\r\n开始创建新数据库...\r\n连接数据库成功\r\n创建系统用户信息...\r\n设置连锁模式\r\n"
    L"验证收银程序的连接...\r\n安装新数据库成功！\r\n";

std::wstring test_server()
{
    return environment(L"KORVENA_TEST_SERVER");
}

std::wstring sa_password()
{
    return environment(L"KORVENA_TEST_SA_PASSWORD");
}

void connect(platform::Transaction& sqlca, const std::wstring& login, const std::wstring& password)
{
    sqlca.server_name = test_server();
    sqlca.database_name = L"master";
    sqlca.login_id = login;
    sqlca.login_password = password;
    sqlca.connect();
    EXPECT_EQ(sqlca.status_code(), 0) << narrow(login) << " cannot connect: " << narrow(sqlca.error_text());
}

void run_as_sa(const std::vector<std::wstring>& statements)
{
    platform::Transaction sa;
    connect(sa, L"sa", sa_password());
    for (const auto& statement : statements) {
        sa.execute_immediate(statement);
        if (sa.status_code() != 0) {
            ADD_FAILURE() << narrow(statement) << ": " << narrow(sa.error_text());
            return;
        }
    }
}

std::wstring select_as_sa(const std::wstring& database, const std::wstring& query,
                          const std::vector<std::wstring>& values)
{
    platform::Transaction sa;
    connect(sa, L"sa", sa_password());
    sa.execute_immediate(L"use " + database);
    std::wstring value;
    if (sa.status_code() == 0)
        sa.select_single(query, values, value);
    if (sa.status_code() == platform::Transaction::not_found)
        return L"<no row>";
    if (sa.status_code() != 0)
        return L"<failed: " + sa.error_text() + L">";
    return value;
}

void make_template_backup(const std::wstring& work_folder, const std::wstring& backup_path)
{
    const std::wstring files = work_folder + L"\\template_";
    run_as_sa({
        L"CREATE DATABASE korvena_template ON PRIMARY (NAME = N'mirvox_data', FILENAME = N'" + files +
            L"data.mdf', SIZE = 3) LOG ON (NAME = N'mirvox_log', FILENAME = N'" + files + L"log.ldf', SIZE = 1)",
        L"use korvena_template",
        L"CREATE TABLE t_sys_system (sys_var_id nvarchar(40), sys_var_name nvarchar(80), sys_var_value "
        L"nvarchar(80), sys_ver_flag nvarchar(10), sys_inited nvarchar(10))",
        L"insert into t_sys_system (sys_var_id, sys_var_name, sys_var_value, sys_ver_flag, sys_inited) values "
        L"('Is_Distributed', N'模板', '9', '', '0')",
        L"insert into t_sys_system (sys_var_id, sys_var_name, sys_var_value, sys_ver_flag, sys_inited) values "
        L"('Is_Distributed', N'模板二', '8', '', '0')",
        L"insert into t_sys_system (sys_var_id, sys_var_name, sys_var_value, sys_ver_flag, sys_inited) values "
        L"('Sys_Version', N'版本', '9.0', '', '1')",
        L"use master",
        L"BACKUP DATABASE korvena_template TO DISK = N'" + backup_path + L"'",
        L"DROP DATABASE korvena_template",
    });
}

bool file_exists(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void InstallOnServer::SetUp()
{
    // The prefix outlives the per-test stand-in, so its files from earlier cases go first.
    work_folder = L"C:\\korvena-test\\" + current_test_folder_name();
    std::error_code ignored;
    std::filesystem::remove_all(work_folder, ignored);
    std::filesystem::create_directories(work_folder + L"\\data");
    DeleteFileW(L"C:\\ProgramData\\Korvena\\dbinstall.run");
    if (file_exists(staging_path)) {
        SetFileAttributesW(staging_path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(staging_path.c_str());
    }

    // An alias left by an earlier case would be replaced, and its old value logged.
    for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        HKEY key;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\MSSQLServer\\Client\\ConnectTo", 0,
                          KEY_SET_VALUE | view, &key) == ERROR_SUCCESS) {
            RegDeleteValueW(key, L"mirvox");
            RegCloseKey(key);
        }
    }

    form.server = test_server();
    form.password = sa_password();
    form.data = work_folder + L"\\data";
    form.template_path = work_folder + L"\\template.bak";
    make_template_backup(work_folder, form.template_path);
}

install::InstallOutcome InstallOnServer::install()
{
    return install::wf_installdb(context);
}

}  // namespace install_test
