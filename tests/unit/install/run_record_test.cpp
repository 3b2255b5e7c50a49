// The run record's text: everything a later start needs comes back as it was
// written, names that hold the record's own separators included, and a text
// that is not a whole record is not taken for one.
#include "install/recovery/run_record.h"

#include <gtest/gtest.h>

namespace {

using install::RunRecord;

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
    record.changes.dropped_logins = {{L"mirvox", L"mirvox", false}, {L"back\\slash\r", L"master", true}};
    record.changes.database_create_sent = true;
    return record;
}

TEST(RunRecordTest, ComesBackAsItWasWritten)
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
    EXPECT_EQ(read->changes.dropped_logins[1].name, L"back\\slash\r");
    EXPECT_TRUE(read->changes.dropped_logins[1].sysadmin);
    EXPECT_FALSE(read->changes.dropped_logins[0].sysadmin);
    EXPECT_TRUE(read->changes.database_create_sent);
    EXPECT_FALSE(read->changes.login_create_sent);
    EXPECT_EQ(install::record_text(*read), install::record_text(written));
}

TEST(RunRecordTest, TextThatIsNotAWholeRecordIsRefused)
{
    const std::string whole = install::record_text(interrupted_after_the_drop());
    const std::string server_line = "server\tSTORE01\\\\SQLEXPRESS\n";
    ASSERT_NE(whole.find(server_line), std::string::npos) << whole;
    std::string without_server = whole;
    without_server.erase(without_server.find(server_line), server_line.size());
    for (const std::string& text : {std::string(), std::string("korvena-run-record 2\n") + whole.substr(whole.find('\n') + 1),
                                    without_server, whole + "dropped_login\tmirvox\n", whole + "what\t1\n",
                                    whole.substr(0, whole.find("server_version")) + "server_version\tfifteen\n"})
        EXPECT_FALSE(install::parse_record(text)) << text;
}

}  // namespace
