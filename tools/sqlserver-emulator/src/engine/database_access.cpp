// Entry checks: the user mapped by SID, then the single user's hold.
#include "database_access.h"

#include "principals.h"

namespace emulator {

std::optional<EntryRefusal> entry_refusal(const Login& login, const Database& database, int spid) {
    if (!database_user_of(login, database)) return EntryRefusal::no_user;
    if (database.user_access == UserAccess::single_user && database.holder && *database.holder != spid)
        return EntryRefusal::single_user_held;
    return std::nullopt;
}

void enter_database(Database& database, int spid) {
    if (database.user_access == UserAccess::single_user && !database.holder) database.holder = spid;
}

void release_holds(Catalog& catalog, int spid) {
    for (auto& [name, database] : catalog.databases)
        if (database.holder == spid) database.holder.reset();
}

}  // namespace emulator
