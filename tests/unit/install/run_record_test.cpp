// The run's record on disk: everything a later start needs (a dropped
// login's every detail among it) comes back as it was written, names that
// hold the record's own separators included; a text that is not a whole
// record, or whose login fields could change a statement, is refused.
#include "install/recovery/run_record.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>

namespace {

using namespace install;

RunRecord record_with_login(const LoginRecord& login)
{
    RunRecord record{L"SHOP01", L"mirvox", {15, 0, 2000}, {}, {}, L"C:\\zq.tmp", true};
    record.changes.old_database_drop_sent = true;
    record.changes.dropped_logins = {login};
    return record;
}

TEST(RunRecord, ADroppedLoginComesBackWhole)
{
    const LoginRecord login{L"mir\tvox", L"门店", L"简体中文", L"0A1B", L"0200FF", {L"sysadmin", L"dbcreator"},
                            true, true, true};
    const std::optional<RunRecord> read = parse_record(record_text(record_with_login(login)));
    ASSERT_TRUE(read);
    ASSERT_EQ(read->changes.dropped_logins.size(), 1u);
    EXPECT_EQ(read->changes.dropped_logins.front(), login);
}

TEST(RunRecord, LoginFieldsThatWouldChangeAStatementAreRefused)
{
    const LoginRecord good{L"mirvox", L"mirvox", L"us_english", L"0A1B", L"0200FF", {}, false, false, false};
    EXPECT_TRUE(parse_record(record_text(record_with_login(good))));
    const std::pair<const char*, std::function<void(LoginRecord&)>> changes[] = {
        {"SID", [](LoginRecord& login) { login.sid = L"0A, SID = 0x00"; }},
        {"no hash", [](LoginRecord& login) { login.password_hash.clear(); }},
        {"role", [](LoginRecord& login) { login.server_roles = {L"sysadmin; DROP DATABASE mirvox"}; }},
    };
    for (const auto& [what, change] : changes) {
        LoginRecord bad = good;
        change(bad);
        EXPECT_FALSE(parse_record(record_text(record_with_login(bad)))) << what;
    }
}

RunRecord interrupted_after_the_drop()
{
    RunRecord record;
    record.server = L"STORE01\\SQLEXPRESS";
    record.database = L"mirvox\ttab";
    record.server_version = {15, 0, 2000};
    record.old_database_files = {{L"mirvox_Data", L"D:\\数据\\mirvox_Data.MDF", 10485760, false},
                                 {L"mirvox_Log", L"D:\\数据\\line\nbreak\\mirvox_Log.LDF", 1048576, true}};
    record.changes.old_access_mode = L"MULTI_USER";
    record.changes.safety_backup = L"D:\\数据\\mirvox_20261207101500.bak";
    record.changes.old_database_drop_sent = true;
    record.changes.dropped_logins = {
        {L"mirvox", L"mirvox", L"us_english", L"0A1B", L"0200FF", {}, false, false, false},
        {L"back\\slash\r", L"master", L"简体中文", L"0C", L"0200AA", {L"sysadmin"}, true, false, false}};
    record.changes.database_create_sent = true;
    record.restore_source = L"E:\\模板\\mirvox.dat";
    return record;
}

TEST(RunRecord, ComesBackAsItWasWritten)
{
    const RunRecord written = interrupted_after_the_drop();
    const std::optional<RunRecord> read = install::parse_record(install::record_text(written));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->server, written.server);
    EXPECT_EQ(read->database, written.database);
    EXPECT_EQ(read->server_version.major, 15);
    ASSERT_EQ(read->old_database_files.size(), 2u);
    EXPECT_EQ(read->old_database_files[1].physical_name, written.old_database_files[1].physical_name);
    EXPECT_EQ(read->old_database_files[0].size_bytes, 10485760);
    EXPECT_TRUE(read->old_database_files[1].log);
    EXPECT_EQ(read->changes.old_access_mode, written.changes.old_access_mode);
    EXPECT_EQ(read->changes.safety_backup, written.changes.safety_backup);
    EXPECT_TRUE(read->changes.old_database_drop_sent);
    ASSERT_EQ(read->changes.dropped_logins.size(), 2u);
    EXPECT_EQ(read->changes.dropped_logins, written.changes.dropped_logins);
    EXPECT_TRUE(read->changes.database_create_sent);
    EXPECT_FALSE(read->changes.login_create_sent);
    EXPECT_EQ(read->restore_source, written.restore_source);
    EXPECT_FALSE(read->template_staged);
    EXPECT_EQ(install::record_text(*read), install::record_text(written));
}

TEST(RunRecord, TextThatIsNotAWholeRecordIsRefused)
{
    const std::string whole = install::record_text(interrupted_after_the_drop());
    const std::string server_line = "server\tSTORE01\\\\SQLEXPRESS\n";
    ASSERT_NE(whole.find(server_line), std::string::npos) << whole;
    std::string without_server = whole;
    without_server.erase(without_server.find(server_line), server_line.size());
    for (const std::string& text : {std::string(), std::string("korvena-run-record 1\n") + whole.substr(whole.find('\n') + 1),
                                    without_server, whole + "dropped_login\tmirvox\n", whole + "what\t1\n",
                                    whole.substr(0, whole.find("server_version")) + "server_version\tfifteen\n"})
        EXPECT_FALSE(install::parse_record(text)) << text;
}

}  // namespace
