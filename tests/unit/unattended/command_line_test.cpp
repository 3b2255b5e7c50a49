// The unattended command line: which arguments start which mode, what each
// option sets, and every way the arguments can be wrong.
#include "unattended/command_line.h"
#include "unattended/exit_status.h"

#include <gtest/gtest.h>

namespace {

using unattended::Mode;
using unattended::UnattendedOptions;
using unattended::UsageError;

TEST(UnattendedCommandLine, OnlyAFirstArgumentOfUnattendedHelpOrVersionLeavesTheWindow)
{
    EXPECT_EQ(unattended::mode_of({}), Mode::interactive);
    EXPECT_EQ(unattended::mode_of({L"--unattended"}), Mode::unattended);
    EXPECT_EQ(unattended::mode_of({L"--help"}), Mode::help);
    EXPECT_EQ(unattended::mode_of({L"--version", L"--unattended"}), Mode::version);
    // Anything else keeps the window, as the command line was always ignored.
    EXPECT_EQ(unattended::mode_of({L"/S"}), Mode::interactive);
    EXPECT_EQ(unattended::mode_of({L"x", L"--unattended"}), Mode::interactive);
    EXPECT_EQ(unattended::mode_of({L"--UNATTENDED"}), Mode::interactive);
    EXPECT_EQ(unattended::mode_of({L"-v"}), Mode::interactive);
}

TEST(UnattendedCommandLine, EveryOptionReachesItsField)
{
    auto parsed = unattended::parse_unattended({L"--server", L"127.0.0.1,1433", L"--data-path", L"C:\\O'Brien\\data",
                                                L"--template", L"C:\\t\\mirvox.dat", L"--login", L"admin",
                                                L"--store-mode", L"branch", L"--drop-existing",
                                                L"--verify-certificate", L"--result-json", L"C:\\out\\r.json"});
    ASSERT_TRUE(std::holds_alternative<UnattendedOptions>(parsed));
    const auto& options = std::get<UnattendedOptions>(parsed);
    EXPECT_EQ(options.server, L"127.0.0.1,1433");
    EXPECT_EQ(options.data_path, L"C:\\O'Brien\\data");
    EXPECT_EQ(options.template_file, L"C:\\t\\mirvox.dat");
    EXPECT_EQ(options.login, L"admin");
    EXPECT_EQ(options.store_mode, install::StoreMode::chain_branch);
    EXPECT_TRUE(options.drop_existing);
    EXPECT_TRUE(options.verify_certificate);
    EXPECT_EQ(options.result_file, L"C:\\out\\r.json");
}

TEST(UnattendedCommandLine, OptionsLeftOutStayUnsetForTheFormDefaults)
{
    auto parsed = unattended::parse_unattended({});
    ASSERT_TRUE(std::holds_alternative<UnattendedOptions>(parsed));
    const auto& options = std::get<UnattendedOptions>(parsed);
    EXPECT_FALSE(options.server.has_value());
    EXPECT_FALSE(options.data_path.has_value());
    EXPECT_FALSE(options.template_file.has_value());
    EXPECT_FALSE(options.login.has_value());
    EXPECT_EQ(options.store_mode, install::StoreMode::single_store);
    EXPECT_FALSE(options.drop_existing);
    EXPECT_FALSE(options.verify_certificate);

    // An empty value is a value: the operator asked for it.
    auto empty = unattended::parse_unattended({L"--server", L""});
    ASSERT_TRUE(std::holds_alternative<UnattendedOptions>(empty));
    EXPECT_EQ(std::get<UnattendedOptions>(empty).server, L"");
}

TEST(UnattendedCommandLine, StoreModesByName)
{
    const std::pair<const wchar_t*, install::StoreMode> rows[] = {
        {L"single", install::StoreMode::single_store},
        {L"headquarters", install::StoreMode::chain_headquarters},
        {L"branch", install::StoreMode::chain_branch},
    };
    for (const auto& [name, mode] : rows) {
        auto parsed = unattended::parse_unattended({L"--store-mode", name});
        ASSERT_TRUE(std::holds_alternative<UnattendedOptions>(parsed)) << name;
        EXPECT_EQ(std::get<UnattendedOptions>(parsed).store_mode, mode) << name;
    }
}

TEST(UnattendedCommandLine, WrongArgumentsGiveAOneLineReason)
{
    const struct {
        std::vector<std::wstring> arguments;
        std::wstring reason;
    } rows[] = {
        {{L"--password", L"secret"}, L"unknown option: --password"},
        {{L"--server"}, L"missing value after --server"},
        {{L"--store-mode"}, L"missing value after --store-mode"},
        {{L"--store-mode", L"Branch"}, L"unknown store mode: Branch (single, headquarters or branch)"},
        {{L"--store-mode", L"2"}, L"unknown store mode: 2 (single, headquarters or branch)"},
        {{L"--drop-existing", L"yes"}, L"unknown option: yes"},
        {{L"--verify-certificate", L"no"}, L"unknown option: no"},
        {{L"--verify-certificates"}, L"unknown option: --verify-certificates"},
        {{L"--help"}, L"unknown option: --help"},
        {{L"--version"}, L"unknown option: --version"},
    };
    for (const auto& row : rows) {
        auto parsed = unattended::parse_unattended(row.arguments);
        ASSERT_TRUE(std::holds_alternative<UsageError>(parsed)) << row.reason;
        EXPECT_EQ(std::get<UsageError>(parsed).reason, row.reason);
        EXPECT_EQ(row.reason.find(L'\n'), std::wstring::npos);
    }
}

TEST(UnattendedCommandLine, TheResultFileIsFoundInACommandLineThatIsWrong)
{
    // The last one counts, as the parser's own assignment does.
    EXPECT_EQ(unattended::result_file_named({L"--bogus", L"--result-json", L"a.json", L"--result-json", L"b.json"}),
              L"b.json");
    EXPECT_EQ(unattended::result_file_named({L"--server", L"--result-json", L"a.json"}), L"a.json");
    EXPECT_FALSE(unattended::result_file_named({L"--bogus", L"--result-json"}).has_value());
    EXPECT_FALSE(unattended::result_file_named({}).has_value());
}

TEST(UnattendedExitStatus, OneDistinctStatusPerOutcome)
{
    using install::InstallOutcome;
    const std::pair<InstallOutcome, int> rows[] = {
        {InstallOutcome::completed, 0},        {InstallOutcome::statement_failed, 1},
        {InstallOutcome::template_missing, 3}, {InstallOutcome::connection_failed, 4},
        {InstallOutcome::declined, 5},         {InstallOutcome::old_database_in_use, 6},
        {InstallOutcome::name_refused, 7},     {InstallOutcome::refused, 8},
        {InstallOutcome::unverified, 10},      {InstallOutcome::old_database_lost, 11},
        {InstallOutcome::login_refused, 12},    {InstallOutcome::already_running, 13},
        {InstallOutcome::interrupted, 14},
    };
    for (const auto& [outcome, status] : rows) EXPECT_EQ(unattended::exit_status_of(outcome), status);
    EXPECT_EQ(unattended::exit_usage_error, 2);
    EXPECT_EQ(unattended::exit_window_not_started, 9);
}

}  // namespace
