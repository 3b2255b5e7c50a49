// Whether this server can take the template at all: a release that restores
// its backup, and an edition that lets its data be as large as it is.
#pragma once

#include "install/preflight/refusal.h"
#include "install/server/server_facts.h"
#include "install/server/server_version.h"

#include <optional>
#include <vector>

namespace install {

// nullopt when a server of `server` restores a backup written by `written_by`.
std::optional<Refusal> template_release_fits(ServerVersion written_by, ServerVersion server);

// nullopt when the template's data files (RESTORE FILELISTONLY's sizes) stay
// within the edition's limit: only Express (`express`) has one.
std::optional<Refusal> template_fits_edition(bool express, ServerVersion server,
                                             const std::vector<DatabaseFile>& template_files);

}  // namespace install
