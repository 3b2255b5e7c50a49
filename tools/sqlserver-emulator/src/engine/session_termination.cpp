// Ending sessions and the KILL statement.
#include "session_termination.h"

#include "database_access.h"
#include "messages.h"

namespace emulator {
namespace {

// Spids below this belong to the server's own processes.
constexpr int first_user_spid = 51;

}  // namespace

void end_session(Catalog& catalog, int spid) {
    Session& session = catalog.session(spid);
    if (session.ended) return;
    session.ended = true;
    release_holds(catalog, spid);
    if (session.end_connection) session.end_connection();
}

Outcome run_kill(StatementContext& context, const KillStatement& kill) {
    const Login* caller = context.catalog.find_login(context.session().login);
    if (!caller || !caller->sysadmin) fail(server_message(6102));
    if (kill.spid == context.spid) fail(server_message(6104));
    if (kill.spid < first_user_spid) fail(server_message(6107));
    const auto found = context.catalog.sessions.find(kill.spid);
    if (found == context.catalog.sessions.end() || found->second.ended)
        fail(server_message(6106, {.count = kill.spid}));
    end_session(context.catalog, kill.spid);
    return {};
}

}  // namespace emulator
