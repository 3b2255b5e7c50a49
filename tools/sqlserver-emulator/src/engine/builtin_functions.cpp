// IS_SRVROLEMEMBER, the identity functions and the server's own properties
// as SQL Server documents them.
#include "builtin_functions.h"

#include "messages.h"
#include "principals.h"
#include "query_scope.h"
#include "server_properties.h"
#include "text.h"

#include <array>

namespace emulator {
namespace {

// The fixed server roles besides sysadmin and public. The stand-in adds no
// login to them (sp_addsrvrolemember refuses them), so nobody is a member.
constexpr std::array<std::u16string_view, 7> other_fixed_roles = {
    u"serveradmin", u"dbcreator", u"setupadmin", u"bulkadmin", u"securityadmin", u"diskadmin", u"processadmin"};

const Login* session_login(StatementContext& context) { return context.catalog.find_login(context.session().login); }

// 1 member, 0 not, NULL for a role or login that does not exist. The function
// reports membership, not permissions, so sysadmin members are not members of
// the other fixed roles.
Value is_srvrolemember(StatementContext& context, const FunctionCall& call) {
    const auto* role = std::get_if<std::u16string>(&call.arguments[0]);
    if (!role) return std::monostate{};
    const Login* login = nullptr;
    if (call.arguments.size() == 2) {
        const auto* name = std::get_if<std::u16string>(&call.arguments[1]);
        if (!name) return std::monostate{};
        login = context.catalog.find_login(*name);
    } else {
        login = session_login(context);
    }
    if (!login) return std::monostate{};
    if (equals_ci(*role, u"sysadmin")) return login->sysadmin ? 1 : 0;
    if (equals_ci(*role, u"public")) return 1;  // every login belongs to public
    if (equals_any_ci(other_fixed_roles, *role)) return 0;
    return std::monostate{};  // no user-defined server roles exist here
}

// USER_NAME() and CURRENT_USER: the session's user in its database;
// USER_NAME(id): the user with that principal_id there, or NULL.
Value user_name(StatementContext& context, const FunctionCall& call) {
    const Database* database = context.catalog.find_database(context.session().database);
    if (!database) return std::monostate{};
    if (call.arguments.empty()) {
        const Login* login = session_login(context);
        const auto user = login ? database_user_of(*login, *database) : std::nullopt;
        return user ? Value(*user) : Value(std::monostate{});
    }
    const auto* id = std::get_if<int32_t>(&call.arguments[0]);
    if (!id) return std::monostate{};
    for (const auto& user : kBuiltInUsers)
        if (user.principal_id == *id) return std::u16string(user.name);
    for (const auto& [name, user] : database->users)
        if (user.principal_id == *id) return user.name;
    return std::monostate{};
}

// SUSER_SNAME(): the session's login; SUSER_SNAME(sid): the login of that
// SID, or NULL.
Value suser_sname(StatementContext& context, const FunctionCall& call) {
    if (call.arguments.empty()) return context.session().login;
    const auto* sid = std::get_if<Binary>(&call.arguments[0]);
    const Login* login = sid ? context.catalog.find_login_by_sid(*sid) : nullptr;
    return login ? Value(login->name) : Value(std::monostate{});
}

// The call's value and the type it has unconverted; nullopt for
// SERVERPROPERTY, whose sql_variant the stand-in does not send.
std::pair<Value, std::optional<Column>> evaluate(StatementContext& context, const FunctionCall& call,
                                                 const std::u16string& statement_text) {
    if (call.name == u"IS_SRVROLEMEMBER") return {is_srvrolemember(context, call), Column{u"", ColumnType::int32}};
    if (call.name == u"USER_NAME" || call.name == u"CURRENT_USER")
        return {user_name(context, call), Column{u"", ColumnType::nvarchar, 128}};
    if (call.name == u"SUSER_SNAME") return {suser_sname(context, call), Column{u"", ColumnType::nvarchar, 128}};
    if (call.name == u"@@SPID") return {context.spid, Column{u"", ColumnType::smallint}};
    if (call.name == u"@@SERVERNAME")
        return {server_name(context.options), Column{u"", ColumnType::nvarchar, 128}};
    if (call.name == u"@@VERSION")
        return {version_banner(context.options), Column{u"", ColumnType::nvarchar, 300}};
    const auto* property = std::get_if<std::u16string>(&call.arguments[0]);
    return {property ? server_property(context, *property, statement_text) : Value(std::monostate{}), std::nullopt};
}

}  // namespace

FunctionResult call_function(StatementContext& context, const FunctionCall& call,
                             const std::u16string& statement_text) {
    auto [value, type] = evaluate(context, call, statement_text);
    if (!call.nvarchar_length) {
        if (!type) fail(not_supported(statement_text));  // SERVERPROPERTY returns sql_variant
        return {*type, value};
    }
    const Conversion conversion{ColumnType::nvarchar, *call.nvarchar_length};
    return {{u"", ColumnType::nvarchar, conversion.length}, convert_value(value, conversion, statement_text)};
}

std::vector<Comparison> with_calls_evaluated(StatementContext& context, const std::vector<Comparison>& where,
                                            const std::u16string& statement_text) {
    auto evaluated = [&](const Operand& operand) -> Operand {
        if (const auto* call = std::get_if<FunctionCall>(&operand))
            return call_function(context, *call, statement_text).value;
        return operand;
    };
    std::vector<Comparison> comparisons;
    for (const auto& comparison : where) comparisons.push_back({evaluated(comparison.left), evaluated(comparison.right)});
    return comparisons;
}

}  // namespace emulator
