// SERVERPROPERTY and @@VERSION: what the server says of itself, from the
// version, edition, computer name and folders it was started with.
#pragma once

#include "statement_context.h"

#include <string>

namespace emulator {

// The property's value: nvarchar, int or bigint, or NULL for a name that is
// no property of this version. A property the stand-in has no answer for
// fails as not supported, naming `statement_text`.
Value server_property(StatementContext& context, const std::u16string& name, const std::u16string& statement_text);

// @@SERVERNAME and SERVERPROPERTY('ServerName'): MACHINE or MACHINE\INSTANCE.
std::u16string server_name(const EngineOptions& options);

// @@VERSION, in the layout of the release's RTM build.
std::u16string version_banner(const EngineOptions& options);

}  // namespace emulator
