// The result document (--result-json) at each way an unattended run ends,
// checked against the schema in deploy/, and the detection key a completed
// install leaves for Intune and Configuration Manager.
#include "install_test.h"
#include "result_document_reader.h"

#include <map>
#include <regex>

namespace e2e {
namespace {

constexpr char detection_key[] = "HKLM\\SOFTWARE\\Korvena\\Database";

const std::vector<std::string> all_phases = {"preconditions", "connect",  "preflight",  "old_database", "create_database",
                                             "restore",       "login",    "store_mode", "verification", "completion"};

class ResultDocumentTest : public InstallTest {
protected:
    void SetUp() override {
        InstallTest::SetUp();
        wine_.remove_registry_key(detection_key, RegistryView::bits64);
    }

    // An unattended install writing its result document; the document must
    // be valid and hold no password.
    ResultDocument install_with_result(const std::vector<std::string>& extra, int expected_status) {
        std::vector<std::string> options{"--result-json", windows_path("work/result.json")};
        options.insert(options.end(), extra.begin(), extra.end());
        std::filesystem::remove(host_path("work/result.json"));
        last_run_ = install_unattended(options);
        EXPECT_EQ(last_run_.exit_code, expected_status) << last_run_.output << last_run_.errors;
        return checked_result();
    }

    ResultDocument checked_result() {
        ResultDocument document = validated(host_path("work/result.json"));
        EXPECT_TRUE(document.valid) << document.complaints << document.text;
        for (const std::string& password : {sa_password_, std::string("rovtakl")})
            EXPECT_EQ(document.text.find(password), std::string::npos) << document.text;
        EXPECT_FALSE(std::filesystem::exists(host_path("work/result.json.partial")));
        return document;
    }

    std::map<std::string, std::string> detection_values() const {
        return wine_.registry_values(detection_key, RegistryView::bits64);
    }

    // What every document of a run against this test's server says about
    // where it installs.
    void expect_target(const ResultDocument& result, const std::string& store_mode) {
        EXPECT_EQ(result["program.version"], KORVENA_VERSION);
        EXPECT_EQ(result["computer"], this_computer());
        EXPECT_EQ(result["server.name"], server_->address());
        EXPECT_EQ(result["database"], "mirvox");
        EXPECT_EQ(result["administrator_login"], "sa");
        EXPECT_EQ(result["application_login"], "mirvox");
        EXPECT_EQ(result["store_mode"], store_mode);
        EXPECT_EQ(result["data_path"], windows_path("data"));
        EXPECT_EQ(result["data_files.data"], windows_path("data") + "\\mirvox_Data.MDF");
        EXPECT_EQ(result["data_files.log"], windows_path("data") + "\\mirvox_Log.LDF");
    }

