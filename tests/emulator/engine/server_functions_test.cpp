// SELECT without FROM of IS_SRVROLEMEMBER and SERVERPROPERTY, as the
// installer asks who it is and which server it talks to.
#include "engine_fixture.h"

namespace emulator::testing {
namespace {

class ServerFunctionsTest : public EngineTest {
protected:
    ServerFunctionsTest() {
        sa_ = login_sa();
        ok(sa_, u"sp_addlogin 'clerk', 'pw'");
        clerk_ = login(u"clerk", u"pw");
    }
    int sa_ = 0;
    int clerk_ = 0;
};

TEST_F(ServerFunctionsTest, IsSrvRoleMemberAnswersForTheSessionsLoginOrTheOneNamed) {
    const struct {
        int spid;
        std::u16string call;
        Value expected;
    } cases[] = {
        {sa_, u"IS_SRVROLEMEMBER('sysadmin')", 1},
        {clerk_, u"IS_SRVROLEMEMBER('sysadmin')", 0},
        {clerk_, u"is_srvrolemember(N'SYSADMIN')", 0},
        {clerk_, u"IS_SRVROLEMEMBER('sysadmin', 'sa')", 1},
        {sa_, u"IS_SRVROLEMEMBER('sysadmin', 'clerk')", 0},
        {sa_, u"IS_SRVROLEMEMBER('dbcreator')", 0},  // membership, not the permissions sysadmin implies
        {clerk_, u"IS_SRVROLEMEMBER('public')", 1},
        {sa_, u"IS_SRVROLEMEMBER('no_such_role')", std::monostate{}},
        {sa_, u"IS_SRVROLEMEMBER('sysadmin', 'ghost')", std::monostate{}},
        {sa_, u"IS_SRVROLEMEMBER('sysadmin', NULL)", std::monostate{}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(utf8(c.call));
        const auto sink = ok(c.spid, u"SELECT " + c.call);
        ASSERT_EQ(sink.results.size(), 1u);
        const ResultSet& result = sink.results[0];
        ASSERT_EQ(result.columns.size(), 1u);
        EXPECT_EQ(result.columns[0].name, u"");
        EXPECT_EQ(result.columns[0].type, ColumnType::int32);
        ASSERT_EQ(result.rows.size(), 1u);
        EXPECT_EQ(result.rows[0][0], c.expected);
    }
    // Made a member, the login sees it at once.
    ok(sa_, u"sp_addsrvrolemember 'clerk', 'sysadmin'");
    EXPECT_EQ(scalar(clerk_, u"SELECT IS_SRVROLEMEMBER('sysadmin')"), Value(1));
}

TEST_F(ServerFunctionsTest, TheInstallersServerQueryGetsThreeUnnamedTexts) {
    const auto sink = ok(sa_, u"SELECT CONVERT(nvarchar(128), SERVERPROPERTY('MachineName')), "
                              u"CONVERT(nvarchar(128), SERVERPROPERTY('ComputerNamePhysicalNetBIOS')), "
                              u"CONVERT(nvarchar(128), SERVERPROPERTY('ProductVersion'))");
    ASSERT_EQ(sink.results.size(), 1u);
    const ResultSet& result = sink.results[0];
    ASSERT_EQ(result.columns.size(), 3u);
    for (const Column& column : result.columns) {
        EXPECT_EQ(column.name, u"");
        EXPECT_EQ(column.type, ColumnType::nvarchar);
        EXPECT_EQ(column.length, 128);
    }
    ASSERT_EQ(result.rows.size(), 1u);
    EXPECT_EQ(result.rows[0], (std::vector<Value>{std::u16string(u"ShopServer"), std::u16string(u"ShopServer"),
                                                  std::u16string(u"15.0.2000.5")}));
    EXPECT_EQ(sink.dones.at(0).row_count, 1u);
}

TEST_F(ServerFunctionsTest, ServerPropertyConvertedByCastOrConvert) {
    const struct {
        std::u16string expression;
        Value expected;
        int32_t length;
    } cases[] = {
        {u"CAST(SERVERPROPERTY('ServerName') AS nvarchar(128))", std::u16string(u"SHOPSERVER"), 128},
        {u"CAST(SERVERPROPERTY(N'instancename') AS nvarchar(128))", std::monostate{}, 128},
        {u"CONVERT(nvarchar(128), SERVERPROPERTY('ProductLevel'))", std::u16string(u"RTM"), 128},
        {u"CONVERT(nvarchar(128), SERVERPROPERTY('ProductMajorVersion'))", std::u16string(u"15"), 128},
        {u"CONVERT(nvarchar(128), SERVERPROPERTY('Collation'))", std::u16string(u"Chinese_PRC_CI_AS"), 128},
        {u"CONVERT(nvarchar(10), SERVERPROPERTY('LCID'))", std::u16string(u"2052"), 10},
        {u"CONVERT(nvarchar(128), SERVERPROPERTY('NoSuchProperty'))", std::monostate{}, 128},
        {u"CONVERT(nvarchar(4), SERVERPROPERTY('ProductVersion'))", std::u16string(u"15.0"), 4},  // cut, as SQL Server does
        {u"CONVERT(nvarchar, SERVERPROPERTY('MachineName'))", std::u16string(u"ShopServer"), 30},
        {u"CONVERT(nvarchar(5), IS_SRVROLEMEMBER('sysadmin'))", std::u16string(u"1"), 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(utf8(c.expression));
        const auto sink = ok(sa_, u"SELECT " + c.expression);
        ASSERT_EQ(sink.results.size(), 1u);
        EXPECT_EQ(sink.results[0].columns.at(0).length, c.length);
        EXPECT_EQ(sink.results[0].rows.at(0).at(0), c.expected);
    }
    const auto named = ok(sa_, u"SELECT CAST(SERVERPROPERTY('MachineName') AS nvarchar(128)) AS machine");
    EXPECT_EQ(named.results.at(0).columns.at(0).name, u"machine");
    // With FROM the value repeats on every row.
    const auto rows = ok(sa_, u"select name, IS_SRVROLEMEMBER('sysadmin') from sysdatabases");
    EXPECT_EQ(rows.results.at(0).rows.size(), 4u);
    for (const auto& row : rows.results[0].rows) EXPECT_EQ(row.at(1), Value(1));
}

TEST_F(ServerFunctionsTest, WhatTheStandInCannotAnswerIsNotSupported) {
    for (const std::u16string sql : {
             u"SELECT SERVERPROPERTY('MachineName')",  // sql_variant
             u"SELECT CONVERT(nvarchar(128), SERVERPROPERTY('BuildClrVersion'))",
             u"SELECT CONVERT(nvarchar(128), SERVERPROPERTY('InstanceDefaultBackupPath'))",
             u"SELECT CONVERT(nvarchar(1), SERVERPROPERTY('LCID'))",  // overflows on SQL Server
         }) {
        SCOPED_TRACE(utf8(sql));
        const auto sink = run(sa_, sql);
        ASSERT_EQ(sink.messages.size(), 1u);
        EXPECT_EQ(sink.messages[0].text, u"The SQL Server emulator does not support the statement '" + sql + u"'.");
        EXPECT_TRUE(sink.results.empty());
        EXPECT_TRUE(sink.dones.at(0).failed);
    }
}

// What the server says of its release and edition, and where a release
// before the property's time answers NULL.
TEST_F(ServerFunctionsTest, VersionAndEditionFollowTheOptions) {
    const struct {
        ProductVersion version;
        Edition edition;
        std::u16string product_version;
        std::u16string edition_text;
        std::u16string engine_edition;
        std::u16string banner_start;
        Value data_path;
    } cases[] = {
        {kDefaultProductVersion, Edition::standard, u"15.0.2000.5", u"Standard Edition (64-bit)", u"2",
         u"Microsoft SQL Server 2019 (RTM) - 15.0.2000.5 (X64) \n\tSep 24 2019 13:48:23 \n\tCopyright (C) 2019 "
         u"Microsoft Corporation\n\tStandard Edition (64-bit) on Windows",
         std::u16string(u"D:\\data\\")},
        {{{9, 0, 5000}, 0}, Edition::express, u"9.00.5000.00", u"Express Edition (64-bit)", u"4",
         u"Microsoft SQL Server 2005 - 9.00.5000.00 (X64) \n\tOct 14 2005 00:33:37 \n\tCopyright (c) 1988-2005 "
         u"Microsoft Corporation\n\tExpress Edition (64-bit) on Windows",
         std::monostate{}},
        {{{10, 50, 6000}, 34}, Edition::enterprise, u"10.50.6000.34", u"Enterprise Edition (64-bit)", u"3",
         u"Microsoft SQL Server 2008 R2 (RTM) - 10.50.6000.34 (X64) \n\tApr  2 2010 15:48:46 \n", std::monostate{}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(utf8(c.product_version));
        auto engine_options = options();
        engine_options.product_version = c.version;
        engine_options.edition = c.edition;
        engine_options.default_data_path = u"D:\\data\\";
        start(engine_options);
        const int sa = login_sa();
        const auto row = ok(sa, u"SELECT CONVERT(nvarchar(128), SERVERPROPERTY('ProductVersion')), "
                                u"CONVERT(nvarchar(128), SERVERPROPERTY('Edition')), "
                                u"CONVERT(nvarchar(12), SERVERPROPERTY('EngineEdition')), "
                                u"CONVERT(nvarchar(128), SERVERPROPERTY('InstanceDefaultDataPath')), @@VERSION")
                             .results.at(0)
                             .rows.at(0);
        EXPECT_EQ(row.at(0), Value(c.product_version));
        EXPECT_EQ(row.at(1), Value(c.edition_text));
        EXPECT_EQ(row.at(2), Value(c.engine_edition));
        EXPECT_EQ(row.at(3), c.data_path);
        EXPECT_TRUE(std::get<std::u16string>(row.at(4)).starts_with(c.banner_start)) << utf8(std::get<std::u16string>(row.at(4)));
    }
}

TEST_F(ServerFunctionsTest, MachineNameComesFromTheOptions) {
    auto engine_options = options();
    engine_options.machine_name = u"POS-2";
    start(engine_options);
    const int sa = login_sa();
    EXPECT_EQ(scalar(sa, u"SELECT CONVERT(nvarchar(128), SERVERPROPERTY('ComputerNamePhysicalNetBIOS'))"),
              Value(std::u16string(u"POS-2")));
}

}  // namespace
}  // namespace emulator::testing
