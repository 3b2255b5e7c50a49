// USE switches the session's database when a user of it maps to the
// session's login and no other session holds it in single-user mode; SET
// honours QUOTED_IDENTIFIER and accepts the options clients send at connect
// time.
#include "session_statements.h"

#include "database_access.h"
#include "messages.h"

namespace emulator {

Outcome run_use(StatementContext& context, const UseStatement& use) {
    Database* database = context.catalog.find_database(use.database);
    if (!database) fail(server_message(911, {.name = use.database}));
    if (context.catalog.is_restoring(database->name)) fail(server_message(927, {.name = database->name}));
    Session& session = context.session();
    const Login* login = context.catalog.find_login(session.login);
    const auto refusal = login ? entry_refusal(*login, *database, context.spid) : EntryRefusal::no_user;
    if (refusal == EntryRefusal::no_user)
        fail(server_message(916, {.name = session.login, .other = database->name}));
    if (refusal == EntryRefusal::single_user_held) fail(server_message(924, {.name = database->name}));
    enter_database(*database, context.spid);
    const std::u16string old_database = session.database;
    session.database = database->name;
    context.sink.database_changed(database->name, old_database);
    context.sink.message(server_message(5701, {.name = database->name}));
    return {};
}

Outcome run_set(StatementContext& context, const SetStatement& set) {
    if (set.quoted_identifier) context.session().quoted_identifier = *set.quoted_identifier;
    if (!set.language.empty()) context.sink.message(server_message(5703, {.name = set.language}));
    return {};
}

}  // namespace emulator
