// Folders and files kept from the computer's other users: an access list of
// their own, not inherited, that lets in SYSTEM, the Administrators and
// whoever else is named, and no one else.
#pragma once

#include "outcome.h"

#include <string>
#include <vector>

namespace platform {

enum class FolderProblem {
    none,
    reparse_point,  // a junction or symbolic link: what is written there could land anywhere
    not_a_folder,
    foreign_owner,  // made by someone else, who could have done anything with it first
    system_error,
};

struct FolderCheck {
    FolderProblem problem = FolderProblem::none;
    std::wstring detail;  // the owner's name for foreign_owner, the system's message for system_error
};

// Creates `folder` (its parent must exist) with full control for SYSTEM and
// the Administrators only; a folder already there must be a real folder,
// owned by SYSTEM, the Administrators or this process's account when it is
// an administrator (Windows makes that account the owner of what it
// creates), and then gets that access list when its own lets in anyone else
// or is inherited. Nothing is changed on a folder that is refused.
FolderCheck make_private_folder(const std::wstring& folder);

// Gives `path` (a file) an access list of its own: full control for SYSTEM
// and the Administrators, read access for each SID in `readers` (in SDDL
// form, "S-1-5-..."), nothing for anyone else.
Outcome make_private_file(const std::wstring& path, const std::vector<std::wstring>& readers);

// The accounts a Windows service works as, as SIDs in SDDL form.
struct ServiceAccounts {
    // NT SERVICE\<name>: derived from the name alone, so it exists even
    // where no lookup knows it. The service's token holds it when its SID
    // type is set, as SQL Server 2008 and later set it.
    std::wstring service_sid;
    // The account the service's configuration logs on as, when it can be
    // read and found; empty otherwise. Empty too for LocalSystem, which is
    // SYSTEM.
    std::wstring configured_account;
    std::wstring configured_sid;
    bool configuration_read = false;
};

ServiceAccounts service_accounts(const std::wstring& service);

}  // namespace platform
