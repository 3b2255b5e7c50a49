// The authentication mode's part of a login: what SQL Server refuses before it
// looks at a SQL Server login's password or the database.
#pragma once

#include "catalog.h"
#include "engine.h"

#include <optional>

namespace emulator {

// The refusal of `user`, or nullopt when the login may go on. A
// Windows-authenticated user must have a Windows login; a SQL Server one is refused on a server
// that accepts only Windows authentication, and when it names a Windows
// account. The client sees 18456 state 1; the error log gets the real state.
std::optional<LoginRefused> refused_by_authentication(const Catalog& catalog, const InstanceSettings& instance,
                                                      const std::u16string& user, const LoginChannel& channel);

}  // namespace emulator
