// Logins kept as SQL Server keeps them (SIDs, password hashes, a disabled
// state, sysadmin membership) and database users that map to them by SID.
#include "engine_fixture.h"
#include "password_hash.h"
#include "text.h"

namespace emulator::testing {
namespace {

Binary hex(std::u16string_view digits) { return *parse_hex_digits(digits.substr(2)); }

// Published hashes of "password" in SQL Server 2000's and 2005's forms
// (passlib's mssql2000 and mssql2005 examples), and one of "Till#2026" in the
// form of 2012 and later, computed with Python's hashlib.
constexpr std::u16string_view hash_2000 =
    u"0x0100200420C4988140FD3920894C3EDC188E94F428D57DAD5905F6CC1CBAF950CAD4C63F272B2C91E4DEEB5E6444";
constexpr std::u16string_view hash_2005 = u"0x01006ACDF9FF5D2E211B392EEF1175EFFE13B3A368CE2F94038B";
constexpr std::u16string_view hash_2012 =
    u"0x02000A1B2C3D80C316333F381AE37698A2F0ACA98D9C91BD164CDA5213A64C4B9FBCB664140A4EFD7951A1AF3563FB83FE142ABABA2C9FC"
    u"89D9D5791E2E1DBF8BDDF3B7E9FE7";

TEST(PasswordHashTest, EachReleaseMakesAndReadsItsOwnForm) {
    const struct {
        ServerVersion server;
        std::u16string_view published;
        const char16_t* password;
        uint8_t salt[4];
    } forms[] = {
        {{8, 0, 2039}, hash_2000, u"password", {0x20, 0x04, 0x20, 0xC4}},
        {{10, 50, 1600}, hash_2005, u"password", {0x6A, 0xCD, 0xF9, 0xFF}},
        {{15, 0, 2000}, hash_2012, u"Till#2026", {0x0A, 0x1B, 0x2C, 0x3D}},
    };
    for (const auto& form : forms) {
        SCOPED_TRACE(utf8(std::u16string(form.published.substr(0, 6))));
        EXPECT_EQ(hash_password_with_salt(form.password, form.salt, form.server), hex(form.published));
        EXPECT_TRUE(password_matches(form.password, hex(form.published), form.server));
        EXPECT_FALSE(password_matches(u"letmein", hex(form.published), form.server));
        EXPECT_EQ(hash_password(form.password, form.server).size(), hex(form.published).size());
    }
    // SQL Server 2000 ignored the case of passwords; its successors do not,
    // even with a hash 2000 made.
    EXPECT_TRUE(password_matches(u"PASSWORD", hex(hash_2000), {8, 0, 2039}));
    EXPECT_FALSE(password_matches(u"PASSWORD", hex(hash_2000), {9, 0, 5000}));
    EXPECT_TRUE(password_matches(u"password", hex(hash_2000), {9, 0, 5000}));
    // HASHED takes the SHA-512 form from 2012 on; SQL Server 7's 16 bytes never.
    EXPECT_FALSE(is_acceptable_hash(hex(hash_2012), {10, 50, 6000}));
    EXPECT_TRUE(is_acceptable_hash(hex(hash_2012), {11, 0, 2100}));
    EXPECT_TRUE(is_acceptable_hash(hex(hash_2005), {16, 0, 1000}));
    EXPECT_FALSE(is_acceptable_hash(hex(u"0x2131214A212F26285628293328374839"), {15, 0, 2000}));
}

class PrincipalsTest : public EngineTest {
protected:
    PrincipalsTest() {
        sa_ = login_sa();
        ok(sa_, u"CREATE DATABASE mirvox");
        ok(sa_, u"CREATE LOGIN clerk WITH PASSWORD = N'Till#2026', DEFAULT_DATABASE = mirvox, CHECK_POLICY = OFF");
        ok(sa_, u"USE mirvox; CREATE USER clerk FOR LOGIN clerk; USE master");
    }

    // The numbers of the errors that refuse the login; empty when it is
    // accepted (the session is closed again).
    std::vector<int32_t> refusal(const std::u16string& user, const std::u16string& password,
                                 const std::u16string& database = {}) {
        const auto result = engine_->login({user, password, database, false});
        if (const auto* accepted = std::get_if<LoginAccepted>(&result)) {
            engine_->close_session(accepted->spid);
            return {};
        }
        std::vector<int32_t> numbers;
        for (const auto& error : std::get<LoginRefused>(result).errors) numbers.push_back(error.number);
        return numbers;
    }

