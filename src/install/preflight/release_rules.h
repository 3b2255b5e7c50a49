// What a SQL Server release can take: which template backups it restores,
// and how large Express lets a database's data grow.
#pragma once

#include "install/server/server_version.h"

#include <cstdint>
#include <optional>

namespace install {

// Backups are told apart by release (major.minor), not build: a backup from
// a cumulative update restores on the same release's first build, since
// the database version is fixed within a release.
bool newer_release(ServerVersion backup, ServerVersion server);

// The oldest release whose backups `server` restores (major.minor, build 0).
ServerVersion oldest_restorable_release(ServerVersion server);

// The most MB a database's data files may hold on the Express edition of
// `server`; the log does not count. nullopt before SQL Server 2005, which
// had no Express.
std::optional<int64_t> express_data_limit_mb(ServerVersion server);

// SERVERPROPERTY('EngineEdition') of Express.
inline constexpr int express_engine_edition = 4;

}  // namespace install
