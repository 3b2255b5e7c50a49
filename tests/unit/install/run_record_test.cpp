// The run's record on disk: what a dropped login needs to come back exactly
// survives the text, and a record whose login fields could change a
// statement is refused.
#include "install/recovery/run_record.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>

namespace {

using namespace install;

RunRecord record_with_login(const LoginRecord& login)
{
    RunRecord record{L"SHOP01", L"mirvox", {15, 0, 2000}, {}, {}};
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

}  // namespace
