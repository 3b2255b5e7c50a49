// Database users mapped to logins by SID, with SQL Server's refusals: a name
// in use (15023), an unknown login (15007), a login that already has a user
// here, dbo's among them (15063).
#include "user_statements.h"

#include "datetime.h"
#include "messages.h"
#include "principals.h"

namespace emulator {
namespace {

bool is_built_in_user(const std::u16string& name) {
    for (const auto& user : kBuiltInUsers)
        if (equals_ci(user.name, name)) return true;
    return false;
}

Database& current_database(StatementContext& context) {
    Database* database = context.catalog.find_database(context.session().database);
    if (!database) throw std::logic_error("the session's database is gone");
    return *database;
}

}  // namespace

Outcome run_create_user(StatementContext& context, const CreateUserStatement& create) {
    Database& database = current_database(context);
    if (is_built_in_user(create.name) || database.users.count(create.name))
        fail(server_message(15023, {.name = create.name}));
    // Without FOR LOGIN the user maps to the login of its own name.
    const std::u16string login_name = create.login.value_or(create.name);
    const Login* login = context.catalog.find_login(login_name);
    if (!login) fail(server_message(15007, {.name = login_name}));
    if (login->sid == database.owner_sid || user_with_sid(database, login->sid)) fail(server_message(15063));
    DatabaseUser user{create.name, free_user_principal_id(database), login->sid, create.default_schema.value_or(u"dbo"),
                      local_now()};
    database.users.emplace(user.name, std::move(user));
    context.save();
    return {};
}

Outcome run_drop_user(StatementContext& context, const DropUserStatement& drop) {
    Database& database = current_database(context);
    if (is_built_in_user(drop.name)) fail(server_message(15150, {.name = drop.name, .other = u"user", .operation = u"drop"}));
    if (!database.users.erase(drop.name))
        fail(server_message(15151, {.name = drop.name, .other = u"user", .operation = u"drop"}));
    context.save();
    return {};
}

}  // namespace emulator
