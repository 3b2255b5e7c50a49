// What the checks before an install refuse, run unattended: each refusal
// names its cause on standard error, ends with status 8, and leaves the
// server, the data folder and C: as they were.
#include "preflight_refusal_cases.h"

namespace e2e {
namespace {

class PreflightRefusal : public RefusalTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(PreflightRefusal, NamesTheCauseAndChangesNothing) {
    const RefusalCase& c = GetParam();
    const ServerSetup setup = c.setup ? c.setup(*this) : ServerSetup{};
    ASSERT_NO_FATAL_FAILURE(start_server(setup));
    const std::vector<std::string> options = c.arrange ? c.arrange(*this) : std::vector<std::string>{};
    const std::vector<Row> databases_before = rows("select name from master.dbo.sysdatabases");
    const std::vector<Row> logins_before = rows("select name, dbname, sysadmin, sid from master.dbo.syslogins");

    const ProgramResult result = install_unattended(options);

    EXPECT_EQ(result.exit_code, 8) << result.output << result.errors;
    const std::string problem = c.problem(*this);
    EXPECT_EQ(result.output, refused_run_output(c, problem));
    EXPECT_TRUE(result.errors.starts_with("警告: " + problem + "\n")) << result.errors;
    EXPECT_TRUE(result.errors.ends_with("\n数据库服务器上没有做任何更改。\n")) << result.errors;

    EXPECT_EQ(rows("select name from master.dbo.sysdatabases"), databases_before);
    EXPECT_EQ(rows("select name, dbname, sysadmin, sid from master.dbo.syslogins"), logins_before);
    if (setup.old_database) expect_old_installation_kept();
    EXPECT_TRUE(safety_backups().empty());
    // The operator's own file at the staging path is not taken away.
    EXPECT_EQ(std::filesystem::exists(wine_.drive_c() / staging_file), c.name == std::string("TemplateIsTheStagingFile"));
    expect_installer_disconnected();
}

INSTANTIATE_TEST_SUITE_P(Causes, PreflightRefusal, ::testing::ValuesIn(preflight_refusal_cases()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace e2e
