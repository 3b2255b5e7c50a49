// How batches split into statements and how odd client texts are read.
#include "parser.h"
#include "text.h"

#include <gtest/gtest.h>

namespace emulator {
namespace {

template <typename T>
T only(const std::vector<Statement>& statements) {
    EXPECT_EQ(statements.size(), 1u);
    const T* body = std::get_if<T>(&statements.at(0).body);
    if (!body) throw std::runtime_error("unexpected statement kind");
    return *body;
}

std::u16string syntax_error_near(const std::u16string& sql) {
    try {
        parse_batch(sql, false);
    } catch (const SyntaxError& error) {
        return error.near;
    }
    return u"(parsed)";
}

TEST(Parser, ReadsTediousConnectBatchAsSeparateSetStatements) {
    const std::u16string batch =
        u"set ansi_nulls on\nset ansi_null_dflt_on on\nset ansi_padding on\nset ansi_warnings on\n"
        u"set arithabort on\nset concat_null_yields_null on\nset datefirst 7\nset dateformat mdy\n"
        u"set implicit_transactions off\nset language us_english\nset numeric_roundabort off\n"
        u"set quoted_identifier on\nset textsize 2147483647\n"
        u"set transaction isolation level read committed\nset xact_abort off";
    const auto statements = parse_batch(batch, false);
    ASSERT_EQ(statements.size(), 15u);
    for (const auto& statement : statements) EXPECT_TRUE(std::holds_alternative<SetStatement>(statement.body)) << to_utf8(statement.text);
    EXPECT_EQ(std::get<SetStatement>(statements[9].body).language, u"us_english");
    EXPECT_EQ(std::get<SetStatement>(statements[11].body).quoted_identifier, true);
    EXPECT_EQ(statements[13].text, u"set transaction isolation level read committed");
}

TEST(Parser, DoubleQuotesFollowQuotedIdentifierEvenWithinTheBatch) {
    const std::u16string delete_text = u"Delete from t_sys_system where sys_var_id =\"Is_Distributed\" ";
    {
        const auto remove = only<DeleteStatement>(parse_batch(delete_text, false));
        EXPECT_EQ(std::get<Value>(remove.where.at(0).right), Value(std::u16string(u"Is_Distributed")));
    }
    {
        const auto remove = only<DeleteStatement>(parse_batch(delete_text, true));
        EXPECT_EQ(std::get<ColumnRef>(remove.where.at(0).right).column, u"Is_Distributed");
    }
    const auto statements = parse_batch(u"SET QUOTED_IDENTIFIER OFF;" + delete_text, true);
    ASSERT_EQ(statements.size(), 2u);
    EXPECT_TRUE(std::holds_alternative<Value>(std::get<DeleteStatement>(statements[1].body).where.at(0).right));
}

TEST(Parser, ReadsTheInstallersCreateAndRestore) {
    const auto create = only<CreateDatabaseStatement>(parse_batch(
        u"CREATE DATABASE mirvox  ON PRIMARY (NAME = N'mirvox_Data', FILENAME = N'D:\\data\\mirvox_Data.MDF' , "
        u"SIZE = 12, FILEGROWTH = 30%) LOG ON (NAME = N'mirvox_Log', FILENAME = N'D:\\data\\mirvox_Log.LDF' , "
        u"SIZE = 12, FILEGROWTH = 30%)",
        false));
    EXPECT_EQ(create.name, u"mirvox");
    ASSERT_EQ(create.data_files.size(), 1u);
    ASSERT_EQ(create.log_files.size(), 1u);
    EXPECT_EQ(create.data_files[0].logical, u"mirvox_Data");
    EXPECT_EQ(create.data_files[0].filename, u"D:\\data\\mirvox_Data.MDF");
    EXPECT_EQ(create.data_files[0].size_bytes, 12 << 20);
    EXPECT_EQ(create.log_files[0].filename, u"D:\\data\\mirvox_Log.LDF");

    const auto restore = only<RestoreStatement>(parse_batch(
        u"RESTORE DATABASE mirvox FROM  DISK = N'c:\\zq.tmp' WITH  FILE = 1,  NOUNLOAD ,  STATS = 10,  RECOVERY ,  "
        u"REPLACE ,MOVE 'mirvox_log' TO N'D:\\data\\mirvox_Log.LDF',MOVE 'mirvox_data' TO N'D:\\data\\mirvox_Data.MDF'",
        false));
    EXPECT_EQ(restore.device, u"c:\\zq.tmp");
    EXPECT_EQ(restore.stats_percent, 10);
    EXPECT_TRUE(restore.replace);
    ASSERT_EQ(restore.moves.size(), 2u);
    EXPECT_EQ(restore.moves[1].logical, u"mirvox_data");
    EXPECT_EQ(restore.moves[1].target, u"D:\\data\\mirvox_Data.MDF");
}

TEST(Parser, ProcedureCallsWithAndWithoutExec) {
    {
        const auto exec = only<ExecStatement>(parse_batch(u"dbo.sp_addlogin 'mirvox','rovtakl',mirvox", false));
        EXPECT_EQ(exec.procedure, u"sp_addlogin");
        ASSERT_EQ(exec.arguments.size(), 3u);
        EXPECT_EQ(std::get<std::u16string>(exec.arguments[2]), u"mirvox");  // unquoted name
    }
    {
        const auto exec = only<ExecStatement>(parse_batch(u"exec dbo.sp_defaultdb N'mirvox', N'mirvox'", false));
        EXPECT_EQ(exec.procedure, u"sp_defaultdb");
        EXPECT_EQ(exec.arguments.size(), 2u);
    }
    // Only the first statement of a batch may leave out EXEC.
    EXPECT_EQ(syntax_error_near(u"use master\nsp_droplogin x"), u"sp_droplogin");
}

TEST(Parser, UnsupportedFormsAreNamedAndGarbageIsASyntaxError) {
    const auto statements = parse_batch(u"ALTER TABLE t ADD c int\nselect name from [sysdatabases] order by name", false);
    ASSERT_EQ(statements.size(), 2u);
    EXPECT_TRUE(std::holds_alternative<UnsupportedStatement>(statements[0].body));
    EXPECT_EQ(statements[0].text, u"ALTER TABLE t ADD c int");
    EXPECT_TRUE(std::holds_alternative<UnsupportedStatement>(statements[1].body));

    EXPECT_EQ(syntax_error_near(u"select name from"), u"from");
    EXPECT_EQ(syntax_error_near(u"Drop DATABASE"), u"DATABASE");
    EXPECT_EQ(syntax_error_near(u"select 'unclosed"), u"'unclosed");
    EXPECT_EQ(syntax_error_near(u"insert into t values (1,)"), u")");
    EXPECT_EQ(syntax_error_near(u"dbo.sp_addlogin 'x', 'y', 1abc"), u"abc");
}

TEST(Parser, BuiltInCallsAndWhatIsNotOne) {
    const auto select = only<SelectStatement>(parse_batch(
        u"SELECT CONVERT(nvarchar(128), SERVERPROPERTY('MachineName')), CAST(SERVERPROPERTY(N'ProductVersion') AS "
        u"nvarchar), IS_SRVROLEMEMBER('sysadmin', 'sa') AS admin",
        false));
    ASSERT_EQ(select.items.size(), 3u);
    EXPECT_EQ(select.items[0].function.name, u"SERVERPROPERTY");
    EXPECT_EQ(select.items[0].function.nvarchar_length, 128);
    EXPECT_EQ(select.items[1].function.nvarchar_length, 30);
    EXPECT_EQ(select.items[2].function.arguments.size(), 2u);
    EXPECT_FALSE(select.items[2].function.nvarchar_length);
    EXPECT_EQ(select.items[2].alias, u"admin");
    // Valid T-SQL the stand-in does not evaluate is unsupported, not a syntax error.
    for (const std::u16string sql : {u"SELECT CAST('x' AS nvarchar(5))", u"SELECT CONVERT(nvarchar(5), 'x')",
                                     u"SELECT CONVERT(int, SERVERPROPERTY('LCID'))", u"SELECT GETDATE()",
                                     u"SELECT SERVERPROPERTY('a', 'b')"})
        EXPECT_TRUE(std::holds_alternative<UnsupportedStatement>(parse_batch(sql, false).at(0).body)) << to_utf8(sql);
    EXPECT_EQ(syntax_error_near(u"SELECT CONVERT(nvarchar(128), SERVERPROPERTY('MachineName')"), u")");
}

TEST(Parser, SelectWithJoinAliasesCountAndComments) {
    const auto select = only<SelectStatement>(parse_batch(
        u"select count ( a.spid ) from master.dbo.sysprocesses a , master.dbo.sysdatabases b /* join */ "
        u"where a.dbid =b.dbid and a.loginame =N'mirvox' and b.name =N'mirvox' -- end",
        false));
    ASSERT_EQ(select.items.size(), 1u);
    EXPECT_EQ(select.items[0].kind, SelectItem::Kind::count_column);
    EXPECT_EQ(select.items[0].column.qualifier, u"a");
    ASSERT_EQ(select.from.size(), 2u);
    EXPECT_EQ(select.from[0].table.database, u"master");
    EXPECT_EQ(select.from[0].table.name, u"sysprocesses");
    EXPECT_EQ(select.from[1].alias, u"b");
    EXPECT_EQ(select.where.size(), 3u);
}

TEST(Text, Utf8RoundTripsChineseAndReplacesWhatIsNotUtf8) {
    const std::u16string branch = u"分店/配送中心 \U0001F600";
    EXPECT_EQ(from_utf8(to_utf8(branch)), branch);
    // Truncated, overlong and stray continuation bytes, and a lone surrogate.
    EXPECT_EQ(from_utf8("a\xE5\x88"), u"a\uFFFD\uFFFD");
    EXPECT_EQ(from_utf8("\xC0\xAF"), u"\uFFFD\uFFFD");
    EXPECT_EQ(from_utf8("\x80x"), u"\uFFFDx");
    EXPECT_EQ(to_utf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace emulator
