// The tables of exit statuses written for people, against the statuses
// dbinstall.com --help documents: the return codes of the Intune and
// Configuration Manager package, and the appendix of the operator's guide.
// A status added to the program without a row in each fails here.
#include "install_test.h"

#include <map>
#include <regex>
#include <set>

namespace e2e {
namespace {

class ExitStatusTables : public InstallTest {
protected:
    std::set<int> documented_statuses() {
        const ProgramResult help = wine_.run_command_line_of(KORVENA_DBINSTALL_COM, host_path("work"), {"--help"}, "",
                                                              std::chrono::seconds(60));
        EXPECT_EQ(help.exit_code, 0);
        std::set<int> documented;
        const std::regex status_line(R"(^ +(\d+)  \S.*$)");
        std::istringstream help_lines(help.output);
        for (std::string line; std::getline(help_lines, line);) {
            std::smatch match;
            if (std::regex_match(line, match, status_line)) documented.insert(std::stoi(match[1]));
        }
        EXPECT_GE(documented.size(), 9u) << help.output;
        return documented;
    }
};

// The groups of each line that is a row, by the status in the first group.
std::map<int, std::vector<std::string>> rows_of(const std::string& text, const std::regex& row) {
    std::map<int, std::vector<std::string>> rows;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::smatch match;
        if (std::regex_match(line, match, row)) rows[std::stoi(match[1])] = {match.begin() + 1, match.end()};
    }
    return rows;
}

TEST_F(ExitStatusTables, TheIntuneReturnCodesGiveEveryDocumentedStatusAKind) {
    const std::set<int> documented = documented_statuses();
    const std::string readme = read_file(std::filesystem::path(KORVENA_DEPLOY_FOLDER) / "intune" / "README.md");
    std::set<int> tabled;
    for (const auto& [code, kinds] : rows_of(readme, std::regex(R"(^\| (\d+) \| .+ \| (\w[\w ]*) \| (\w[\w ]*) \|$)"))) {
        tabled.insert(code);
        const std::string& intune = kinds[1];
        const std::string& configuration_manager = kinds[2];
        EXPECT_TRUE(intune == "Success" || intune == "Failed" || intune == "Retry") << code;
        EXPECT_TRUE(configuration_manager == "Success" || configuration_manager == "Failure" ||
                    configuration_manager == "Fast Retry")
            << code;
        EXPECT_EQ(intune == "Success", code == 0) << code;
        EXPECT_EQ(configuration_manager == "Success", code == 0) << code;
    }
    EXPECT_EQ(tabled, documented);
}

TEST_F(ExitStatusTables, TheOperatorsGuideExplainsEveryDocumentedStatus) {
    const std::set<int> documented = documented_statuses();
    const std::string guide = read_file(KORVENA_OPERATOR_GUIDE);
    std::set<int> explained;
    const std::regex row(R"(^<tr><td class="status">(\d+)</td><td>.+</td><td>.+</td></tr>$)");
    for (const auto& explanation : rows_of(guide, row)) explained.insert(explanation.first);
    EXPECT_EQ(explained, documented);
}

}  // namespace
}  // namespace e2e
