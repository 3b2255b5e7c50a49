// SQL Server as shops have it, run as the instance's service in the prefix:
// Express as the named instance SQLEXPRESS on a dynamic port, found through
// SQL Server Browser; and Windows authentication only with TCP/IP off, where
// sa is refused, a run without consent changes nothing, and a run with it
// reconfigures and restarts the instance before the install, so that the
// tills' login works afterwards.
#include "install_test.h"
#include "service_instance.h"

namespace e2e {
namespace {

constexpr char administrator[] = "STORE01\\Administrator";
constexpr char administrator_password[] = "Windows checks this password";
constexpr char instance_key[] = "HKLM\\SOFTWARE\\Microsoft\\Microsoft SQL Server\\MSSQL16.SQLEXPRESS";
constexpr char tcp_key[] =
    "HKLM\\SOFTWARE\\Microsoft\\Microsoft SQL Server\\MSSQL16.SQLEXPRESS\\MSSQLServer\\SuperSocketNetLib\\Tcp";
constexpr char browser_key[] = "HKLM\\System\\CurrentControlSet\\Services\\SQLBrowser";

class ShopServerTest : public InstallTest {
protected:
    // The stand-in's state with the template, then the instance's keys and
    // service; the service is started.
    void start_instance(InstanceKeys keys, ServiceSetup setup) {
        ASSERT_NO_FATAL_FAILURE(prepare_server_state());
        setup.state_folder = host_path("state");
        setup.drive_c = wine_.drive_c();
        setup.sa_password = sa_password_;
        instance_ = std::make_unique<ServiceInstance>(wine_, std::move(keys), std::move(setup));
        ASSERT_TRUE(instance_->start()) << instance_->log();
    }

    void TearDown() override {
        InstallTest::TearDown();
        instance_.reset();
    }

    ProgramResult install(const std::string& server, const std::string& login, const std::string& password,
                          const std::vector<std::string>& extra = {}) {
        std::vector<std::string> arguments{"--unattended", "--server", server, "--login", login, "--data-path",
                                           windows_path("data"), "--template", windows_path("template/mirvox.dat")};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return run_command_line(arguments, password);
    }

    // Rows of a query as `login`, at the port the instance's keys name now.
    std::vector<Row> rows_as(const std::string& login, const std::string& password, const std::string& sql) {
        return e2e::rows_as(instance_->port(), login, password, sql);
    }

    std::string alias(RegistryView view) const {
        const auto values = wine_.registry_values(alias_key, view);
        return values.count("mirvox") ? values.at("mirvox") : "<none>";
    }

    std::optional<unsigned long> dword(const std::string& key, const std::string& name) const {
        return wine_.registry_dword(key, name, RegistryView::bits64);
    }

