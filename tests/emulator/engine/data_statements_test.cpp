// User tables: definitions, rows, queries, and the errors SQL Server gives.
#include "engine_fixture.h"

namespace emulator::testing {

namespace {

class DataTest : public EngineTest {
protected:
    DataTest() {
        sa_ = login_sa();
        ok(sa_, u"create table t_sys_system (sys_var_id nvarchar(40) NOT NULL, sys_var_name nvarchar(60), "
                u"sys_var_value nvarchar(20), sys_ver_flag nvarchar(10), sys_inited nvarchar(1), seq int)");
        ok(sa_, u"insert into t_sys_system values ('Is_Distributed', N'单店', '0', '', '1', 1), "
                u"('Is_Distributed', N'总部', '1', '', '1', 2), ('Shop_Name', N'分店/配送中心', 'x', '', '0', 3)");
    }
    int sa_ = 0;
};

TEST_F(DataTest, SelectReturnsTypedColumnsAndUnicodeUnchanged) {
    const auto sink = ok(sa_, u"select sys_var_name, seq from t_sys_system where sys_var_id = 'Shop_Name'");
    const ResultSet& result = sink.results.at(0);
    ASSERT_EQ(result.columns.size(), 2u);
    EXPECT_EQ(result.columns[0].name, u"sys_var_name");
    EXPECT_EQ(result.columns[0].type, ColumnType::nvarchar);
    EXPECT_EQ(result.columns[1].type, ColumnType::int32);
    ASSERT_EQ(result.rows.size(), 1u);
    EXPECT_EQ(result.rows[0][0], Value(std::u16string(u"分店/配送中心")));
    EXPECT_EQ(result.rows[0][1], Value(3));
    EXPECT_EQ(sink.dones.at(0).row_count, 1u);
    EXPECT_EQ(sink.dones.at(0).command, Command::select);

    EXPECT_EQ(ok(sa_, u"select * from dbo.t_sys_system").results.at(0).columns.size(), 6u);
    EXPECT_EQ(scalar(sa_, u"select count(*) from master.dbo.t_sys_system where sys_var_id = 'IS_DISTRIBUTED  '"),
              Value(2));
    EXPECT_EQ(scalar(sa_, u"select count(seq) from t_sys_system where seq = '3'"), Value(1));
    const auto constant = ok(sa_, u"select 1");
    EXPECT_EQ(constant.results.at(0).rows.at(0).at(0), Value(1));
}

TEST_F(DataTest, JoinsTwoTablesByAlias) {
    ok(sa_, u"create table modes (value nvarchar(2), label nvarchar(20))");
    ok(sa_, u"insert into modes (value, label) values ('0', 'single'), ('1', 'chain')");
    const auto sink = ok(sa_,
        u"select s.seq, m.label from t_sys_system s , modes m where s.sys_var_value =m.value and s.sys_var_id = 'Is_Distributed'");
    ASSERT_EQ(sink.results.at(0).rows.size(), 2u);
    EXPECT_EQ(sink.results[0].rows[1][1], Value(std::u16string(u"chain")));
    EXPECT_EQ(run(sa_, u"select nothing from t_sys_system s , modes m").message_numbers(), std::vector<int32_t>{207});
    EXPECT_EQ(run(sa_, u"select seq from t_sys_system s , t_sys_system r").message_numbers(), std::vector<int32_t>{209});
    EXPECT_EQ(run(sa_, u"select x.seq from t_sys_system s").message_numbers(), std::vector<int32_t>{4104});
}

TEST_F(DataTest, DeleteCountsRemovedRows) {
    const auto removed = ok(sa_, u"Delete from t_sys_system where sys_var_id ='Is_Distributed' ");
    EXPECT_EQ(removed.dones.at(0).row_count, 2u);
    EXPECT_EQ(removed.dones.at(0).command, Command::remove);
    EXPECT_EQ(ok(sa_, u"delete t_sys_system where sys_var_id = 'none'").dones.at(0).row_count, 0u);
    EXPECT_EQ(scalar(sa_, u"select count(*) from t_sys_system"), Value(1));
}

TEST_F(DataTest, QuotedIdentifierDecidesWhatDoubleQuotesMean) {
    const std::u16string remove = u"Delete from t_sys_system where sys_var_id =\"Is_Distributed\" ";
    const int odbc = login_sa(true);  // an ODBC login starts with QUOTED_IDENTIFIER ON
    const auto refused = run(odbc, remove);
    ASSERT_EQ(refused.messages.size(), 1u);
    EXPECT_EQ(refused.messages[0].number, 207);
    EXPECT_EQ(refused.messages[0].text, u"Invalid column name 'Is_Distributed'.");

    ok(odbc, u"SET QUOTED_IDENTIFIER OFF");
    EXPECT_EQ(ok(odbc, remove).dones.at(0).row_count, 2u);

    // Within one batch the SET changes how the following statement is read.
    ok(sa_, u"insert into t_sys_system (sys_var_id, seq) values ('Is_Distributed', 4)");
    const auto batch = ok(odbc, u"SET QUOTED_IDENTIFIER ON\nselect \"seq\" from t_sys_system where sys_var_id = 'Is_Distributed'");
    EXPECT_EQ(batch.results.at(0).rows.at(0).at(0), Value(4));
}

TEST_F(DataTest, RefusedChangesLeaveTheTableAlone) {
    const struct {
        std::u16string sql;
        int32_t number;
        std::u16string text;
    } cases[] = {
        {u"insert into t_sys_system values ('a')", 213,
         u"Column name or number of supplied values does not match table definition."},
        {u"insert into t_sys_system (sys_var_id, nope) values ('a', 'b')", 207, u"Invalid column name 'nope'."},
        {u"insert into t_sys_system (sys_var_name) values ('no id')", 515,
         u"Cannot insert the value NULL into column 'sys_var_id', table 'master.dbo.t_sys_system'; column does not "
         u"allow nulls. INSERT fails."},
        {u"insert into t_sys_system (sys_var_id, sys_inited) values ('a', '12')", 8152,
         u"String or binary data would be truncated."},
        {u"insert into t_sys_system (sys_var_id, seq) values ('a', 'many')", 245,
         u"Conversion failed when converting the nvarchar value 'many' to data type int."},
        {u"insert into t_sys_system (sys_var_id) values ('ok'), (NULL)", 515, {}},
        {u"insert into nosuch values (1)", 208, u"Invalid object name 'nosuch'."},
        {u"insert into master.dbo.sysdatabases values (1)", 259, u"Ad hoc updates to system catalogs are not allowed."},
        {u"delete from t_sys_system where nope = 1", 207, u"Invalid column name 'nope'."},
        {u"create table t_sys_system (a int)", 2714, u"There is already an object named 't_sys_system' in the database."},
        {u"select * from mirvox.dbo.t_sys_system", 208, u"Invalid object name 'mirvox.dbo.t_sys_system'."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(utf8(c.sql));
        const auto sink = run(sa_, c.sql);
        ASSERT_EQ(sink.messages.size(), 1u);
        EXPECT_EQ(sink.messages[0].number, c.number);
        if (!c.text.empty()) {
            EXPECT_EQ(sink.messages[0].text, c.text);
        }
        EXPECT_TRUE(sink.dones.at(0).failed);
    }
    EXPECT_EQ(scalar(sa_, u"select count(*) from t_sys_system"), Value(3));
}

TEST_F(DataTest, BatchesRunEveryStatementInOrder) {
    const auto sink = ok(sa_, u"insert into t_sys_system (sys_var_id) values ('a');"
                              u"insert into t_sys_system (sys_var_id) values ('b')\n"
                              u"select count(*) from t_sys_system");
    ASSERT_EQ(sink.dones.size(), 3u);
    EXPECT_EQ(sink.dones[0].row_count, 1u);
    EXPECT_EQ(sink.dones[1].command, Command::insert);
    EXPECT_EQ(sink.results.at(0).rows.at(0).at(0), Value(5));
    // A statement that fails does not stop the ones after it.
    const auto mixed = run(sa_, u"use nosuch\nselect count(*) from t_sys_system");
    ASSERT_EQ(mixed.dones.size(), 2u);
    EXPECT_TRUE(mixed.dones[0].failed);
    EXPECT_FALSE(mixed.dones[1].failed);
}

}  // namespace
}  // namespace emulator::testing
