// User access modes. SINGLE_USER makes the issuing session the database's one
// user, even from master, until it disconnects or sets another mode; the other
// sessions in the database are waited for, refused (NO_WAIT) or ended
// (ROLLBACK), and the ended ones learn it by their connection closing.
#include "database_options.h"

#include "long_operation.h"
#include "messages.h"
#include "session_termination.h"

#include <chrono>
#include <thread>

namespace emulator {
namespace {

using Termination = AlterDatabaseStatement::Termination;
using namespace std::chrono_literals;

[[noreturn]] void refuse(ServerMessage cause) { fail({std::move(cause), server_message(5069)}); }

Database& altered_database(StatementContext& context, const std::u16string& name) {
    Database* database = context.catalog.find_database(name);
    if (!database) refuse(server_message(5011, {.name = name}));
    return *database;
}

std::u16string option_name(UserAccess access) {
    return access == UserAccess::single_user ? u"SINGLE_USER" : u"MULTI_USER";
}

// Waits, without the lock, until no other session is in the database or the
// deadline passes. False when the client asked for attention.
bool wait_for_others(StatementContext& context, const std::u16string& name,
                     std::optional<std::chrono::steady_clock::time_point> deadline) {
    while (context.catalog.database_in_use(name, context.spid)) {
        if (deadline && std::chrono::steady_clock::now() >= *deadline) return true;
        const Unlocked unlocked(context.lock);
        if (!wait_unless_attention(100ms, context.sink)) return false;
    }
    return true;
}

// Ends the other sessions in the database and says so as SQL Server does:
// an estimate at 0% and one at 100%.
void roll_back_others(StatementContext& context, const std::u16string& name) {
    const std::vector<int> others = context.catalog.sessions_in(name, context.spid);
    if (others.empty()) return;
    for (int spid : others) end_session(context.catalog, spid);
    ServerMessage started = server_message(5060, {.count = 0});
    started.state = 2;
    context.sink.message(started);
    context.sink.message(server_message(5060, {.count = 100}));
}

}  // namespace

Outcome run_alter_database(StatementContext& context, const AlterDatabaseStatement& alter) {
    Database* database = &altered_database(context, alter.database);
    const std::u16string name = database->name;
    if (equals_ci(name, u"master") || equals_ci(name, u"tempdb"))
        fail(server_message(5058, {.name = name, .other = option_name(alter.access)}));
    if (database->user_access == UserAccess::single_user && database->holder && *database->holder != context.spid)
        refuse(server_message(5064, {.name = name}));

    if (alter.access == UserAccess::single_user && context.catalog.database_in_use(name, context.spid)) {
        switch (alter.termination) {
            case Termination::no_wait:
                refuse(server_message(5070, {.name = name}));
            case Termination::wait:
                if (!wait_for_others(context, name, std::nullopt)) return {std::nullopt, true};
                break;
            case Termination::rollback_after:
                if (!wait_for_others(context, name, std::chrono::steady_clock::now() +
                                                        std::chrono::seconds(alter.rollback_after_seconds)))
                    return {std::nullopt, true};
                roll_back_others(context, name);
                break;
            case Termination::rollback_immediate:
                roll_back_others(context, name);
                break;
        }
        // The database may have gone while the lock was released.
        database = &altered_database(context, name);
    }
    database->user_access = alter.access;
    if (alter.access == UserAccess::single_user) database->holder = context.spid;
    else database->holder.reset();
    context.save();
    return {};
}

}  // namespace emulator
