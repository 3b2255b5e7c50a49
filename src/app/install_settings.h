// InstallSettings: what is installed (database name, application login and its
// fixed password), two of them taken from dbinstall.ini.
#pragma once

#include <string>

namespace app {

struct InstallSettings {
    std::wstring is_dbname;
    std::wstring is_logid;
    std::wstring is_pass;
};

// Reads section "database", keys "databasename" and "logid" of dbinstall.ini
// (GBK-encoded; looked up in the working directory, then beside the
// executable; section and key names match without regard to case). Each
// absent file, section or key falls back to its default silently.
InstallSettings load_install_settings(const std::wstring& default_dbname);

}  // namespace app