    ProgramResult last_run_;
};

TEST_F(ResultDocumentTest, AReplacementThenAFailedReinstallRolledBackAndTheDetectionKeyKept) {
    ASSERT_NO_FATAL_FAILURE(start_server({.old_database = true}));

    const ResultDocument replaced = install_with_result({"--drop-existing", "--store-mode", "branch"}, 0);
    EXPECT_EQ(replaced["outcome"], "completed");
    EXPECT_EQ(replaced["exit_status"], "0");
    EXPECT_EQ(replaced["failure"], "null");
    expect_target(replaced, "branch");
    EXPECT_EQ(replaced["server.version"], "15.0.2000");
    EXPECT_EQ(replaced.phase_names(), all_phases);
    EXPECT_EQ(replaced["old_database"], "replaced");
    EXPECT_EQ(replaced["safety_backup"], only_safety_backup());
    EXPECT_EQ(replaced["alias_written"], "true");
    EXPECT_EQ(replaced["detection_key_written"], "true");
    EXPECT_EQ(replaced["message"], "安装新数据库成功！");
    EXPECT_LE(replaced["started_at"], replaced["ended_at"]);

    const auto key = detection_values();
    EXPECT_EQ(key.size(), 5u);
    EXPECT_EQ(key.count("InstalledVersion") ? key.at("InstalledVersion") : "", KORVENA_VERSION);
    EXPECT_EQ(key.count("Database") ? key.at("Database") : "", "mirvox");
    EXPECT_EQ(key.count("Server") ? key.at("Server") : "", server_->address());
    EXPECT_EQ(key.count("StoreMode") ? key.at("StoreMode") : "", "branch");
    EXPECT_TRUE(std::regex_match(key.count("InstalledAt") ? key.at("InstalledAt") : "",
                                 std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d)")));

    // The reinstall's restore is refused: the database installed above comes
    // back from its own safety backup, and the key still describes it.
    ASSERT_NO_FATAL_FAILURE(restart_server({.faults = {"fail:mirvox.dat' WITH:3241"}}));
    const ResultDocument failed = install_with_result({"--drop-existing", "--store-mode", "headquarters"}, 1);
    EXPECT_EQ(failed["outcome"], "failed");
    expect_target(failed, "headquarters");
    EXPECT_EQ(failed["failure.phase"], "restore");
    EXPECT_EQ(failed["failure.error_number"], "3241");
    const std::string error_text = failed["failure.error_text"];
    EXPECT_FALSE(error_text.empty());
    EXPECT_NE(last_run_.output.find("安装失败:" + error_text + "\n"), std::string::npos) << last_run_.output;
    const std::vector<std::string> until_restore(all_phases.begin(), all_phases.begin() + 6);
    std::vector<std::string> with_rollback = until_restore;
    with_rollback.push_back("rollback");
    EXPECT_EQ(failed.phase_names(), with_rollback);
    EXPECT_EQ(failed["old_database"], "restored");
    EXPECT_NE(failed["safety_backup"], "null");
    EXPECT_NE(failed["safety_backup"], replaced["safety_backup"]);
    EXPECT_EQ(failed["alias_written"], "false");
    EXPECT_EQ(failed["detection_key_written"], "false");
    EXPECT_EQ(detection_values(), key);
}

// The server listens on one address only (TCP/IP's "Listen All" off), not on
// 127.0.0.1 where the client alias sends the tills: everything the installer
// did succeeded, and still the store could not work.
TEST_F(ResultDocumentTest, AnInstallTheTillsCannotReachIsNoSuccessAndWritesNoKey) {
    ASSERT_NO_FATAL_FAILURE(start_server({.old_database = true, .host = "127.0.0.2"}));

    const ResultDocument result = install_with_result({"--drop-existing"}, 10);
    EXPECT_EQ(result["outcome"], "unverified");
    EXPECT_EQ(result["failure.phase"], "verification");
    EXPECT_FALSE(result["failure.error_text"].empty());
    EXPECT_NE(last_run_.output.find("收银程序不能登录"), std::string::npos) << last_run_.output;
    EXPECT_EQ(result.phase_names(), std::vector<std::string>(all_phases.begin(), all_phases.end() - 1));
    EXPECT_EQ(result["alias_written"], "true");
    EXPECT_EQ(result["detection_key_written"], "false");
    EXPECT_TRUE(detection_values().empty());
    // The new database stays, and the old one's backup is named.
    EXPECT_EQ(result["old_database"], "replaced");
    const std::string backup = only_safety_backup();
    EXPECT_EQ(result["safety_backup"], backup);
    EXPECT_NE(last_run_.output.find(backup), std::string::npos) << last_run_.output;
    EXPECT_EQ(rows("select count(*) from mirvox.dbo.t_sys_system"), (std::vector<Row>{{"2"}}));
}

// The server dropped the old database and the answer was lost on the way
// (the connection closed): the drop counts as done, and the database comes back.
TEST_F(ResultDocumentTest, ADropWhoseAnswerWasLostCountsAsDoneAndTheOldDatabaseIsRestored) {
    ASSERT_NO_FATAL_FAILURE(start_server({.old_database = true, .faults = {"drop-after:Drop DATABASE mirvox"}}));

    const ResultDocument result = install_with_result({"--drop-existing"}, 1);
    EXPECT_EQ(result["outcome"], "failed");
    EXPECT_EQ(result["failure.phase"], "old_database");
    EXPECT_EQ(result["old_database"], "restored");
    EXPECT_EQ(result["safety_backup"], only_safety_backup());
    expect_old_installation_kept();
}

TEST_F(ResultDocumentTest, ARefusalAndADeclinedReplacementKeepTheOldDatabaseAndWriteNoKey) {
    ASSERT_NO_FATAL_FAILURE(start_server({.old_database = true, .arguments = {"--machine-name", "STORE-SRV"}}));

    const ResultDocument refused = install_with_result({"--drop-existing"}, 8);
    EXPECT_EQ(refused["outcome"], "refused");
    expect_target(refused, "single");
    EXPECT_EQ(refused["failure.phase"], "preflight");
    EXPECT_EQ(refused["failure.error_number"], "null");
    // The server is another computer's: the run stopped before it looked for the old database.
    EXPECT_EQ(refused["old_database"], "unknown");
    EXPECT_EQ(refused["safety_backup"], "null");
    EXPECT_NE(refused["message"].find("STORE-SRV"), std::string::npos) << refused.text;
    EXPECT_EQ(refused.phase_names(), std::vector<std::string>(all_phases.begin(), all_phases.begin() + 3));

    ASSERT_NO_FATAL_FAILURE(restart_server({}));
    const ResultDocument declined = install_with_result({}, 5);
    EXPECT_EQ(declined["outcome"], "declined");
    EXPECT_EQ(declined["failure.phase"], "old_database");
    EXPECT_EQ(declined["failure.error_number"], "null");
    EXPECT_EQ(declined["failure.error_text"], "null");
    EXPECT_EQ(declined["old_database"], "kept");
    EXPECT_EQ(declined["safety_backup"], "null");

    expect_old_installation_kept();
    EXPECT_TRUE(detection_values().empty());
}

TEST_F(ResultDocumentTest, AFailedConnectionCarriesTheServersNumberAndNotThePasswordTried) {
    ASSERT_NO_FATAL_FAILURE(start_server());
    const std::string wrong_password = "Wr0ng-Passw0rd";
    std::filesystem::remove(host_path("work/result.json"));
    const ProgramResult run = run_command_line(
        {"--unattended", "--server", server_->address(), "--data-path", windows_path("data"), "--template",
         windows_path("template/mirvox.dat"), "--result-json", windows_path("work/result.json")},
        wrong_password);
    EXPECT_EQ(run.exit_code, 12) << run.output << run.errors;

    const ResultDocument result = checked_result();
    EXPECT_EQ(result.text.find(wrong_password), std::string::npos) << result.text;
    EXPECT_EQ(result["outcome"], "login_refused");
    EXPECT_EQ(result["failure.phase"], "connect");
    EXPECT_EQ(result["failure.error_number"], "18456");
    EXPECT_NE(result["failure.error_text"].find("Login failed for user 'sa'."), std::string::npos) << result.text;
    EXPECT_EQ(result["server.version"], "null");
    EXPECT_EQ(result["old_database"], "unknown");
}

TEST_F(ResultDocumentTest, AUsageErrorIsReportedWhereverTheResultFileIsNamed) {
    std::filesystem::remove(host_path("work/result.json"));
    const ProgramResult run = run_command_line(
        {"--unattended", "--result-json", windows_path("work/result.json"), "--store-mode", "outlet"}, sa_password_);
    EXPECT_EQ(run.exit_code, 2);
    const ResultDocument result = checked_result();
    EXPECT_EQ(result["outcome"], "usage_error");
    EXPECT_EQ(result["failure.phase"], "command_line");
    EXPECT_EQ(result["failure.error_text"], "unknown store mode: outlet (single, headquarters or branch)");
    EXPECT_EQ(result["server"], "null");
    EXPECT_EQ(result["phases.length"], "0");

    // A result that cannot be written is said so, and the status stays the run's.
    const ProgramResult unwritable =
        run_command_line({"--unattended", "--bogus", "--result-json", "C:\\no-such-folder\\result.json"}, "");
    EXPECT_EQ(unwritable.exit_code, 2);
    EXPECT_NE(unwritable.errors.find("dbinstall: the result file C:\\no-such-folder\\result.json could not be written: "),
              std::string::npos)
        << unwritable.errors;

    // An earlier run's document never outlives a run that cannot write its own.
    write_file(host_path("work/result.json"), R"({"outcome": "completed", "exit_status": 0})");
    std::filesystem::create_directories(host_path("work/result.json.partial"));
    const ProgramResult stale = run_command_line(
        {"--unattended", "--bogus", "--result-json", windows_path("work/result.json")}, "");
    EXPECT_EQ(stale.exit_code, 2);
    EXPECT_FALSE(std::filesystem::exists(host_path("work/result.json"))) << stale.errors;
    std::filesystem::remove(host_path("work/result.json.partial"));
}

}  // namespace
}  // namespace e2e
