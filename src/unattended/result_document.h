// The result document of an unattended run (--result-json FILE): how the
// install on this computer ended, in JSON for a deployment tool. Its schema is
// deploy/dbinstall-result.schema.json; a change here changes that file too.
#pragma once

#include "install/install_form.h"
#include "install/record/install_report.h"
#include "platform/clock.h"

#include <optional>
#include <string>

namespace unattended {

// What the run was to install where, from its options, its machine's
// defaults and dbinstall.ini.
struct InstallTarget {
    std::wstring server;
    std::wstring database;
    std::wstring administrator_login;
    std::wstring application_login;
    install::StoreMode store_mode = install::StoreMode::single_store;
    std::wstring data_path;
};

struct RunResult {
    std::wstring outcome;  // install::outcome_name's word, or "usage_error"
    int exit_status = 0;
    platform::LocalTime started_at{};
    platform::LocalTime ended_at{};
    std::wstring computer;
    std::optional<InstallTarget> target;  // none for a usage error
    install::InstallReport report;
};

// The document as UTF-8 JSON text. Nothing in a RunResult holds a password.
std::string result_document(const RunResult& result);

}  // namespace unattended
