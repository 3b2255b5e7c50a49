// The command line: listen addresses, fault rules, drives, the release and
// edition played, folders, and the GO separators of the init script.
#include "tds/command_line.h"
#include "tds/fault_rule.h"
#include "tds/init_script.h"

#include <gtest/gtest.h>

#include <cctype>
#include <unistd.h>

namespace emulator::tds {
namespace {

TEST(ListenAddressTest, AcceptsOnlyLoopback) {
    struct Row {
        const char* text;
        bool accepted;
        const char* shown;
    };
    const Row rows[] = {
        {"127.0.0.1:1433", true, "127.0.0.1:1433"},
        {"127.8.9.10:0", true, "127.8.9.10:0"},
        {"[::1]:5000", true, "[::1]:5000"},
        {"10.0.0.1:0", false, ""},
        {"0.0.0.0:1433", false, ""},
        {"[::]:1433", false, ""},
        {"localhost:1433", false, ""},
        {"127.0.0.1", false, ""},
        {"127.0.0.1:65536", false, ""},
        {"127.0.0.1:", false, ""},
        {"127.0.0.1:12x", false, ""},
        {"::1:1433", false, ""},
    };
    for (const Row& row : rows) {
        const auto parsed = parse_listen_address(row.text);
        ASSERT_EQ(std::holds_alternative<ListenAddress>(parsed), row.accepted) << row.text;
        if (row.accepted) {
            EXPECT_EQ(std::get<ListenAddress>(parsed).to_string(), row.shown);
        }
    }
    EXPECT_NE(std::get<std::string>(parse_listen_address("10.0.0.1:0")).find("loopback"), std::string::npos);
}

TEST(FaultRuleTest, NumberIsTheLastFieldSoTextMayHoldColons) {
    const auto fail = parse_fault_rule("fail:RESTORE DATABASE mirvox FROM DISK = N'c:\\zq.tmp':3201");
    ASSERT_TRUE(std::holds_alternative<FaultRule>(fail));
    EXPECT_EQ(std::get<FaultRule>(fail).kind, FaultRule::Kind::fail);
    EXPECT_EQ(std::get<FaultRule>(fail).text, u"RESTORE DATABASE mirvox FROM DISK = N'c:\\zq.tmp'");
    EXPECT_EQ(std::get<FaultRule>(fail).value, 3201);

    const auto delay = parse_fault_rule("delay:sp_addlogin:250");
    ASSERT_TRUE(std::holds_alternative<FaultRule>(delay));
    EXPECT_EQ(std::get<FaultRule>(delay).kind, FaultRule::Kind::delay);
    EXPECT_EQ(std::get<FaultRule>(delay).value, 250);

    const auto drop = parse_fault_rule("drop:a:b:c");
    ASSERT_TRUE(std::holds_alternative<FaultRule>(drop));
    EXPECT_EQ(std::get<FaultRule>(drop).text, u"a:b:c");

    const auto once = parse_fault_rule("fail-once:CREATE LOGIN:15025");
    ASSERT_TRUE(std::holds_alternative<FaultRule>(once));
    EXPECT_EQ(std::get<FaultRule>(once).kind, FaultRule::Kind::fail);
    EXPECT_TRUE(std::get<FaultRule>(once).once);
    EXPECT_FALSE(std::get<FaultRule>(fail).once);

    const auto chinese = parse_fault_rule("drop:连锁");
    ASSERT_TRUE(std::holds_alternative<FaultRule>(chinese));
    EXPECT_EQ(std::get<FaultRule>(chinese).text, u"连锁");

    EXPECT_TRUE(std::holds_alternative<HangLogin>(parse_fault_rule("hang-login")));
    for (const char* bad : {"fail:text", "fail:text:", "fail::5", "delay:x:-3", "delay:x:ms", "drop:", "drop",
                            "drop-after:",
                            "crash:x", "hang-login:now", "fail-once:x"})
        EXPECT_TRUE(std::holds_alternative<std::string>(parse_fault_rule(bad))) << bad;
}

TEST(CommandLineTest, ParsesEveryOption) {
    const auto parsed = parse_command_line(
        {"--sa-password", "pw", "--listen", "127.0.0.1:0", "--listen", "127.0.0.9:0", "--state", "/tmp/s", "--drive",
         "c=/tmp/c", "--drive", "D=/tmp/d", "--fault", "hang-login", "--fault", "fail:x:5", "--fault",
         "drop-after:CREATE LOGIN", "--init-sql", "/tmp/i.sql", "--machine-name", "SHOP-01", "--password-policy",
         "--free-mb", "c=500", "--free-mb", "D=0", "--instance-name", "SQLEXPRESS", "--browser", "127.0.0.9",
         "--windows-auth-only", "--windows-login", "STORE01\\Administrator", "--windows-login", "SHOP\\clerk",
         "--startup-delay", "2.5", "--stop-file", "/tmp/stop", "--product-version", "10.50.6000.34", "--edition",
         "express", "--default-data-path", "D:\\data", "--default-log-path", "E:\\logs\\", "--unreadable",
         "C:\\Users\\op\\Desktop", "--unreadable", "C:\\Temp"});
    ASSERT_TRUE(std::holds_alternative<Options>(parsed)) << std::get<std::string>(parsed);
    const Options& options = std::get<Options>(parsed);
    EXPECT_EQ(options.sa_password, u"pw");
    ASSERT_EQ(options.listen.size(), 2u);
    EXPECT_EQ(options.listen[0].to_string(), "127.0.0.1:0");
    EXPECT_EQ(options.listen[1].to_string(), "127.0.0.9:0");
    EXPECT_EQ(options.state_dir, std::filesystem::path("/tmp/s"));
    EXPECT_EQ(options.drives.at('C'), std::filesystem::path("/tmp/c"));
    EXPECT_EQ(options.drives.at('D'), std::filesystem::path("/tmp/d"));
    EXPECT_EQ(options.login_mode, LoginMode::hang);
    ASSERT_EQ(options.faults.size(), 2u);
    EXPECT_EQ(options.faults[1].kind, FaultRule::Kind::drop_after);
    EXPECT_EQ(options.init_sql, std::filesystem::path("/tmp/i.sql"));
    EXPECT_EQ(options.machine_name, u"SHOP-01");
    EXPECT_TRUE(options.password_policy);
    EXPECT_EQ(options.free_mb, (std::map<char, int64_t>{{'C', 500}, {'D', 0}}));
    EXPECT_EQ(options.instance.instance_name, u"SQLEXPRESS");
    ASSERT_EQ(options.browser.size(), 1u);
    EXPECT_EQ(options.browser[0].to_string(), "127.0.0.9:1434");
    EXPECT_TRUE(options.instance.windows_authentication_only);
    EXPECT_EQ(options.instance.windows_logins, (std::vector<std::u16string>{u"STORE01\\Administrator", u"SHOP\\clerk"}));
    EXPECT_EQ(options.startup_delay, std::chrono::milliseconds(2500));
    EXPECT_EQ(options.stop_file, std::filesystem::path("/tmp/stop"));
    EXPECT_EQ(options.product_version.version, (ServerVersion{10, 50, 6000}));
    EXPECT_EQ(options.product_version.revision, 34);
    EXPECT_EQ(options.edition, Edition::express);
    EXPECT_EQ(options.default_data_path, u"D:\\data\\");
    EXPECT_EQ(options.default_log_path, u"E:\\logs\\");
    EXPECT_EQ(options.unreadable, (std::vector<std::u16string>{u"C:\\Users\\op\\Desktop\\", u"C:\\Temp\\"}));
    for (const char* option : {"--sa-password", "--listen", "--state", "--drive", "--fault", "--init-sql",
                               "--machine-name", "--password-policy", "--free-mb", "--instance-name", "--browser",
                               "--windows-auth-only", "--windows-login", "--startup-delay", "--stop-file",
                               "--product-version", "--edition", "--default-data-path", "--default-log-path",
                               "--unreadable", "drop-after:TEXT"})
        EXPECT_NE(std::string(kUsage).find(option), std::string::npos) << option << " is missing from the usage";

    const auto defaults = parse_command_line({"--sa-password", "pw"});
    ASSERT_TRUE(std::holds_alternative<Options>(defaults));
    ASSERT_EQ(std::get<Options>(defaults).listen.size(), 1u);
    EXPECT_EQ(std::get<Options>(defaults).listen[0].to_string(), "127.0.0.1:1433");
    EXPECT_TRUE(std::get<Options>(defaults).instance.instance_name.empty());
    EXPECT_FALSE(std::get<Options>(defaults).instance.windows_authentication_only);
    EXPECT_FALSE(std::get<Options>(defaults).state_dir);
    EXPECT_FALSE(std::get<Options>(defaults).password_policy);
    EXPECT_TRUE(std::get<Options>(defaults).free_mb.empty());
    EXPECT_EQ(std::get<Options>(defaults).machine_name, default_machine_name());
    EXPECT_EQ(std::get<Options>(defaults).product_version.version, (ServerVersion{15, 0, 2000}));
    EXPECT_EQ(std::get<Options>(defaults).edition, Edition::standard);
    EXPECT_TRUE(std::get<Options>(defaults).default_data_path.empty());
}

TEST(CommandLineTest, TheDefaultMachineNameIsTheHostsShortNameInCapitals) {
    char host[256] = {};
    ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
    std::string expected(host);
    expected = expected.substr(0, expected.find('.'));
    for (char& c : expected) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(default_machine_name(), std::u16string(expected.begin(), expected.end()));
    EXPECT_EQ(default_machine_name().find(u'.'), std::u16string::npos);
}

TEST(CommandLineTest, RefusesBadUsageWithAReason) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"--listen", "127.0.0.1:0"},
        {"--sa-password"},
        {"--sa-password", "pw", "--listen", "10.0.0.1:0"},
        {"--sa-password", "pw", "--drive", "CC=/x"},
        {"--sa-password", "pw", "--drive", "c=/x", "--drive", "C=/y"},
        {"--sa-password", "pw", "--fault", "boom"},
        {"--sa-password", "pw", "--verbose", "yes"},
        {"--sa-password", "pw", "--machine-name", ""},
        {"--sa-password", "pw", "--machine-name"},
        {"--sa-password", "pw", "--drive", "C=/c", "--free-mb", "C"},
        {"--sa-password", "pw", "--drive", "C=/c", "--free-mb", "C=-5"},
        {"--sa-password", "pw", "--drive", "C=/c", "--free-mb", "C=5MB"},
        {"--sa-password", "pw", "--drive", "C=/c", "--free-mb", "C=99999999999999999"},
        {"--sa-password", "pw", "--drive", "C=/c", "--free-mb", "C=5", "--free-mb", "c=6"},
        {"--sa-password", "pw", "--free-mb", "E=100"},  // no --drive maps E:
        {"--sa-password", "pw", "--password-policy", "yes"},
        {"--sa-password", "pw", "--instance-name", ""},
        {"--sa-password", "pw", "--instance-name", "SQLEXPRESS2022ABC"},  // 17 characters
        {"--sa-password", "pw", "--instance-name", "9LIVES"},
        {"--sa-password", "pw", "--instance-name", "SQL EXPRESS"},
        {"--sa-password", "pw", "--instance-name", "MSSQLServer"},
        {"--sa-password", "pw", "--instance-name", "MyDefault"},
        {"--sa-password", "pw", "--instance-name", "_SQL"},
        {"--sa-password", "pw", "--instance-name", "SQL_"},
        {"--sa-password", "pw", "--instance-name", "SQL-EXPRESS"},
        {"--sa-password", "pw", "--windows-login", "Administrator"},
        {"--sa-password", "pw", "--windows-login", "\\Administrator"},
        {"--sa-password", "pw", "--windows-login", "STORE01\\"},
        {"--sa-password", "pw", "--windows-login", "A\\B\\C"},
        {"--sa-password", "pw", "--browser", "10.0.0.5"},
        {"--sa-password", "pw", "--browser", "127.0.0.5:1434"},
        {"--sa-password", "pw", "--startup-delay", "-1"},
        {"--sa-password", "pw", "--startup-delay", "soon"},
        {"--sa-password", "pw", "--windows-auth-only", "--init-sql", "/tmp/i.sql"},  // nobody to run it as
        {"--sa-password", "pw", "--product-version", "15.0.2000"},
        {"--sa-password", "pw", "--product-version", "15.1.2000.5"},  // no such release
        {"--sa-password", "pw", "--product-version", "15.0.70000.5"},
        {"--sa-password", "pw", "--product-version", "15.0.2000.5x"},
        {"--sa-password", "pw", "--edition", "developer"},
        {"--sa-password", "pw", "--product-version", "8.0.2039.0", "--edition", "express"},
        {"--sa-password", "pw", "--default-data-path", "data"},
        {"--sa-password", "pw", "--unreadable", "/home/op"},
    };
    for (const auto& arguments : bad) {
        const auto parsed = parse_command_line(arguments);
        ASSERT_TRUE(std::holds_alternative<std::string>(parsed)) << ::testing::PrintToString(arguments);
        EXPECT_FALSE(std::get<std::string>(parsed).empty());
    }
}

TEST(InitScriptTest, GoLinesSeparateBatches) {
    const auto batches = split_batches(u"create database a\n  go  \r\nuse a\nGo\n\nGO\nselect 'GO' as go_text\ngo");
    ASSERT_EQ(batches.size(), 3u);
    EXPECT_EQ(batches[0], u"create database a\n");
    EXPECT_EQ(batches[1], u"use a\n");
    EXPECT_EQ(batches[2], u"select 'GO' as go_text\n");
    EXPECT_TRUE(split_batches(u"\n GO \n").empty());
    EXPECT_EQ(split_batches(u"select 1").size(), 1u);
    // GO must stand alone on its line.
    EXPECT_EQ(split_batches(u"select 1 go\nselect 2").size(), 1u);
}

}  // namespace
}  // namespace emulator::tds
