// The dry run (--check): everything an install asks before it changes
// anything, and an answer, with nothing changed on the server, in the data
// folder, in the registry or on C:, and what it learnt in the result document.
#include "preflight_refusal_cases.h"
#include "result_document_reader.h"

#include <chrono>
#include <map>

namespace e2e {
namespace {

constexpr char detection_key[] = "HKLM\\SOFTWARE\\Korvena\\Database";

// Everything a dry run must leave as it found it.
struct Surroundings {
    std::vector<Row> databases, files, logins;
    std::map<std::string, std::pair<uintmax_t, std::filesystem::file_time_type>> data_folder;
    std::map<std::string, std::string> alias_32, alias_64, detection_key_values;
    bool staging_file = false;
    bool run_record = false;

    bool operator==(const Surroundings&) const = default;
};

class DryRunTest : public RefusalTest {
protected:
    Surroundings surroundings() {
        Surroundings now;
        now.databases = rows("select name from master.dbo.sysdatabases");
        now.files = rows("select name, filename from master.dbo.sysaltfiles");
        now.logins = rows("select name, dbname, sysadmin from master.dbo.syslogins");
        for (const auto& entry : std::filesystem::directory_iterator(host_path("data")))
            now.data_folder[entry.path().filename().string()] = {
                entry.is_regular_file() ? entry.file_size() : 0, entry.last_write_time()};
        now.alias_32 = wine_.registry_values(alias_key, RegistryView::bits32);
        now.alias_64 = wine_.registry_values(alias_key, RegistryView::bits64);
        now.detection_key_values = wine_.registry_values(detection_key, RegistryView::bits64);
        now.staging_file = std::filesystem::exists(wine_.drive_c() / staging_file);
        now.run_record = std::filesystem::exists(run_record_file());
        return now;
    }

    // A dry run with its result document, which must be valid.
    ResultDocument check(std::vector<std::string> options, int expected_status) {
        options.insert(options.begin(), {"--check", "--result-json", windows_path("work/result.json")});
        std::filesystem::remove(host_path("work/result.json"));
        last_run_ = install_unattended(options);
        EXPECT_EQ(last_run_.exit_code, expected_status) << last_run_.output << last_run_.errors;
        ResultDocument document = validated(host_path("work/result.json"));
        EXPECT_TRUE(document.valid) << document.complaints << document.text;
        return document;
    }

