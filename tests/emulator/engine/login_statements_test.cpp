// CREATE LOGIN, and Windows' password policy on it and on sp_addlogin when
// the server enforces the policy.
#include "engine_fixture.h"

namespace emulator::testing {
namespace {

class LoginStatementsTest : public EngineTest {
protected:
    LoginStatementsTest() {
        sa_ = login_sa();
        ok(sa_, u"CREATE DATABASE mirvox");
    }

    void enforce_policy() {
        auto engine_options = options();
        engine_options.password_policy = true;
        start(engine_options);
        sa_ = login_sa();
    }

    // Into master, which every login enters as guest.
    bool can_log_in(const std::u16string& user, const std::u16string& password) {
        const auto result = engine_->login({user, password, u"master", false});
        if (const auto* accepted = std::get_if<LoginAccepted>(&result)) {
            engine_->close_session(accepted->spid);
            return true;
        }
        return false;
    }

    int sa_ = 0;
};

TEST_F(LoginStatementsTest, TheInstallersLoginIsCreatedInItsDatabaseAndIsNoSysadmin) {
    enforce_policy();  // CHECK_POLICY = OFF lets its password through all the same
    ok(sa_, u"CREATE LOGIN [mirvox] WITH PASSWORD = N'rovtakl', DEFAULT_DATABASE = [mirvox], CHECK_POLICY = OFF");
    ok(sa_, u"use mirvox");
    ok(sa_, u"CREATE USER mirvox FOR LOGIN mirvox");
    const auto accepted = engine_->login({u"mirvox", u"rovtakl", {}, true});
    ASSERT_TRUE(std::holds_alternative<LoginAccepted>(accepted));
    const int mirvox = std::get<LoginAccepted>(accepted).spid;
    EXPECT_EQ(std::get<LoginAccepted>(accepted).database, u"mirvox");
    EXPECT_EQ(scalar(mirvox, u"SELECT IS_SRVROLEMEMBER('sysadmin')"), Value(0));
    const auto row = ok(sa_, u"select name, dbname, sysadmin from master.dbo.syslogins where name =N'mirvox'");
    EXPECT_EQ(row.results.at(0).rows, (std::vector<std::vector<Value>>{
                                          {std::u16string(u"mirvox"), std::u16string(u"mirvox"), 0}}));
    EXPECT_FALSE(can_log_in(u"mirvox", u"ROVTAKL"));  // passwords are case-sensitive

    ok(sa_, u"CREATE LOGIN clerk WITH PASSWORD = 'Counter#2026', DEFAULT_DATABASE = master, DEFAULT_LANGUAGE = "
            u"us_english, CHECK_EXPIRATION = ON, CHECK_POLICY = ON");
    EXPECT_TRUE(can_log_in(u"clerk", u"Counter#2026"));
    ok(sa_, u"CREATE LOGIN [till] WITH PASSWORD = N'Drawer#2026'");
    EXPECT_EQ(scalar(sa_, u"select dbname from syslogins where name = 'till'"), Value(std::u16string(u"master")));
}

TEST_F(LoginStatementsTest, RefusalsCreateNoLogin) {
    ok(sa_, u"CREATE LOGIN [mirvox] WITH PASSWORD = N'rovtakl', DEFAULT_DATABASE = [mirvox], CHECK_POLICY = OFF");
    const struct {
        std::u16string sql;
        int32_t number;
        std::u16string text;
    } cases[] = {
        {u"CREATE LOGIN [mirvox] WITH PASSWORD = N'other', CHECK_POLICY = OFF", 15025,
         u"The server principal 'mirvox' already exists."},
        {u"CREATE LOGIN MIRVOX WITH PASSWORD = N'other'", 15025, u"The server principal 'MIRVOX' already exists."},
        {u"CREATE LOGIN late WITH PASSWORD = N'x', CHECK_EXPIRATION = ON, CHECK_POLICY = OFF", 15122,
         u"The CHECK_EXPIRATION option cannot be used when CHECK_POLICY is OFF."},
        {u"CREATE LOGIN lost WITH PASSWORD = N'x', DEFAULT_DATABASE = [nosuch]", 15010,
         u"The database 'nosuch' does not exist. Supply a valid database name. To see available databases, use "
         u"sys.databases."},
        {u"CREATE LOGIN odd WITH PASSWORD = 0x0100 HASHED", 15021,
         u"Invalid value given for parameter PASSWORD. Specify a valid parameter value."},
        {u"CREATE LOGIN odd WITH PASSWORD = N'x', SID = 0x01", 15419, u"Supplied parameter sid should be binary(16)."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(utf8(c.sql));
        const auto sink = run(sa_, c.sql);
        ASSERT_EQ(sink.messages.size(), 1u);
        EXPECT_EQ(sink.messages[0].number, c.number);
        EXPECT_EQ(sink.messages[0].severity, 16);
        EXPECT_EQ(sink.messages[0].text, c.text);
        EXPECT_TRUE(sink.messages[0].procedure.empty());
    }
    EXPECT_TRUE(can_log_in(u"mirvox", u"rovtakl"));
    EXPECT_FALSE(can_log_in(u"late", u"x"));
    EXPECT_FALSE(can_log_in(u"lost", u"x"));

    for (const std::u16string sql : {u"CREATE LOGIN a WITH PASSWORD = N'x' MUST_CHANGE, CHECK_EXPIRATION = ON",
                                     u"CREATE LOGIN a WITH PASSWORD = N'x', CREDENTIAL = backup_credential",
                                     u"CREATE LOGIN [SHOP\\clerk] FROM WINDOWS",
                                     u"CREATE LOGIN [SHOP\\clerk] WITH PASSWORD = N'x'",
                                     u"CREATE LOGIN a WITH PASSWORD = N'x', DEFAULT_LANGUAGE = Deutsch"}) {
        SCOPED_TRACE(utf8(sql));
        const auto sink = run(sa_, sql);
        ASSERT_EQ(sink.messages.size(), 1u);
        EXPECT_EQ(sink.messages[0].text, u"The SQL Server emulator does not support the statement '" + sql + u"'.");
    }
    EXPECT_EQ(scalar(sa_, u"select count(*) from syslogins"), Value(2));
}

TEST_F(LoginStatementsTest, ThePolicyJudgesPasswordsAsWindowsDoes) {
    enforce_policy();
    const struct {
        std::u16string login;
        std::u16string password;
        std::optional<int32_t> refused_with;
    } cases[] = {
        {u"mirvox", u"rovtakl", 15118},      // lower case only
        {u"mirvox", u"Rov#1", 15116},        // three kinds, but five characters
        {u"mirvox", u"", 15116},
        {u"mirvox", u"Rovtak1", std::nullopt},   // seven characters, three kinds
        {u"mirvox", u"rovtakl#1", std::nullopt},  // lower case, digit, symbol
        {u"mirvox", u"ROVTAKL#", 15118},     // upper case and symbol only
        {u"mirvox", u"MIRVOX#2026", 15118},  // holds the login's name, whatever its case
        {u"pos", u"Pos-Till-1", 15118},
        {u"ab", u"ab#Cdef1", std::nullopt},  // a name under three characters is not looked for
        {u"mirvox", u"零售店Abcd", std::nullopt},  // letters without case count as a kind
        {u"mirvox", u"零售店Abc", 15116},          // but six characters are too few
        {u"mirvox", u"École-école", std::nullopt},  // accented letters have a case
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(utf8(c.login + u" / " + c.password));
        for (const bool procedure : {false, true}) {
            const std::u16string sql = procedure ? u"sp_addlogin N'" + c.login + u"', N'" + c.password + u"'"
                                                 : u"CREATE LOGIN [" + c.login + u"] WITH PASSWORD = N'" + c.password + u"'";
            const auto sink = run(sa_, sql);
            if (!c.refused_with) {
                EXPECT_FALSE(sink.any_failed()) << utf8(sink.error_text());
                EXPECT_TRUE(can_log_in(c.login, c.password));
                ok(sa_, u"sp_droplogin N'" + c.login + u"'");
                continue;
            }
            ASSERT_EQ(sink.messages.size(), 1u);
            EXPECT_EQ(sink.messages[0].number, *c.refused_with);
            EXPECT_EQ(sink.messages[0].procedure, procedure ? u"sp_addlogin" : u"");
            EXPECT_EQ(sink.messages[0].text,
                      *c.refused_with == 15116
                          ? u"Password validation failed. The password does not meet Windows policy requirements "
                            u"because it is too short."
                          : u"Password validation failed. The password does not meet Windows policy requirements "
                            u"because it is not complex enough.");
            EXPECT_FALSE(can_log_in(c.login, c.password));
        }
    }
}

TEST_F(LoginStatementsTest, WithoutThePolicyAnyPasswordIsTaken) {
    ok(sa_, u"dbo.sp_addlogin 'mirvox','rovtakl',mirvox");
    ok(sa_, u"CREATE LOGIN short WITH PASSWORD = N'a'");
    EXPECT_TRUE(can_log_in(u"mirvox", u"rovtakl"));
    EXPECT_TRUE(can_log_in(u"short", u"a"));
}

}  // namespace
}  // namespace emulator::testing
