// A dry run's findings gathered from what the run learnt on its way, so that
// a refused check reports as much as an accepted one.
#include "install/check/dry_run.h"
#include "install/install_run.h"

namespace install {

void complete_check_report(InstallRun& run)
{
    CheckReport& check = *run.report.check;
    if (run.listening_learnt) {
        const ServerListening& listening = run.listening;
        check.instance = listening.instance;
        check.sql_logins_enabled = listening.sql_logins_enabled;
        check.tcp_enabled = listening.tcp_enabled;
        check.port = listening.connection_port ? listening.connection_port : listening.static_port;
    }
    check.free_megabytes = run.data_drive_free_megabytes;
    if (run.megabytes_needed > 0)
        check.needed_megabytes = run.megabytes_needed;
    check.template_written_by = run.template_written_by;
    check.template_files = run.template_files;
    check.old_database_present = run.old_database_found;
    for (const DatabaseFile& file : run.old_database_files)
        check.old_database_bytes += file.size_bytes;
}

}  // namespace install
