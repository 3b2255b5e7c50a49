// A named instance found the way FreeTDS finds one: through the SQL Server
// Browser's answer on UDP port 1434 of the server's address, by ODBC
// (SERVER=HOST\INSTANCE) and by tsql (a freetds.conf instance), on a server
// that listens on two addresses at one port.
#include "child_process.h"
#include "loopback_address.h"
#include "odbc_expectations.h"
#include "odbc_session.h"
#include "temporary_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sql.h>
#include <sqlucode.h>

namespace emulator::testing {
namespace {

const std::u16string kSaPassword = EmulatorProcess::sa_password();

std::u16string u16(const std::string& text) { return std::u16string(text.begin(), text.end()); }

Rows own_connection(OdbcSession& session, const std::u16string& columns) {
    const Outcome outcome =
        session.execute(u"SELECT " + columns + u" FROM sys.dm_exec_connections WHERE session_id = @@SPID");
    EXPECT_OK(outcome);
    return outcome.result_sets.empty() ? Rows{} : outcome.result_sets[0];
}

TEST(NamedInstanceTest, FreeTdsFindsTheInstanceThroughTheBrowser) {
    const std::string address = free_browser_address();
    EmulatorProcess emulator({"--listen", address + ":0", "--listen", "127.0.0.1:0", "--instance-name", "SQLEXPRESS",
                              "--browser", address, "--machine-name", "STORE01"});
    const std::u16string port = u16(std::to_string(emulator.port()));

    // The Browser compares instance names without regard to case.
    OdbcSession named(u16(address) + u"\\sqlexpress", u"sa", kSaPassword);
    ASSERT_TRUE(named.connected()) << connect_text(named);
    const Outcome identity = named.execute(
        u"SELECT @@SERVERNAME, CONVERT(nvarchar(128), SERVERPROPERTY('ServerName')), "
        u"CONVERT(nvarchar(128), SERVERPROPERTY('InstanceName'))");
    EXPECT_OK(identity);
    ASSERT_EQ(identity.result_sets.size(), 1u);
    EXPECT_EQ(identity.result_sets[0], (Rows{{u"STORE01\\SQLEXPRESS", u"STORE01\\SQLEXPRESS", u"SQLEXPRESS"}}));
    EXPECT_EQ(own_connection(named, u"net_transport, local_tcp_port, local_net_address, auth_scheme"),
              (Rows{{u"TCP", port, u16(address), u"SQL"}}));

    // The second address listens at the first one's port; the columns keep
    // their types through the conversions a client may add.
    OdbcSession direct(emulator.port(), u"sa", kSaPassword);
    ASSERT_TRUE(direct.connected()) << connect_text(direct);
    const Outcome converted = direct.execute(
        u"SELECT CONVERT(nvarchar(40), net_transport), CONVERT(int, local_tcp_port), "
        u"CONVERT(varchar(48), local_net_address), CAST(auth_scheme AS nvarchar(40)) "
        u"FROM sys.dm_exec_connections WHERE session_id = @@SPID");
    EXPECT_OK(converted);
    ASSERT_EQ(converted.result_sets.size(), 1u);
    EXPECT_EQ(converted.result_sets[0], (Rows{{u"TCP", port, u"127.0.0.1", u"SQL"}}));
    const std::vector<short> types = {SQL_WVARCHAR, SQL_INTEGER, SQL_VARCHAR, SQL_WVARCHAR};
    for (size_t i = 0; i < types.size(); ++i) EXPECT_EQ(converted.columns[0][i].sql_type, types[i]) << i;

    TemporaryFolder folder;
    std::ofstream(folder / "freetds.conf") << "[store]\nhost = " << address << "\ninstance = SQLEXPRESS\n";
    const ProgramResult tsql = run_program({"tsql", "-S", "store", "-U", "sa", "-P", EmulatorProcess::kSaPassword},
                                           "SELECT @@SERVERNAME\ngo\nquit\n",
                                           {"FREETDSCONF=" + (folder / "freetds.conf"), "TDSVER=7.4"});
    EXPECT_NE(tsql.out.find("STORE01\\SQLEXPRESS"), std::string::npos) << tsql.out << tsql.err;
}

}  // namespace
}  // namespace emulator::testing
