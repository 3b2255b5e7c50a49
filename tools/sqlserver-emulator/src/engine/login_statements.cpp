// Login statements with SQL Server's checks: the options' combination, an
// existing principal or SID, the default database, the password policy and a
// malformed hash.
#include "login_statements.h"

#include "datetime.h"
#include "messages.h"
#include "password_hash.h"
#include "password_policy.h"
#include "principals.h"

namespace emulator {
namespace {

const ServerVersion& server_version(const StatementContext& context) {
    return context.options.product_version.version;
}

// The stand-in speaks only us_english (also called English).
bool is_known_language(const std::optional<std::u16string>& language) {
    return !language || equals_ci(*language, u"us_english") || equals_ci(*language, u"English");
}

// CREATE LOGIN refuses a default database that does not exist (logins copied
// by dbatools' Copy-DbaLogin to a server without it fail for that reason); the
// number it raises is not documented, so it answers as sp_addlogin does.
const Database& default_database(StatementContext& context, const std::u16string& name) {
    const Database* database = context.catalog.find_database(name);
    if (!database) fail(server_message(15010, {.name = name}));
    return *database;
}

// The hash a PASSWORD option stores: the given one when HASHED (15021 when it
// is none of the forms this server reads), else the password's own, after the
// policy when the server enforces it and the login checks it. A hash cannot
// be judged by the policy, so HASHED passes it.
Binary password_hash(StatementContext& context, const std::u16string& login,
                     const std::variant<std::u16string, Binary>& password, bool check_policy) {
    if (const auto* hash = std::get_if<Binary>(&password)) {
        if (!is_acceptable_hash(*hash, server_version(context))) fail(server_message(15021, {.name = u"PASSWORD"}));
        return *hash;
    }
    const auto& text = std::get<std::u16string>(password);
    if (context.options.password_policy && check_policy)
        if (const auto violation = password_policy_violation(login, text)) fail(server_message(*violation));
    return hash_password(text, server_version(context));
}

Login& existing_login(StatementContext& context, const std::u16string& name, const ServerMessage& missing) {
    Login* login = context.catalog.find_login(name);
    if (!login) fail(missing);
    return *login;
}

ServerMessage raised_by(ServerMessage message, const std::u16string& procedure) {
    message.procedure = procedure;
    return message;
}

}  // namespace

void add_login(StatementContext& context, Login login) {
    login.principal_id = context.catalog.free_login_principal_id();
    login.created = login.modified = local_now();
    const std::u16string name = login.name;
    context.catalog.logins[name] = std::move(login);
    context.save();
}

Outcome run_create_login(StatementContext& context, const CreateLoginStatement& create,
                         const std::u16string& statement_text) {
    const LoginOptions& options = create.options;
    // A name with a backslash is a Windows login, which comes FROM WINDOWS.
    if (create.name.find(u'\\') != std::u16string::npos) fail(not_supported(statement_text));
    Login login;
    login.name = create.name;
    login.check_policy = options.check_policy.value_or(true);
    login.check_expiration = options.check_expiration.value_or(false);
    if (login.check_expiration && !login.check_policy) fail(server_message(15122));
    if (context.catalog.find_login(create.name)) fail(server_message(15025, {.name = create.name}));
    if (!is_known_language(options.default_language)) fail(not_supported(statement_text));
    login.default_database = default_database(context, options.default_database.value_or(u"master")).name;
    login.password_hash = password_hash(context, create.name, *options.password, login.check_policy);
    login.sid = new_login_sid();
    if (options.sid) {
        if (options.sid->size() != 16) fail(server_message(15419));
        if (context.catalog.find_login_by_sid(*options.sid)) fail(server_message(15433));
        login.sid = *options.sid;
    }
    // CHECK_EXPIRATION = ON is kept as a promise the stand-in never has to
    // keep: passwords expire after 42 days by default, longer than any run.
    add_login(context, std::move(login));
    return {};
}

Outcome run_alter_login(StatementContext& context, const AlterLoginStatement& alter,
                        const std::u16string& statement_text) {
    Login& login = existing_login(context, alter.name, server_message(15151, {.name = alter.name}));
    const LoginOptions& options = alter.options;
    if (!is_known_language(options.default_language)) fail(not_supported(statement_text));
    Login changed = login;
    if (alter.enable) changed.disabled = !*alter.enable;
    // Turning the policy on turns expiration on unless the statement says
    // otherwise; turning it off turns expiration off (ALTER LOGIN's remarks).
    if (options.check_policy) {
        changed.check_policy = *options.check_policy;
        changed.check_expiration = options.check_expiration.value_or(*options.check_policy);
    } else if (options.check_expiration) {
        changed.check_expiration = *options.check_expiration;
    }
    if (changed.check_expiration && !changed.check_policy) fail(server_message(15122));
    if (options.default_database) changed.default_database = default_database(context, *options.default_database).name;
    if (options.password) {
        // ALTER LOGIN documents that HASHED cannot be used with CHECK_POLICY
        // ON, but not the message it refuses with.
        if (std::holds_alternative<Binary>(*options.password) && changed.check_policy)
            fail(not_supported(statement_text));
        changed.password_hash = password_hash(context, login.name, *options.password, changed.check_policy);
    }
    changed.modified = local_now();
    login = std::move(changed);
    context.save();
    return {};
}

Outcome run_drop_login(StatementContext& context, const DropLoginStatement& drop) {
    drop_login(context, drop.name, server_message(15151, {.name = drop.name, .operation = u"drop"}), {});
    return {};
}

Outcome run_alter_server_role(StatementContext& context, const AlterServerRoleStatement& alter,
                              const std::u16string& statement_text) {
    if (!equals_ci(alter.role, u"sysadmin")) {
        for (const auto& role : kServerRoles)
            if (equals_ci(role.name, alter.role)) fail(not_supported(statement_text));
        fail(server_message(15151, {.name = alter.role, .other = u"server role"}));
    }
    const std::u16string operation = alter.add ? u"add" : u"drop";
    set_sysadmin(context, alter.member, alter.add,
                 server_message(15151, {.name = alter.member, .other = u"principal", .operation = operation}), {});
    return {};
}

void drop_login(StatementContext& context, const std::u16string& name, const ServerMessage& missing,
                const std::u16string& procedure) {
    const Login& login = existing_login(context, name, missing);
    if (login.sid == kSaSid) fail(raised_by(server_message(15405, {.name = login.name}), procedure));
    for (const auto& [spid, session] : context.catalog.sessions)
        if (!session.ended && equals_ci(session.login, name))
            fail(raised_by(server_message(15434, {.name = login.name}), procedure));
    for (const auto& [database_name, database] : context.catalog.databases)
        if (database.owner_sid == login.sid) fail(raised_by(server_message(15174, {.name = login.name}), procedure));
    // Users mapped to the login stay, orphaned, as DROP LOGIN documents.
    context.catalog.logins.erase(name);
    context.save();
}

void set_sysadmin(StatementContext& context, const std::u16string& name, bool member, const ServerMessage& missing,
                  const std::u16string& procedure) {
    Login& login = existing_login(context, name, missing);
    if (login.sid == kSaSid && !member) fail(raised_by(server_message(15405, {.name = login.name}), procedure));
    login.sysadmin = member;
    context.save();
}

}  // namespace emulator