    ProgramResult last_run_;
};

TEST_F(DryRunTest, AServerThatWouldAcceptIsAnsweredAndNothingChanges) {
    ASSERT_NO_FATAL_FAILURE(start_server({.old_database = true}));
    const Surroundings before = surroundings();

    const ResultDocument result = check({"--drop-existing"}, 0);

    EXPECT_EQ(surroundings(), before);
    expect_old_installation_kept();
    EXPECT_TRUE(safety_backups().empty());
    expect_installer_disconnected();
    EXPECT_EQ(result["outcome"], "checked");
    EXPECT_EQ(result["failure"], "null");
    EXPECT_EQ(result.phase_names(), (std::vector<std::string>{"preconditions", "connect", "preflight", "check"}));
    EXPECT_EQ(result["server.version"], "15.0.2000");
    EXPECT_EQ(result["check.server.edition"].rfind("Standard Edition", 0), 0u) << result.text;
    EXPECT_EQ(result["check.server.instance"], "");
    EXPECT_EQ(result["check.server.authentication"], "mixed");
    EXPECT_EQ(result["check.server.port"], std::to_string(server_->port()));
    EXPECT_NE(result["check.data_drive.needed_mb"], "null");
    EXPECT_EQ(result["check.template.files.0.logical_name"], "mirvox_data");
    EXPECT_EQ(result["check.template.files.1.logical_name"], "mirvox_log");
    EXPECT_EQ(result["check.old_database.present"], "true");
    EXPECT_NE(result["check.old_database.size_bytes"], "0");
    EXPECT_EQ(result["check.old_database.application_sessions"], "0");
    EXPECT_EQ(result["check.action"], "replace");
    EXPECT_EQ(result["check.needs.length"], "1");
    EXPECT_EQ(result["check.needs.0"], "drop_consent");
    EXPECT_EQ(result["old_database"], "kept");
    EXPECT_EQ(result["alias_written"], "false");
    EXPECT_EQ(result["detection_key_written"], "false");
    EXPECT_EQ(result["message"].rfind("检查通过：可以安装。", 0), 0u) << result.text;
    EXPECT_NE(last_run_.errors.find("提示: 检查通过：可以安装。"), std::string::npos) << last_run_.errors;
}

// Without --drop-existing an install would stop at the old database: the
// check says so, with every session in it counted, the store's tills too.
TEST_F(DryRunTest, AnOldDatabaseInUseIsReported) {
    ASSERT_NO_FATAL_FAILURE(start_server({.old_database = true}));
    auto user = CatalogClient::connect(server_->port(), "mirvox", "rovtakl");
    ASSERT_TRUE(std::holds_alternative<std::unique_ptr<CatalogClient>>(user)) << std::get<SqlError>(user).text;
    auto& application_user = std::get<std::unique_ptr<CatalogClient>>(user);
    ASSERT_FALSE(application_user->execute("use mirvox"));
    const Surroundings before = surroundings();

    const ResultDocument declined = check({}, 8);
    EXPECT_EQ(declined["outcome"], "refused");
    EXPECT_EQ(declined["failure.phase"], "check");
    EXPECT_EQ(declined["check.old_database.present"], "true");
    EXPECT_EQ(declined["check.old_database.sessions"], "1");
    EXPECT_EQ(declined["check.old_database.application_sessions"], "1");
    EXPECT_NE(declined["message"].find("--drop-existing"), std::string::npos) << declined.text;

    const ResultDocument in_use = check({"--drop-existing"}, 8);
    EXPECT_EQ(in_use["check.old_database.application_sessions"], "1");
    EXPECT_EQ(in_use["message"].rfind("旧数据库正在被使用：登录名 mirvox 有 1 个连接。", 0), 0u) << in_use.text;
    EXPECT_TRUE(last_run_.errors.ends_with("\n数据库服务器上没有做任何更改。\n")) << last_run_.errors;

    EXPECT_EQ(surroundings(), before);
    application_user.reset();
    expect_old_installation_kept();
}

class DryRunRefusal : public DryRunTest, public ::testing::WithParamInterface<RefusalCase> {};

// Each refusal of the install's own checks, answered by the dry run in the
// install's own words.
TEST_P(DryRunRefusal, AnswersAsTheInstallWouldAndChangesNothing) {
    const RefusalCase& c = GetParam();
    const ServerSetup setup = c.setup ? c.setup(*this) : ServerSetup{};
    ASSERT_NO_FATAL_FAILURE(start_server(setup));
    std::vector<std::string> options = c.arrange ? c.arrange(*this) : std::vector<std::string>{};
    const Surroundings before = surroundings();

    const ResultDocument result = check(options, 8);

    const std::string problem = c.problem(*this);
    EXPECT_EQ(last_run_.output, refused_run_output(c, problem));
    EXPECT_TRUE(last_run_.errors.starts_with("警告: " + problem + "\n")) << last_run_.errors;
    EXPECT_TRUE(last_run_.errors.ends_with("\n数据库服务器上没有做任何更改。\n")) << last_run_.errors;
    EXPECT_EQ(result["outcome"], "refused");
    EXPECT_EQ(result["failure.phase"], "preflight");
    EXPECT_EQ(surroundings(), before);
    expect_installer_disconnected();
}

INSTANTIATE_TEST_SUITE_P(Causes, DryRunRefusal, ::testing::ValuesIn(preflight_refusal_cases()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace e2e
