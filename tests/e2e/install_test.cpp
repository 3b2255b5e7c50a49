// The end-to-end fixture: per-test folders, the server, the installer and
// the checks every completed install shares.
#include "install_test.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <thread>
#include <unistd.h>

namespace e2e {

namespace {

constexpr auto step_timeout = std::chrono::seconds(30);
constexpr auto driver_run_timeout = std::chrono::seconds(240);
constexpr auto disconnect_timeout = std::chrono::seconds(10);
constexpr auto unattended_timeout = std::chrono::seconds(120);

std::string folder_name_of_current_test() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

// The template backup: logical files mirvox_data and mirvox_log, a table
// t_sys_system whose Is_Distributed row differs from every store mode's (so
// a run that keeps it is caught) and a second row that must survive.
std::string template_script(const std::string& template_folder) {
    return "CREATE DATABASE korvena_template ON PRIMARY (NAME = N'mirvox_data', FILENAME = N'" + template_folder +
           "\\template_data.mdf') LOG ON (NAME = N'mirvox_log', FILENAME = N'" + template_folder +
           "\\template_log.ldf')\nGO\n"
           "USE korvena_template\n"
           "CREATE TABLE t_sys_system (sys_var_id nvarchar(50) NOT NULL, sys_var_name nvarchar(100), "
           "sys_var_value nvarchar(100), sys_ver_flag nvarchar(10), sys_inited nvarchar(10))\n"
           "INSERT INTO t_sys_system (sys_var_id, sys_var_name, sys_var_value, sys_ver_flag, sys_inited) "
           "VALUES (N'Is_Distributed', N'旧模式', N'9', N'', N'1')\n"
           "INSERT INTO t_sys_system (sys_var_id, sys_var_name, sys_var_value, sys_ver_flag, sys_inited) "
           "VALUES (N'Sys_Version', N'系统版本', N'9.0', N'', N'1')\n"
           "USE master\nGO\n"
           "BACKUP DATABASE korvena_template TO DISK = N'" + template_folder + "\\mirvox.dat'\nGO\n"
           "DROP DATABASE korvena_template\nGO\n";
}

// An earlier installation: the database (without the template's tables, with
// a sale of the shop's) and its application login in the sysadmin role.
std::string old_database_script(const std::string& data_folder) {
    return "CREATE DATABASE mirvox ON PRIMARY (NAME = N'mirvox_Data', FILENAME = N'" + data_folder +
           "\\mirvox_Data.MDF') LOG ON (NAME = N'mirvox_Log', FILENAME = N'" + data_folder + "\\mirvox_Log.LDF')\nGO\n"
           "USE mirvox\n"
           "CREATE TABLE t_sale (sale_no nvarchar(20) NOT NULL, note nvarchar(40), amount nvarchar(20))\n"
           "INSERT INTO t_sale (sale_no, note, amount) VALUES (N'" + old_sale[0] + "', N'" + old_sale[1] + "', N'" +
           old_sale[2] + "')\n"
           "USE master\nGO\n"
           "EXEC sp_addlogin 'mirvox', 'rovtakl', 'mirvox'\nGO\n"
           "EXEC sp_addsrvrolemember 'mirvox', 'sysadmin'\nGO\n";
}

}  // namespace

void InstallTest::SetUp() {
    if (!wine_.valid())
        GTEST_FAIL() << "WINEPREFIX and DISPLAY must name the test session's prefix and display; run the tests "
                        "under scripts/test-session.sh";
    const std::string name = folder_name_of_current_test();
    test_folder_ = wine_.drive_c() / "e2e" / name;
    windows_test_folder_ = "C:\\e2e\\" + name;
    std::filesystem::remove_all(test_folder_);
    for (const char* folder : {"work", "data", "template"}) std::filesystem::create_directories(test_folder_ / folder);
    std::filesystem::remove(wine_.drive_c() / staging_file);
    // A run that could not put an old database back keeps its record for the next start; here each test starts afresh.
    std::filesystem::remove(run_record_file());

    const auto seeded_marker = wine_.drive_c() / "e2e" / ".sql-server-registry";
    if (!std::filesystem::exists(seeded_marker)) {
        wine_.seed_sql_server_registry("C:\\e2e");
        write_file(seeded_marker, "");
    }
    wine_.remove_registry_value(alias_key, "mirvox");
}

void InstallTest::TearDown() {
    // A test that got to its "close" step leaves a process that is ending;
    // one that stopped early leaves the window open, maybe under a box.
    if (installer_ && !installer_->wait_for(std::chrono::seconds(2))) {
        wine_.run_driver({"wait-main", "close"}, std::chrono::seconds(3), std::chrono::seconds(20));
        if (!installer_->wait_for(std::chrono::seconds(2))) installer_->stop(std::chrono::seconds(2));
    }
    installer_.reset();
    second_client_.reset();
    server_.reset();
}

std::filesystem::path InstallTest::host_path(const std::string& relative) const { return test_folder_ / relative; }

std::string InstallTest::windows_path(const std::string& relative) const {
    std::string path = windows_test_folder_ + "\\" + relative;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

void InstallTest::start_server(const ServerSetup& setup) {
    ASSERT_NO_FATAL_FAILURE(prepare_server_state(setup));
    restart_server(setup);
}

void InstallTest::prepare_server_state(const ServerSetup& setup) {
    std::string script = template_script(windows_path("template"));
    if (setup.old_database) script += old_database_script(windows_path("data"));
    script += setup.script;
    write_file(host_path("init.sql"), script);

    const StandInOptions preparation{host_path("state"), wine_.drive_c(), {}, host_path("init.sql"), sa_password_, {}};
    ASSERT_TRUE(prepare_state(preparation));
}

void InstallTest::restart_server(const ServerSetup& setup) {
    const int port = setup.same_port && server_ ? server_->port() : 0;
    second_client_.reset();
    server_.reset();
    server_ = std::make_unique<StandInServer>(StandInOptions{host_path("state"), wine_.drive_c(), setup.faults, {},
                                                             sa_password_, setup.arguments, setup.host, port});
    ASSERT_NE(server_->port(), 0);
}

void InstallTest::write_ini(const std::string& content) { write_file(host_path("work/dbinstall.ini"), content); }

void InstallTest::start_installer() { installer_ = wine_.start_installer(host_path("work")); }

FormInput InstallTest::default_form() const {
    FormInput form;
    form.server = server_ ? server_->address() : "";
    form.password = sa_password_;
    form.data_path = windows_path("data");
    form.template_file = windows_path("template/mirvox.dat");
    return form;
}

std::vector<std::string> InstallTest::install_steps(const FormInput& form) const {
    auto set = [](int id, const std::string& text) { return "set:" + std::to_string(id) + "=" + text; };
    return {"wait-main",
            set(control::sle_sqlserver, form.server),
            set(control::sle_sqldbpath, form.data_path),
            set(control::sle_sourcedb, form.template_file),
            set(control::sle_sa, form.login),
            set(control::sle_password, form.password),
            "click:" + std::to_string(form.store_mode_button),
            "click:" + std::to_string(control::cb_1)};
}

DriverRun InstallTest::drive(const std::vector<std::string>& steps) {
    return wine_.run_driver(steps, step_timeout, driver_run_timeout);
}

ProgramResult InstallTest::run_command_line(const std::vector<std::string>& arguments, const std::string& password) {
    ProgramResult result = wine_.run_command_line(host_path("work"), arguments, password, unattended_timeout);
    // The password must never be echoed, whatever the outcome.
    if (!password.empty()) {
        EXPECT_EQ(result.output.find(password), std::string::npos) << result.output;
        EXPECT_EQ(result.errors.find(password), std::string::npos) << result.errors;
    }
    return result;
}

ProgramResult InstallTest::install_unattended(const std::vector<std::string>& extra) {
    std::vector<std::string> arguments{"--unattended", "--server", server_->address(), "--data-path",
                                       windows_path("data"), "--template", windows_path("template/mirvox.dat")};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return run_command_line(arguments, sa_password_);
}

std::vector<Row> InstallTest::rows(const std::string& sql) {
    if (!second_client_ && server_) second_client_ = connect_as_sa(server_->port(), sa_password_, server_->host());
    if (!second_client_) return {};
    auto result = second_client_->query(sql);
    if (auto* error = std::get_if<SqlError>(&result)) {
        ADD_FAILURE() << "the second client's query failed: " << sql << "\n" << error->text;
        return {};
    }
    return std::get<std::vector<Row>>(result);
}

bool InstallTest::query_fails(const std::string& sql) {
    if (!second_client_ && server_) second_client_ = connect_as_sa(server_->port(), sa_password_, server_->host());
    return second_client_ && std::holds_alternative<SqlError>(second_client_->query(sql));
}

void InstallTest::expect_installer_disconnected() {
    const auto deadline = std::chrono::steady_clock::now() + disconnect_timeout;
    std::vector<Row> sessions;
    while (std::chrono::steady_clock::now() < deadline) {
        sessions = rows("select spid, loginame from master.dbo.sysprocesses");
        if (sessions.size() == 1) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ADD_FAILURE() << "the installer's connection is still open: " << ::testing::PrintToString(sessions);
}

void InstallTest::expect_installed(const std::string& data_folder, const StoreModeRow& mode) {
    const auto databases = rows("select name, filename from master.dbo.sysdatabases");
    EXPECT_NE(std::find(databases.begin(), databases.end(), Row{"mirvox", windows_path(data_folder + "/mirvox_Data.MDF")}),
              databases.end())
        << ::testing::PrintToString(databases);
    EXPECT_TRUE(std::filesystem::exists(host_path(data_folder + "/mirvox_Data.MDF")));
    EXPECT_TRUE(std::filesystem::exists(host_path(data_folder + "/mirvox_Log.LDF")));

    const auto logins = rows("select name, dbname, sysadmin from master.dbo.syslogins");
    EXPECT_NE(std::find(logins.begin(), logins.end(), Row{"mirvox", "mirvox", "1"}), logins.end())
        << ::testing::PrintToString(logins);

    EXPECT_EQ(rows("select sys_var_name, sys_var_value, sys_ver_flag, sys_inited from mirvox.dbo.t_sys_system "
                   "where sys_var_id = 'Is_Distributed'"),
              (std::vector<Row>{{mode.name, mode.value, "", "1"}}));
    EXPECT_EQ(rows("select sys_var_name, sys_var_value from mirvox.dbo.t_sys_system where sys_var_id = 'Sys_Version'"),
              (std::vector<Row>{{"系统版本", "9.0"}}));

    EXPECT_FALSE(std::filesystem::exists(wine_.drive_c() / staging_file));
    // The stand-in is a default instance on its own port: the alias names that port, in both views.
    const std::string alias = "DBMSSOCN,127.0.0.1," + std::to_string(server_->port());
    for (const RegistryView view : {RegistryView::bits32, RegistryView::bits64})
        EXPECT_EQ(wine_.registry_values(alias_key, view)["mirvox"], alias);
}

void InstallTest::expect_old_installation_kept() {
    const auto databases = rows("select name from master.dbo.sysdatabases");
    EXPECT_NE(std::find(databases.begin(), databases.end(), Row{"mirvox"}), databases.end());
    EXPECT_EQ(rows("select sale_no, note, amount from mirvox.dbo.t_sale"), std::vector<Row>{old_sale});
    EXPECT_TRUE(query_fails("select sys_var_id from mirvox.dbo.t_sys_system")) << "the template was restored";
    EXPECT_EQ(rows("select a.name, a.filename from master.dbo.sysaltfiles a, master.dbo.sysdatabases b "
                   "where a.dbid = b.dbid and b.name = 'mirvox'"),
              (std::vector<Row>{{"mirvox_Data", windows_path("data/mirvox_Data.MDF")},
                                {"mirvox_Log", windows_path("data/mirvox_Log.LDF")}}));
    EXPECT_EQ(rows("select name, dbname, sysadmin from master.dbo.syslogins where name = 'mirvox'"),
              (std::vector<Row>{{"mirvox", "mirvox", "1"}}));
    EXPECT_FALSE(std::filesystem::exists(wine_.drive_c() / staging_file));
}

void InstallTest::expect_nothing_installed() {
    EXPECT_TRUE(rows("select name from master.dbo.sysdatabases where name = 'mirvox'").empty());
    EXPECT_TRUE(rows("select name from master.dbo.syslogins where name = 'mirvox'").empty());
    EXPECT_FALSE(std::filesystem::exists(host_path("data/mirvox_Data.MDF")));
    EXPECT_FALSE(std::filesystem::exists(host_path("data/mirvox_Log.LDF")));
    EXPECT_FALSE(std::filesystem::exists(wine_.drive_c() / staging_file));
}

std::vector<std::string> InstallTest::safety_backups() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(host_path("data")))
        if (entry.path().extension() == ".bak") names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string this_computer() {
    char name[256] = {};
    gethostname(name, sizeof name - 1);
    std::string computer(name, strcspn(name, "."));
    for (char& c : computer) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return computer;
}

std::string InstallTest::only_safety_backup() {
    const auto names = safety_backups();
    if (names.size() != 1) {
        ADD_FAILURE() << "expected one safety backup: " << ::testing::PrintToString(names);
        return {};
    }
    return windows_path("data/" + names[0]);
}

const std::vector<std::string> fresh_install_lines = {
    "开始安装系统数据库...", "正在连接数据库服务器...", "连接数据库成功", "检查安装条件...",
    "安装系统信息...",       "检测旧数据库及相关信息...", "开始创建新数据库...", "连接数据库成功",
    "创建系统用户信息...",   "设置连锁模式",             "验证收银程序的连接...",    "安装新数据库成功！",
};

std::vector<std::string> lines_until_detection() {
    return {fresh_install_lines.begin(), fresh_install_lines.begin() + 6};
}

std::vector<std::string> replacing_install_lines(const std::string& backup) {
    std::vector<std::string> lines = lines_until_detection();
    lines.insert(lines.end(), {"检测旧数据库是否正在使用中...", "旧数据库的其他连接已断开，删除以前只有安装程序能使用它。",
                               "备份旧数据库...", "旧数据库已备份到 " + backup, "删除旧数据库及相关信息..."});
    lines.insert(lines.end(), fresh_install_lines.begin() + 6, fresh_install_lines.end());
    return lines;
}

std::vector<std::vector<std::string>> observed(const DriverRun& run, const std::string& kind) {
    std::vector<std::vector<std::string>> found;
    for (const auto& observation : run.observations)
        if (observation.kind == kind) found.push_back(observation.fields);
    return found;
}

std::string observed_once(const DriverRun& run, const std::string& kind) {
    const auto found = observed(run, kind);
    if (found.size() != 1 || found.front().empty()) {
        ADD_FAILURE() << "expected one '" << kind << "' observation; the driver printed:\n" << run.output;
        return {};
    }
    return found.front().front();
}

std::string log_of(const std::vector<std::string>& lines) {
    std::string log = "none";
    for (const auto& line : lines) log += line + "\r\n";
    return log;
}

}  // namespace e2e
