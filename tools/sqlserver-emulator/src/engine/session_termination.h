// Ending other sessions on the server's side: KILL, and the termination
// clause of ALTER DATABASE. An ended session runs nothing more; the protocol
// layer closes its connection, which is all its client learns.
#pragma once

#include "statement_context.h"
#include "statements.h"

namespace emulator {

// Marks the session ended, frees the databases it held and closes its
// connection through the protocol layer's hook.
void end_session(Catalog& catalog, int spid);

// KILL spid: sysadmin only (6102); not the caller's own session (6104), not
// the server's (6107), not one that is not open (6106).
Outcome run_kill(StatementContext& context, const KillStatement& kill);

}  // namespace emulator
