// The refusals of the checks before an install, as one table: an install
// and its dry run (--check) must refuse each alike.
#pragma once

#include "install_test.h"

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace e2e {

// What the cases arrange through: the test's folders, C: and the files put there.
class RefusalTest : public InstallTest {
public:
    using InstallTest::host_path;
    using InstallTest::windows_path;

    void write(const std::string& relative, const std::string& content) const;
    std::filesystem::path drive_c() const { return wine_.drive_c(); }
    using InstallTest::write_ini;
};

struct RefusalCase {
    const char* name;
    // The server's set-up, and what the test puts on disk; returns the
    // installer's options besides the usual ones.
    std::function<ServerSetup(RefusalTest&)> setup;
    std::function<std::vector<std::string>(RefusalTest&)> arrange;
    bool template_checked;  // refused once the template's check began (its log line shown)
    std::function<std::string(RefusalTest&)> problem;

    friend void PrintTo(const RefusalCase& c, std::ostream* out) { *out << c.name; }
};

const std::vector<RefusalCase>& preflight_refusal_cases();

// The log lines of a run refused with `problem` after the pre-flight began.
std::string refused_run_output(const RefusalCase& refusal, const std::string& problem);

}  // namespace e2e
