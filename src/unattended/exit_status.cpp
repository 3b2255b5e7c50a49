// Exit statuses of an unattended run.
#include "exit_status.h"

namespace unattended {

int exit_status_of(install::InstallOutcome outcome) {
    switch (outcome) {
    case install::InstallOutcome::completed: return 0;
    case install::InstallOutcome::checked: return 0;
    case install::InstallOutcome::unverified: return 10;
    case install::InstallOutcome::statement_failed: return 1;
    case install::InstallOutcome::old_database_lost: return 11;
    case install::InstallOutcome::template_missing: return 3;
    case install::InstallOutcome::connection_failed: return 4;
    case install::InstallOutcome::login_refused: return 12;
    case install::InstallOutcome::declined: return 5;
    case install::InstallOutcome::old_database_in_use: return 6;
    case install::InstallOutcome::name_refused: return 7;
    case install::InstallOutcome::refused: return 8;
    case install::InstallOutcome::already_running: return 13;
    case install::InstallOutcome::interrupted: return 14;
    }
    return 1;
}

}  // namespace unattended
