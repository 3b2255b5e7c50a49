// Loading InstallSettings from dbinstall.ini.
#include "install_settings.h"

#include "platform/ini_file.h"

namespace app {

InstallSettings load_install_settings(const std::wstring& default_dbname)
{
    const std::wstring file = L"dbinstall.ini";
    InstallSettings settings;
    settings.is_dbname = platform::read_profile_string(file, L"database", L"databasename", default_dbname);
    // The login's default is its own literal, even when the file renames the database.
    settings.is_logid = platform::read_profile_string(file, L"database", L"logid", L"mirvox");
    settings.is_pass = L"rovtakl";
    return settings;
}

}  // namespace app
