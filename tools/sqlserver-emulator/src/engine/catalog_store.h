// Keeps the catalog in a file of the state folder across restarts.
#pragma once

#include "catalog.h"
#include "server_identity.h"

#include <filesystem>

namespace emulator {

// Writes databases and logins (not sessions) to `file` through a temporary
// file and a rename, so a crash never leaves half a catalog. Throws
// std::runtime_error when it cannot write.
void save_catalog(const Catalog& catalog, const std::filesystem::path& file);

// Reads what save_catalog wrote; an absent file gives an empty catalog. The
// logins of catalogs written before SIDs were kept get a SID and their
// password's hash as `server` makes it. Throws std::runtime_error on a
// malformed file.
Catalog load_catalog(const std::filesystem::path& file, const ServerVersion& server);

}  // namespace emulator