    std::vector<Value> row(int spid, const std::u16string& sql) { return ok(spid, sql).results.at(0).rows.at(0); }

    int sa_ = 0;
};

TEST_F(PrincipalsTest, SidAndHashPutALoginBackSoItsUserMapsAgain) {
    const auto logins = ok(sa_, u"select * from sys.sql_logins where name = 'clerk'").results.at(0);
    std::vector<std::u16string> names;
    for (const auto& column : logins.columns) names.push_back(column.name);
    EXPECT_EQ(names, (std::vector<std::u16string>{u"name", u"principal_id", u"sid", u"type", u"type_desc",
                                                  u"is_disabled", u"create_date", u"modify_date",
                                                  u"default_database_name", u"default_language_name",
                                                  u"credential_id", u"is_policy_checked", u"is_expiration_checked",
                                                  u"password_hash"}));
    const auto& clerk = logins.rows.at(0);
    const Binary sid = std::get<Binary>(clerk[2]);
    const Binary hash = std::get<Binary>(clerk[13]);
    EXPECT_EQ(sid.size(), 16u);
    EXPECT_EQ(hash.size(), 70u);
    EXPECT_EQ(hash[0], 0x02);
    EXPECT_EQ(clerk[8], Value(std::u16string(u"mirvox")));
    EXPECT_EQ(clerk[11], Value(0));
    EXPECT_EQ(row(sa_, u"select d.name from mirvox.sys.database_principals d where d.sid = " + hex_text(sid))[0],
              Value(std::u16string(u"clerk")));

    const int till = login(u"clerk", u"Till#2026");
    EXPECT_EQ(row(till, u"select USER_NAME(), CURRENT_USER, SUSER_SNAME(), SUSER_SNAME(" + hex_text(sid) + u")"),
              (std::vector<Value>(4, std::u16string(u"clerk"))));
    engine_->close_session(till);

    // Dropped and made again, the login has a new SID: the user is orphaned.
    ok(sa_, u"DROP LOGIN clerk");
    ok(sa_, u"CREATE LOGIN clerk WITH PASSWORD = N'Till#2026', DEFAULT_DATABASE = mirvox, CHECK_POLICY = OFF");
    EXPECT_EQ(refusal(u"clerk", u"Till#2026"), (std::vector<int32_t>{4064, 18456}));
    EXPECT_EQ(refusal(u"clerk", u"Till#2026", u"mirvox"), (std::vector<int32_t>{4060, 18456}));
    const int orphaned = login(u"clerk", u"Till#2026", u"master");
    EXPECT_EQ(row(orphaned, u"select USER_NAME()")[0], Value(std::u16string(u"guest")));
    const auto use = run(orphaned, u"use mirvox");
    EXPECT_EQ(use.message_numbers(), std::vector<int32_t>{916});
    EXPECT_EQ(use.error_text(), u"The server principal \"clerk\" is not able to access the database \"mirvox\" under "
                                u"the current security context.");
    EXPECT_EQ(use.messages.at(0).severity, 14);
    engine_->close_session(orphaned);

    // Made with the old SID and hash, it is the login the user knew, with its password.
    ok(sa_, u"DROP LOGIN clerk");
    ok(sa_, u"CREATE LOGIN clerk WITH PASSWORD = " + hex_text(hash) + u" HASHED, SID = " + hex_text(sid) +
                u", DEFAULT_DATABASE = mirvox, CHECK_POLICY = OFF");
    EXPECT_TRUE(refusal(u"clerk", u"Till#2026").empty());
    EXPECT_EQ(row(sa_, u"select password_hash from sys.sql_logins where name = 'clerk'")[0], Value(hash));
    const auto taken = run(sa_, u"CREATE LOGIN other WITH PASSWORD = N'x', SID = " + hex_text(sid));
    EXPECT_EQ(taken.message_numbers(), std::vector<int32_t>{15433});
    EXPECT_EQ(taken.error_text(), u"Supplied parameter sid is in use.");
}

// A Windows login lives for one run; its user must map to it again the next.
TEST_F(PrincipalsTest, AWindowsLoginHasTheSameSidOnEveryRun) {
    EngineOptions windows = options();
    windows.instance.windows_logins = {u"STORE01\\Administrator"};
    start(windows);
    sa_ = login_sa();
    ok(sa_, u"USE mirvox; CREATE USER [STORE01\\Administrator] FOR LOGIN [STORE01\\Administrator]; USE master");
    const auto principal =
        row(sa_, u"select type, type_desc, sid from sys.server_principals where name = 'store01\\administrator'");
    EXPECT_EQ(principal[0], Value(std::u16string(u"U")));
    EXPECT_EQ(principal[1], Value(std::u16string(u"WINDOWS_LOGIN")));
    const Binary sid = std::get<Binary>(principal[2]);
    // S-1-5-21-...: revision 1, five sub-authorities, NT AUTHORITY, 21.
    EXPECT_EQ(Binary(sid.begin(), sid.begin() + 12), hex(u"0x010500000000000515000000"));
    EXPECT_EQ(sid.size(), 28u);
    EXPECT_EQ(scalar(sa_, u"select count(*) from sys.sql_logins where name = 'STORE01\\Administrator'"), Value(0));
    EXPECT_EQ(row(sa_, u"select isntname, isntuser, password from syslogins where name = 'STORE01\\Administrator'"),
              (std::vector<Value>{1, 1, std::monostate{}}));

    start(windows);
    sa_ = login_sa();
    EXPECT_EQ(scalar(sa_, u"select sid from sys.server_principals where name = 'STORE01\\Administrator'"), Value(sid));
    EXPECT_EQ(scalar(sa_, u"select sid from mirvox.sys.database_principals where name = 'STORE01\\Administrator'"),
              Value(sid));
}

TEST_F(PrincipalsTest, ADisabledLoginHearsWhyAndOnlyWithTheRightPassword) {
    ok(sa_, u"ALTER LOGIN clerk DISABLE");
    const auto result = engine_->login({u"clerk", u"Till#2026", {}, false});
    const auto& errors = std::get<LoginRefused>(result).errors;
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].number, 18470);
    EXPECT_EQ(errors[0].severity, 14);
    EXPECT_EQ(errors[0].text, u"Login failed for user 'clerk'. Reason: The account is disabled.");
    EXPECT_EQ(refusal(u"clerk", u"wrong"), std::vector<int32_t>{18456});
    EXPECT_EQ(row(sa_, u"select is_disabled from sys.server_principals where name = 'clerk'")[0], Value(1));

