// Login procedures with SQL Server's checks and messages.
#include "login_procedures.h"

#include "login_statements.h"
#include "messages.h"
#include "password_hash.h"
#include "password_policy.h"

#include <initializer_list>
#include <vector>

namespace emulator {
namespace {

// A procedure's arguments as character strings; numbers pass as their text.
class Arguments {
public:
    // Too many arguments is message 8144, as SQL Server checks before running.
    Arguments(const ExecStatement& exec, std::initializer_list<const char16_t*> parameters)
        : exec_(exec), parameters_(parameters) {
        if (exec.arguments.size() > parameters_.size())
            fail(server_message(8144, {.name = exec.procedure, .procedure = exec.procedure}));
    }

    // A parameter without a default; message 201 when it was not given.
    std::u16string required(size_t index) const {
        if (index >= exec_.arguments.size())
            fail(server_message(201, {.name = exec_.procedure, .other = parameters_[index], .procedure = exec_.procedure}));
        return optional(index);
    }
    std::u16string optional(size_t index) const {
        if (index >= exec_.arguments.size()) return {};
        const auto& argument = exec_.arguments[index];
        if (const auto* text = std::get_if<std::u16string>(&argument)) return *text;
        if (const auto* number = std::get_if<int32_t>(&argument)) return to_u16(*number);
        return {};
    }

private:
    const ExecStatement& exec_;
    std::vector<const char16_t*> parameters_;
};

ServerMessage raised_by(int32_t number, const std::u16string& name, const char16_t* procedure) {
    return server_message(number, {.name = name, .procedure = procedure});
}

void add_login_procedure(StatementContext& context, const ExecStatement& exec) {
    const Arguments args(exec, {u"@loginame", u"@passwd", u"@defdb"});
    const std::u16string name = args.required(0);
    const std::u16string default_database = args.optional(2).empty() ? u"master" : args.optional(2);
    if (context.catalog.find_login(name)) fail(raised_by(15025, name, u"sp_addlogin"));
    const Database* database = context.catalog.find_database(default_database);
    if (!database) fail(raised_by(15010, default_database, u"sp_addlogin"));
    // sp_addlogin creates the login with CHECK_POLICY at its default, ON.
    const std::u16string password = args.optional(1);
    if (context.options.password_policy)
        if (const auto violation = password_policy_violation(name, password))
            fail(server_message(*violation, {.procedure = u"sp_addlogin"}));
    Login login;
    login.name = name;
    login.sid = new_login_sid();
    login.password_hash = hash_password(password, context.options.product_version.version);
    login.default_database = database->name;
    add_login(context, std::move(login));
}

void drop_login_procedure(StatementContext& context, const ExecStatement& exec) {
    const Arguments args(exec, {u"@loginame"});
    const std::u16string name = args.required(0);
    drop_login(context, name, raised_by(15007, name, u"sp_droplogin"), u"sp_droplogin");
}

// Only sysadmin means anything to the stand-in; another role would be
// accepted without effect, so it is refused as unsupported.
void change_server_role_member(StatementContext& context, const ExecStatement& exec,
                               const std::u16string& statement_text, bool member) {
    const Arguments args(exec, {u"@loginame", u"@rolename"});
    const std::u16string name = args.required(0);
    const std::u16string role = args.required(1);
    if (!equals_ci(role, u"sysadmin")) fail(not_supported(statement_text));
    const char16_t* procedure = member ? u"sp_addsrvrolemember" : u"sp_dropsrvrolemember";
    set_sysadmin(context, name, member, raised_by(15007, name, procedure), procedure);
}

void set_default_database(StatementContext& context, const ExecStatement& exec) {
    const Arguments args(exec, {u"@loginame", u"@defdb"});
    const std::u16string name = args.required(0);
    const std::u16string database_name = args.required(1);
    // sp_defaultdb checks its arguments itself before it alters the login, as
    // sp_droplogin and sp_addlogin do, so it answers with their messages
    // (15007 for the login, 15010 for the database) rather than ALTER LOGIN's
    // 15151.
    Login* login = context.catalog.find_login(name);
    if (!login) fail(raised_by(15007, name, u"sp_defaultdb"));
    const Database* database = context.catalog.find_database(database_name);
    if (!database) fail(raised_by(15010, database_name, u"sp_defaultdb"));
    login->default_database = database->name;
    context.save();
}

}  // namespace

std::optional<Outcome> run_login_procedure(StatementContext& context, const ExecStatement& exec,
                                           const std::u16string& statement_text) {
    if (equals_ci(exec.procedure, u"sp_addlogin")) add_login_procedure(context, exec);
    else if (equals_ci(exec.procedure, u"sp_droplogin")) drop_login_procedure(context, exec);
    else if (equals_ci(exec.procedure, u"sp_addsrvrolemember")) change_server_role_member(context, exec, statement_text, true);
    else if (equals_ci(exec.procedure, u"sp_dropsrvrolemember")) change_server_role_member(context, exec, statement_text, false);
    else if (equals_ci(exec.procedure, u"sp_defaultdb")) set_default_database(context, exec);
    else return std::nullopt;
    return Outcome{};
}

}  // namespace emulator
