// The outcomes' words.
#include "install/install_outcome.h"

namespace install {

std::wstring outcome_name(InstallOutcome outcome)
{
    switch (outcome) {
    case InstallOutcome::completed: return L"completed";
    case InstallOutcome::checked: return L"checked";
    case InstallOutcome::unverified: return L"unverified";
    case InstallOutcome::statement_failed: return L"failed";
    case InstallOutcome::old_database_lost: return L"old_database_lost";
    case InstallOutcome::template_missing: return L"template_missing";
    case InstallOutcome::connection_failed: return L"connection_failed";
    case InstallOutcome::login_refused: return L"login_refused";
    case InstallOutcome::declined: return L"declined";
    case InstallOutcome::old_database_in_use: return L"old_database_in_use";
    case InstallOutcome::name_refused: return L"name_refused";
    case InstallOutcome::refused: return L"refused";
    case InstallOutcome::already_running: return L"already_running";
    case InstallOutcome::interrupted: return L"interrupted";
    }
    return L"unknown";
}

}  // namespace install