    ok(sa_, u"ALTER LOGIN clerk ENABLE");
    ok(sa_, u"ALTER LOGIN clerk WITH PASSWORD = N'Drawer#9', DEFAULT_DATABASE = master");
    EXPECT_TRUE(refusal(u"clerk", u"Drawer#9").empty());
    EXPECT_EQ(refusal(u"clerk", u"Till#2026"), std::vector<int32_t>{18456});
    EXPECT_EQ(row(sa_, u"select dbname from syslogins where name = 'clerk'")[0], Value(std::u16string(u"master")));
    const auto ghost = run(sa_, u"ALTER LOGIN ghost DISABLE");
    EXPECT_EQ(ghost.error_text(), u"Cannot alter the login 'ghost', because it does not exist or you do not have "
                                  u"permission.");
}

TEST_F(PrincipalsTest, SysadminMembershipComesAndGoes) {
    // A sysadmin enters any database as dbo; without the role a login needs its user.
    ok(sa_, u"CREATE LOGIN boss WITH PASSWORD = N'Boss#2026', CHECK_POLICY = OFF");
    EXPECT_EQ(refusal(u"boss", u"Boss#2026", u"mirvox"), (std::vector<int32_t>{4060, 18456}));
    for (const std::u16string add : {u"sp_addsrvrolemember 'boss', 'sysadmin'", u"ALTER SERVER ROLE sysadmin ADD MEMBER boss"}) {
        SCOPED_TRACE(utf8(add));
        ok(sa_, add);
        const int boss = login(u"boss", u"Boss#2026", u"mirvox");
        EXPECT_EQ(row(boss, u"select USER_NAME()")[0], Value(std::u16string(u"dbo")));
        engine_->close_session(boss);
        EXPECT_EQ(ok(sa_, u"select m.role_principal_id from sys.server_role_members m, sys.server_principals p "
                          u"where m.member_principal_id = p.principal_id and p.name = 'boss'")
                      .results.at(0)
                      .rows,
                  (std::vector<std::vector<Value>>{{3}}));
        ok(sa_, add.starts_with(u"sp_") ? u"sp_dropsrvrolemember 'boss', 'sysadmin'"
                                        : u"ALTER SERVER ROLE sysadmin DROP MEMBER boss");
        EXPECT_EQ(refusal(u"boss", u"Boss#2026", u"mirvox"), (std::vector<int32_t>{4060, 18456}));
    }
    EXPECT_EQ(row(sa_, u"select name, is_fixed_role, owning_principal_id from sys.server_principals where "
                       u"principal_id = 3"),
              (std::vector<Value>{std::u16string(u"sysadmin"), 1, 1}));
    const auto sa_out = run(sa_, u"sp_dropsrvrolemember 'sa', 'sysadmin'");
    EXPECT_EQ(sa_out.message_numbers(), std::vector<int32_t>{15405});
    EXPECT_EQ(sa_out.messages.at(0).procedure, u"sp_dropsrvrolemember");
    EXPECT_EQ(run(sa_, u"ALTER SERVER ROLE sysadmin ADD MEMBER ghost").error_text(),
              u"Cannot add the principal 'ghost', because it does not exist or you do not have permission.");
}

