// SQLCA against the stand-in through the installed ODBC driver: the login,
// the statement kinds, their status codes and the server's own words.
#include "server_fixture.h"
#include "sql_browser_stand_in.h"

#include <algorithm>
#include <filesystem>

namespace {

using platform::Transaction;
using install_test::connect;
using install_test::sa_password;

class Sqlca : public ::testing::Test {
protected:
    void SetUp() override { connect(sqlca, L"sa", sa_password()); }

    Transaction sqlca;
};

TEST(SqlcaLogin, PasswordWithSemicolonAndBracesReachesTheServerWhole)
{
    ASSERT_NE(sa_password().find_first_of(L";}"), std::wstring::npos) << "the stand-in's password should need escaping";
    Transaction sqlca;
    connect(sqlca, L"sa", sa_password());
    EXPECT_TRUE(sqlca.connected());

    // Only the part before the `;` would be sent if the value were not escaped.
    Transaction cut;
    cut.server_name = install_test::test_server();
    cut.database_name = L"master";
    cut.login_id = L"sa";
    cut.login_password = sa_password().substr(0, sa_password().find(L';'));
    cut.connect();
    EXPECT_EQ(cut.status_code(), Transaction::failure);
    EXPECT_EQ(cut.error_text(), L"Login failed for user 'sa'.");
    EXPECT_FALSE(cut.connected());
}

TEST(SqlcaLogin, ConnectReplacesAnOpenConnectionAndDisconnectIsAlwaysSafe)
{
    Transaction sqlca;
    sqlca.disconnect();
    connect(sqlca, L"sa", sa_password());
    connect(sqlca, L"sa", sa_password());
    EXPECT_TRUE(sqlca.connected());
    sqlca.disconnect();
    sqlca.disconnect();
    EXPECT_FALSE(sqlca.connected());
    sqlca.execute_immediate(L"use master");
    EXPECT_EQ(sqlca.status_code(), Transaction::failure);
}

TEST(SqlcaLogin, ServerNamedByInstanceIsFoundThroughTheBrowser)
{
    const std::wstring server = install_test::test_server();
    const auto port = static_cast<unsigned short>(std::stoi(server.substr(server.find(L',') + 1)));
    install_test::SqlBrowserStandIn browser("KORVENA", port);
    ASSERT_TRUE(browser.listening()) << "UDP 127.0.0.1:1434 is taken";

    Transaction sqlca;
    sqlca.server_name = L"127.0.0.1\\KORVENA";
    sqlca.database_name = L"master";
    sqlca.login_id = L"sa";
    sqlca.login_password = sa_password();
    sqlca.connect();
    EXPECT_EQ(sqlca.status_code(), Transaction::success) << testing::PrintToString(sqlca.error_text());
    EXPECT_TRUE(browser.answered());
}

TEST_F(Sqlca, BatchesWithNothingToReportSucceed)
{
    for (const wchar_t* statement : {L"use master", L"set ansi_nulls on", L"SET QUOTED_IDENTIFIER OFF"}) {
        sqlca.execute_immediate(statement);
        EXPECT_EQ(sqlca.status_code(), Transaction::success) << testing::PrintToString(sqlca.error_text());
        EXPECT_EQ(sqlca.error_text(), L"");
    }
}

TEST_F(Sqlca, DoubleQuotedTextIsAStringAfterConnect)
{
    install_test::run_as_sa({L"CREATE DATABASE quoting", L"use quoting", L"CREATE TABLE t (c nvarchar(20))",
                             L"insert into t (c) values ('x')", L"insert into t (c) values ('y')"});
    sqlca.execute_immediate(L"use quoting");
    sqlca.execute_immediate(L"Delete from t where c =\"x\" ");
    EXPECT_EQ(sqlca.status_code(), Transaction::success) << testing::PrintToString(sqlca.error_text());
    std::wstring count;
    sqlca.select_single(L"select count(*) from t", {}, count);
    EXPECT_EQ(count, L"1");
}

TEST_F(Sqlca, SingleRowQueryFindsMissesAndFails)
{
    std::wstring result = L"untouched";
    sqlca.select_single(L"select name from master.dbo.sysdatabases where name =? ", {L"master"}, result);
    EXPECT_EQ(sqlca.status_code(), Transaction::success);
    EXPECT_EQ(result, L"master");

    result = L"untouched";
    sqlca.select_single(L"select name from master.dbo.sysdatabases where name =? ", {L"no'such"}, result);
    EXPECT_EQ(sqlca.status_code(), Transaction::not_found);
    EXPECT_EQ(result, L"untouched");

    sqlca.select_single(L"select name from no_such_table where name =? ", {L"x"}, result);
    EXPECT_EQ(sqlca.status_code(), Transaction::failure);
    EXPECT_EQ(sqlca.error_text(), L"Invalid object name 'no_such_table'.");
    EXPECT_EQ(result, L"untouched");

    sqlca.select_single(L"select count ( a.spid ) from master.dbo.sysprocesses a , master.dbo.sysdatabases b "
                        L"where a.dbid =b.dbid and a.loginame =? and b.name =? ",
                        {L"sa", L"master"}, result);
    EXPECT_EQ(sqlca.status_code(), Transaction::success);
    EXPECT_EQ(result, L"1") << "this connection uses master";
}

TEST_F(Sqlca, FailedStatementsCarryEveryServerMessageInOrder)
{
    sqlca.execute_immediate(L"RESTORE DATABASE nothing FROM  DISK = N'C:\\korvena-test\\absent.bak' WITH  FILE = 1");
    EXPECT_EQ(sqlca.status_code(), Transaction::failure);
    EXPECT_TRUE(sqlca.error_text().starts_with(L"Cannot open backup device 'C:\\korvena-test\\absent.bak'."))
        << testing::PrintToString(sqlca.error_text());
    EXPECT_TRUE(sqlca.error_text().ends_with(L". RESTORE DATABASE is terminating abnormally."))
        << testing::PrintToString(sqlca.error_text());

    sqlca.execute_immediate(L"use master");
    EXPECT_EQ(sqlca.status_code(), Transaction::success);
    EXPECT_EQ(sqlca.error_text(), L"") << "a success clears the previous error";

    sqlca.execute_immediate(L"Drop DATABASE absent");
    EXPECT_EQ(sqlca.status_code(), Transaction::failure) << "severity 11 is an error";
    EXPECT_EQ(sqlca.error_text(), L"Cannot drop the database 'absent', because it does not exist or you do not have permission.");
}

TEST_F(Sqlca, RestoreProgressReachesTheListenerNotTheErrors)
{
    const std::wstring folder = L"C:\\korvena-test\\sqlca-restore";
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    std::filesystem::create_directories(folder);
    install_test::make_template_backup(folder, folder + L"\\template.bak");

    std::vector<std::wstring> infos;
    std::vector<long> numbers;
    sqlca.set_info_listener([&](const platform::ServerInfo& info) {
        infos.push_back(info.text);
        numbers.push_back(info.number);
    });
    sqlca.execute_immediate(L"RESTORE DATABASE copy FROM  DISK = N'" + folder +
                            L"\\template.bak' WITH  FILE = 1,  NOUNLOAD ,  STATS = 10,  RECOVERY ,  REPLACE ,MOVE "
                            L"'mirvox_log' TO N'" + folder + L"\\copy.ldf',MOVE 'mirvox_data' TO N'" + folder +
                            L"\\copy.mdf'");
    EXPECT_EQ(sqlca.status_code(), Transaction::success) << testing::PrintToString(sqlca.error_text());
    EXPECT_NE(std::find(infos.begin(), infos.end(), L"10 percent processed."), infos.end());
    EXPECT_NE(std::find(infos.begin(), infos.end(), L"100 percent processed."), infos.end());
    EXPECT_EQ(std::count(numbers.begin(), numbers.end(), 3211), 10) << "one 3211 for each tenth";
}

}  // namespace
