// SQLCA's pure parts: driver choice, connection string, literals, and how
// diagnostic records become error_text and info messages.
#include "platform/odbc/connection_string.h"
#include "platform/odbc/diagnostics.h"
#include "platform/odbc/driver_choice.h"
#include "platform/odbc/string_literal.h"

#include <gtest/gtest.h>

namespace {

using namespace platform;

TEST(ConnectionString, OdbcRuleDoublesClosingBraces)
{
    EXPECT_EQ(escape_connection_value(L"plain", false), L"{plain}");
    EXPECT_EQ(escape_connection_value(L"a;PWD=x", false), L"{a;PWD=x}");
    EXPECT_EQ(escape_connection_value(L"p}w{d}", false), L"{p}}w{d}}}");
    EXPECT_EQ(escape_connection_value(L"a};b", false), L"{a}};b}");
    EXPECT_EQ(escape_connection_value(L"", false), L"{}");
    EXPECT_EQ(build_connection_string({L"ODBC Driver 18 for SQL Server", L"host\\SQLEXPRESS", L"master", L"sa", L"p}"}),
              L"DRIVER={ODBC Driver 18 for SQL Server};SERVER={host\\SQLEXPRESS};DATABASE={master};UID={sa};PWD={p}}};");
}

TEST(ConnectionString, FreeTdsRuleEndsAValueAtTheFirstBraceSemicolon)
{
    EXPECT_EQ(escape_connection_value(L"Sa-Test;Pw{1}", true), L"{Sa-Test;Pw{1}}");
    EXPECT_EQ(escape_connection_value(L"}}", true), L"{}}}");
    EXPECT_EQ(escape_connection_value(L"a};PWD=x", true), std::nullopt) << "no escaped form: refused, never cut";
    EXPECT_EQ(build_connection_string({L"FreeTDS", L"127.0.0.1,1433", L"master", L"sa", L"x;}y"}),
              L"DRIVER={FreeTDS};SERVER={127.0.0.1,1433};DATABASE={master};UID={sa};PWD={x;}y};TDS_Version=7.4;");
    EXPECT_EQ(build_connection_string({L"FreeTDS", L"h", L"master", L"sa", L"x};"}), std::nullopt);
}

TEST(ConnectionString, FreeTdsReachesABareHostOnSqlServersPort)
{
    EXPECT_EQ(build_connection_string({L"FreeTDS", L"VM", L"master", L"sa", L"p"}),
              L"DRIVER={FreeTDS};SERVER={VM};DATABASE={master};UID={sa};PWD={p};Port=1433;TDS_Version=7.4;");
    // A port or an instance name says where the server is; nothing is added.
    for (const wchar_t* server : {L"VM,14330", L"VM\\SQLEXPRESS"}) {
        const auto text = build_connection_string({L"FreeTDS", server, L"master", L"sa", L"p"});
        ASSERT_TRUE(text.has_value());
        EXPECT_EQ(text->find(L"Port="), std::wstring::npos) << *text;
    }
}

TEST(DriverChoice, ConfiguredDriverElseTheBestInstalled)
{
    const std::vector<std::wstring> installed = {L"FreeTDS", L"SQL Server", L"ODBC Driver 17 for SQL Server"};
    EXPECT_EQ(choose_driver(L"My Driver", installed), L"My Driver");
    EXPECT_EQ(choose_driver(L"", installed), L"ODBC Driver 17 for SQL Server");
    EXPECT_EQ(choose_driver(std::nullopt, installed), L"ODBC Driver 17 for SQL Server");
    EXPECT_EQ(choose_driver(std::nullopt, {L"freetds", L"Microsoft Access Driver (*.mdb)"}), L"freetds");
    EXPECT_EQ(choose_driver(std::nullopt, {L"Microsoft Access Driver (*.mdb)"}), L"");
    EXPECT_TRUE(is_freetds(L"FreeTDS"));
    EXPECT_TRUE(is_freetds(L"/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so (FREETDS)"));
    EXPECT_FALSE(is_freetds(L"SQL Server"));
}

TEST(UnicodeLiteral, PlaceholdersTakeQuotedValuesInOrder)
{
    EXPECT_EQ(unicode_literal(L"O'Brien"), L"N'O''Brien'");
    EXPECT_EQ(fill_placeholders(L"where a =? and b =? ", {L"mirvox", L"门店'"}),
              L"where a =N'mirvox' and b =N'门店''' ");
    EXPECT_EQ(fill_placeholders(L"x =? ", {L"?"}), L"x =N'?' ") << "a value's own ? is not a placeholder";
    EXPECT_EQ(fill_placeholders(L"x =? and y =?", {L"1"}), L"x =N'1' and y =?");
}

TEST(Diagnostics, VendorPrefixesAreStripped)
{
    EXPECT_EQ(strip_vendor_prefixes(L"[FreeTDS][SQL Server]Login failed for user 'sa'."),
              L"Login failed for user 'sa'.");
    EXPECT_EQ(strip_vendor_prefixes(L"[Microsoft][ODBC Driver 18 for SQL Server][SQL Server]Invalid object name 'x'."),
              L"Invalid object name 'x'.");
    EXPECT_EQ(strip_vendor_prefixes(L"no prefix [kept]"), L"no prefix [kept]");
    EXPECT_EQ(strip_vendor_prefixes(L"[unclosed"), L"[unclosed");
}

TEST(Diagnostics, ServerErrorsJoinedInOrderInfosApartDriverTextsOnlyAsFallback)
{
    StatementMessages restore(true);
    auto infos = restore.add({{L"01000", 3211, L"[FreeTDS][SQL Server]10 percent processed."},
                              {L"42000", 3201, L"[FreeTDS][SQL Server]Cannot open backup device 'c:\\zq.tmp'."},
                              {L"42000", 3013, L"[FreeTDS][SQL Server]RESTORE DATABASE is terminating abnormally."}});
    ASSERT_EQ(infos.size(), 1u);
    EXPECT_EQ(infos[0].number, 3211);
    EXPECT_EQ(infos[0].text, L"10 percent processed.");
    EXPECT_TRUE(restore.has_server_error());
    EXPECT_EQ(restore.error_number(), 3201) << "the first error's number";
    EXPECT_EQ(restore.error_text(),
              L"Cannot open backup device 'c:\\zq.tmp'. RESTORE DATABASE is terminating abnormally.");

    StatementMessages login(true);
    login.add({{L"28000", 18456, L"[FreeTDS][SQL Server]Login failed for user 'sa'."},
               {L"08001", 0, L"[FreeTDS][SQL Server]Unable to connect to data source"}});
    EXPECT_EQ(login.error_text(), L"Login failed for user 'sa'.");

    StatementMessages refused(true);
    refused.add({{L"08001", 0, L"[FreeTDS][SQL Server]Unable to connect to data source"},
                 {L"01000", 20002, L"[FreeTDS][SQL Server]Adaptive Server connection failed"}});
    EXPECT_FALSE(refused.has_server_error());
    EXPECT_EQ(refused.error_text(), L"Unable to connect to data source Adaptive Server connection failed");

    // Outside FreeTDS a number in that range is the server's own.
    StatementMessages other(false);
    other.add({{L"42000", 20002, L"[Microsoft][SQL Server]Replication message"}});
    EXPECT_TRUE(other.has_server_error());
}

}  // namespace
