// The SQL Server instance's service in the Wine prefix: started by Wine's
// Service Control Manager as its registry keys say (Windows authentication
// only, a dynamic port written back), restarted into mixed mode after the
// keys change, and gone with its stand-in after the test.
#include "catalog_client.h"
#include "service_instance.h"
#include "stand_in_server.h"

#include <gtest/gtest.h>

namespace e2e {
namespace {

constexpr char windows_login[] = "STORE01\\Administrator";

std::string refusal(int port, const std::string& login, const std::string& password) {
    const auto connection = CatalogClient::connect(port, login, password);
    const auto* error = std::get_if<SqlError>(&connection);
    return error ? error->text : "";
}

TEST(SqlServerService, StartsTheInstanceItsKeysDescribeAndRestartsIntoMixedMode) {
    const WineSession wine;
    ASSERT_TRUE(wine.valid()) << "run the tests under scripts/test-session.sh";
    const auto folder = wine.drive_c() / "e2e" / "SqlServerService";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string state = (folder / "state").string();
    {
        ServiceInstance instance(wine, InstanceKeys{.data_root = "C:\\e2e\\SqlServerService"},
                                 ServiceSetup{.state_folder = state,
                                              .drive_c = wine.drive_c(),
                                              .sa_password = default_sa_password,
                                              .windows_logins = {windows_login}});
        EXPECT_EQ(instance.state(browser_service), "STOPPED");
        EXPECT_EQ(wine.registry_dword("HKLM\\System\\CurrentControlSet\\Services\\SQLBrowser", "Start",
                                      RegistryView::bits64),
                  3u)
            << "demand start";

        ASSERT_TRUE(instance.start()) << instance.log();
        const int port = instance.port();
        ASSERT_NE(port, 0) << "the dynamic port is written back to TcpDynamicPorts";
        EXPECT_NE(refusal(port, "sa", default_sa_password).find("Login failed for user 'sa'."), std::string::npos);
        EXPECT_EQ(rows_as(port, windows_login, "Windows checks this password",
                        "SELECT CONVERT(nvarchar(5), SERVERPROPERTY('IsIntegratedSecurityOnly')), "
                        "CONVERT(nvarchar(128), SERVERPROPERTY('InstanceName'))"),
                  (std::vector<Row>{{"1", "SQLEXPRESS"}}));

        // Mixed mode takes effect when the service starts again.
        instance.set_login_mode(2);
        ASSERT_TRUE(instance.stop()) << instance.log();
        ASSERT_TRUE(instance.start()) << instance.log();
        EXPECT_EQ(instance.port(), port) << "a free dynamic port is used again";
        EXPECT_EQ(rows_as(port, "sa", default_sa_password,
                        "SELECT CONVERT(nvarchar(5), SERVERPROPERTY('IsIntegratedSecurityOnly'))"),
                  (std::vector<Row>{{"0"}}));
    }
    EXPECT_TRUE(processes_naming(state).empty()) << "the stand-in outlived its service";
}

}  // namespace
}  // namespace e2e