TEST_F(PrincipalsTest, UsersAreRefusedAsSqlServerRefusesThem) {
    ok(sa_, u"CREATE LOGIN boss WITH PASSWORD = N'Boss#2026', CHECK_POLICY = OFF");
    ok(sa_, u"sp_addsrvrolemember 'boss', 'sysadmin'");
    const int boss = login(u"boss", u"Boss#2026");
    ok(boss, u"CREATE DATABASE shop");  // boss owns it: dbo maps to boss
    ok(boss, u"use shop");
    const struct {
        int spid;
        std::u16string sql;
        int32_t number;
        std::u16string text;
    } cases[] = {
        {boss, u"CREATE USER dbo FOR LOGIN clerk", 15023,
         u"User, group, or role 'dbo' already exists in the current database."},
        {boss, u"CREATE USER nobody", 15007, u"'nobody' is not a valid login or you do not have permission."},
        {boss, u"CREATE USER chief FOR LOGIN boss", 15063, u"The login already has an account under a different user name."},
        {boss, u"DROP USER ghost", 15151, u"Cannot drop the user 'ghost', because it does not exist or you do not have permission."},
        {boss, u"DROP USER dbo", 15150, u"Cannot drop the user 'dbo'."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(utf8(c.sql));
        const auto sink = run(c.spid, c.sql);
        EXPECT_EQ(sink.message_numbers(), std::vector<int32_t>{c.number});
        EXPECT_EQ(sink.error_text(), c.text);
    }
    ok(boss, u"CREATE USER till FOR LOGIN clerk WITH DEFAULT_SCHEMA = sales");
    EXPECT_EQ(run(boss, u"CREATE USER again FOR LOGIN clerk").message_numbers(), std::vector<int32_t>{15063});
    const auto principals = ok(boss, u"select name, principal_id, type, default_schema_name, authentication_type_desc "
                                     u"from sys.database_principals")
                                .results.at(0)
                                .rows;
    const auto text = [](const char16_t* value) { return Value(std::u16string(value)); };
    EXPECT_EQ(principals, (std::vector<std::vector<Value>>{
                              {text(u"dbo"), 1, text(u"S"), text(u"dbo"), text(u"INSTANCE")},
                              {text(u"guest"), 2, text(u"S"), text(u"guest"), text(u"NONE")},
                              {text(u"INFORMATION_SCHEMA"), 3, text(u"S"), std::monostate{}, text(u"NONE")},
                              {text(u"sys"), 4, text(u"S"), std::monostate{}, text(u"NONE")},
                              {text(u"till"), 5, text(u"S"), text(u"sales"), text(u"INSTANCE")}}));
    EXPECT_EQ(row(boss, u"select owner_sid from sys.databases where name = 'shop'")[0],
              row(boss, u"select sid from sys.server_principals where name = 'boss'")[0]);
    ok(boss, u"DROP USER till");
    EXPECT_TRUE(ok(boss, u"select name from shop.sys.database_principals where name = 'till'").results.at(0).rows.empty());
    engine_->close_session(boss);
    EXPECT_EQ(run(sa_, u"DROP LOGIN boss").error_text(),
              u"Login 'boss' owns one or more database(s). Change the owner of the database(s) before dropping the login.");
}

}  // namespace
}  // namespace emulator::testing