    std::unique_ptr<ServiceInstance> instance_;
};

TEST_F(ShopServerTest, ExpressFoundThroughTheBrowserIsInstalledAndTheTillsReachItByName) {
    // The Browser answers at both addresses; the installer is given the
    // second, the tills' alias names the first.
    ASSERT_NO_FATAL_FAILURE(start_instance(
        InstanceKeys{.data_root = windows_path("data"), .login_mode = 2, .tcp_enabled = true},
        ServiceSetup{.listen_addresses = {"127.0.0.2", "127.0.0.1"},
                     .browser_address = "127.0.0.2",
                     .emulator_options = {"--browser", "127.0.0.1"}}));

    // A dynamic port changes at a restart: the Browser must start with Windows, which takes consent.
    const ProgramResult declined = install("127.0.0.2\\SQLEXPRESS", "sa", sa_password_);
    EXPECT_EQ(declined.exit_code, 8) << declined.output << declined.errors;
    EXPECT_NE(declined.errors.find("SQL Server Browser"), std::string::npos) << declined.errors;
    EXPECT_EQ(dword(browser_key, "Start"), 3u);

    const ProgramResult run = install("127.0.0.2\\SQLEXPRESS", "sa", sa_password_, {"--configure-server"});
    ASSERT_EQ(run.exit_code, 0) << run.output << run.errors << instance_->log();
    EXPECT_NE(run.output.find("验证收银程序的连接..."), std::string::npos) << run.output;
    EXPECT_EQ(dword(browser_key, "Start"), 2u) << "automatic";
    EXPECT_EQ(instance_->state(browser_service), "RUNNING");
    for (const RegistryView view : {RegistryView::bits64, RegistryView::bits32})
        EXPECT_EQ(alias(view), "DBMSSOCN,127.0.0.1\\SQLEXPRESS");
    EXPECT_EQ(rows_as("mirvox", "rovtakl", "select count(*) from mirvox.dbo.t_sys_system"), (std::vector<Row>{{"2"}}));
}

TEST_F(ShopServerTest, WindowsAuthenticationOnlyIsChangedWithConsentAndTheTillsLogInAfterwards) {
    ASSERT_NO_FATAL_FAILURE(start_instance(
        InstanceKeys{.data_root = windows_path("data"), .login_mode = 1, .tcp_enabled = false},
        ServiceSetup{.windows_logins = {administrator}, .browser_address = "127.0.0.1"}));
    const int port = instance_->port();

    // sa is refused without a reason the client can see: the registry says it.
    const ProgramResult as_sa = install("127.0.0.1\\SQLEXPRESS", "sa", sa_password_);
    EXPECT_EQ(as_sa.exit_code, 12) << as_sa.output << as_sa.errors;
    EXPECT_NE(as_sa.errors.find("只接受 Windows 身份验证"), std::string::npos) << as_sa.errors;

    const ProgramResult declined = install("127.0.0.1\\SQLEXPRESS", administrator, administrator_password);
    EXPECT_EQ(declined.exit_code, 8) << declined.output << declined.errors;
    for (const char* named : {"Windows 身份验证", "TCP/IP", "SQL Server Browser"})
        EXPECT_NE(declined.errors.find(named), std::string::npos) << named << "\n" << declined.errors;
    EXPECT_EQ(dword(std::string(instance_key) + "\\MSSQLServer", "LoginMode"), 1u);
    EXPECT_EQ(dword(tcp_key, "Enabled"), 0u);
    EXPECT_EQ(dword(browser_key, "Start"), 3u);
    EXPECT_EQ(rows_as(administrator, administrator_password,
                      "select count(*) from master.dbo.sysdatabases where name = 'mirvox'"),
              (std::vector<Row>{{"0"}}));
    EXPECT_EQ(alias(RegistryView::bits32), "<none>");

    const ProgramResult agreed =
        install("127.0.0.1\\SQLEXPRESS", administrator, administrator_password, {"--configure-server"});
    ASSERT_EQ(agreed.exit_code, 0) << agreed.output << agreed.errors << instance_->log();
    EXPECT_NE(agreed.output.find("重新启动"), std::string::npos) << agreed.output;
    EXPECT_EQ(dword(std::string(instance_key) + "\\MSSQLServer", "LoginMode"), 2u);
    EXPECT_EQ(dword(tcp_key, "Enabled"), 1u);
    EXPECT_EQ(dword(browser_key, "Start"), 2u);
    EXPECT_EQ(instance_->state(instance_->service_name()), "RUNNING");
    EXPECT_EQ(instance_->port(), port) << "the restarted instance took its dynamic port again";
    EXPECT_EQ(alias(RegistryView::bits32), "DBMSSOCN,127.0.0.1\\SQLEXPRESS");
    // Mixed mode took effect: the restart happened.
    EXPECT_EQ(rows_as("mirvox", "rovtakl", "select convert(nvarchar(5), serverproperty('IsIntegratedSecurityOnly'))"),
              (std::vector<Row>{{"0"}}));
}

}  // namespace
}  // namespace e2e
