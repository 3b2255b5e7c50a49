// Whether a session may enter a database (at login or by USE) and the hold a
// session keeps on a SINGLE_USER database.
#pragma once

#include "catalog.h"

#include <optional>

namespace emulator {

enum class EntryRefusal {
    no_user,           // no user of the database maps to the login (916; 4060 or 4064 at login)
    single_user_held,  // SINGLE_USER and another session holds it (924; 4060 or 4064 at login)
};

// Why session `spid` of `login` may not enter `database`; nullopt when it may.
std::optional<EntryRefusal> entry_refusal(const Login& login, const Database& database, int spid);

// The session entered the database: it holds a SINGLE_USER database nobody
// holds.
void enter_database(Database& database, int spid);

// The session ended: the SINGLE_USER databases it held are free for the next
// session to enter.
void release_holds(Catalog& catalog, int spid);

}  // namespace emulator
