// The SQL Server releases the stand-in can play (--product-version): what
// each one writes into its backups, which backups it can restore, how big
// Express lets a database grow, and how @@VERSION names it.
#pragma once

#include "server_identity.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace emulator {

struct Release {
    int32_t major;
    int32_t minor;
    const char16_t* year;           // "2008 R2", as @@VERSION names the product
    int32_t database_version;       // the internal database version its databases and backups carry
    ServerVersion oldest_restorable;  // the oldest release whose user database backups it restores
    int64_t express_limit_mb;       // the largest database Express allows; 0: no Express edition
    int32_t lowest_compatibility_level;  // what an older database it restores is raised to at least
    // @@VERSION's parts that change between releases, as the release's RTM
    // build shows them.
    bool banner_names_level;        // "(RTM)" after the year
    const char16_t* build_date;     // "Sep 24 2019 13:48:23"
    const char16_t* copyright;      // "Copyright (C) 2019 Microsoft Corporation"
};

// The release of major.minor; nullopt for a version no release has.
const Release* find_release(int32_t major, int32_t minor);
// The release of a version that find_release knows; std::logic_error otherwise.
const Release& release_of(const ServerVersion& version);

// "9.0.5000.0" -> {9, 0, 5000, 0}; nullopt unless four whole numbers of a known release.
std::optional<ProductVersion> parse_product_version(std::string_view text);

// SERVERPROPERTY('ProductVersion'): "15.0.2000.5"; releases before 2008 print
// two-digit minor and revision numbers ("9.00.5000.00") and SQL Server 2000
// no revision ("8.00.2039").
std::u16string product_version_text(const ProductVersion& version);

// Whether a server of `server` restores a user database backup written by
// `backup` with `backup_database_version`: neither newer (by release or
// internal database version, builds of one release being alike) nor older
// than the oldest release it upgrades from.
bool can_restore(const ServerVersion& server, const ServerVersion& backup, int32_t backup_database_version);
// The newer half of that test, which RESTORE FILELISTONLY also applies.
bool written_by_newer(const ServerVersion& server, const ServerVersion& backup, int32_t backup_database_version);

}  // namespace emulator
