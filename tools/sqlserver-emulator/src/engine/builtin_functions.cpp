// IS_SRVROLEMEMBER, SERVERPROPERTY, @@SPID and @@SERVERNAME as SQL Server
// documents them.
#include "builtin_functions.h"

#include "messages.h"
#include "query_scope.h"
#include "server_identity.h"
#include "text.h"

#include <array>
#include <functional>
#include <unistd.h>

namespace emulator {
namespace {

// The fixed server roles besides sysadmin and public. The stand-in adds no
// login to them (sp_addsrvrolemember refuses them), so nobody is a member.
constexpr std::array<std::u16string_view, 7> other_fixed_roles = {
    u"serveradmin", u"dbcreator", u"setupadmin", u"bulkadmin", u"securityadmin", u"diskadmin", u"processadmin"};

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
        login = context.catalog.find_login(context.session().login);
    }
    if (!login) return std::monostate{};
    if (equals_ci(*role, u"sysadmin")) return login->sysadmin ? 1 : 0;
    if (equals_ci(*role, u"public")) return 1;  // every login belongs to public
    if (equals_any_ci(other_fixed_roles, *role)) return 0;
    return std::monostate{};  // no user-defined server roles exist here
}

// MACHINE or MACHINE\INSTANCE; 2019 RTM reports the computer's name in capitals.
std::u16string server_name(const StatementContext& context) {
    const std::u16string& instance = context.options.instance.instance_name;
    return to_upper(context.options.machine_name) + (instance.empty() ? u"" : u"\\" + instance);
}

Value instance_name(const StatementContext& context) {
    const std::u16string& instance = context.options.instance.instance_name;
    if (instance.empty()) return std::monostate{};
    return instance;
}

struct Property {
    std::u16string_view name;
    ColumnType base_type;  // int or nvarchar(128)
    std::function<Value(const StatementContext&)> value;
};

Value text(std::u16string_view value) { return std::u16string(value); }

const std::vector<Property>& implemented_properties() {
    static const std::vector<Property> properties = {
        {u"MachineName", ColumnType::nvarchar, [](auto& c) { return Value(c.options.machine_name); }},
        // A stand-alone server: the same as MachineName.
        {u"ComputerNamePhysicalNetBIOS", ColumnType::nvarchar, [](auto& c) { return Value(c.options.machine_name); }},
        {u"ServerName", ColumnType::nvarchar, [](auto& c) { return Value(server_name(c)); }},
        // NULL for the default instance.
        {u"InstanceName", ColumnType::nvarchar, [](auto& c) { return instance_name(c); }},
        {u"ProductVersion", ColumnType::nvarchar, [](auto&) { return text(kProductVersion); }},
        {u"ProductLevel", ColumnType::nvarchar, [](auto&) { return text(u"RTM"); }},
        {u"ProductMajorVersion", ColumnType::nvarchar, [](auto&) { return Value(to_u16(kServerVersion.major)); }},
        {u"ProductMinorVersion", ColumnType::nvarchar, [](auto&) { return Value(to_u16(kServerVersion.minor)); }},
        {u"ProductBuild", ColumnType::nvarchar, [](auto&) { return Value(to_u16(kServerVersion.build)); }},
        {u"ProductUpdateLevel", ColumnType::nvarchar, [](auto&) { return Value(std::monostate{}); }},  // RTM: no CU
        {u"Collation", ColumnType::nvarchar, [](auto&) { return text(kServerCollationName); }},
        {u"LCID", ColumnType::int32, [](auto&) { return Value(kServerCollationLcid); }},
        {u"PathSeparator", ColumnType::nvarchar, [](auto&) { return text(u"\\"); }},
        {u"ProcessID", ColumnType::int32, [](auto&) { return Value(static_cast<int32_t>(::getpid())); }},
        {u"IsClustered", ColumnType::int32, [](auto&) { return Value(0); }},
        {u"IsSingleUser", ColumnType::int32, [](auto&) { return Value(0); }},
        {u"IsIntegratedSecurityOnly", ColumnType::int32,
         [](auto& c) { return Value(c.options.instance.windows_authentication_only ? 1 : 0); }},
        {u"IsLocalDB", ColumnType::int32, [](auto&) { return Value(0); }},
    };
    return properties;
}

// Properties SQL Server 2019 documents that the stand-in has no answer for.
constexpr std::array<std::u16string_view, 32> unimplemented_properties = {
    u"BuildClrVersion", u"CollationID", u"ComparisonStyle", u"Edition", u"EditionID", u"EngineEdition",
    u"FilestreamConfiguredLevel", u"FilestreamEffectiveLevel", u"FilestreamShareName", u"HadrManagerStatus",
    u"InstanceDefaultBackupPath", u"InstanceDefaultDataPath", u"InstanceDefaultLogPath",
    u"IsAdvancedAnalyticsInstalled", u"IsBigDataCluster", u"IsFullTextInstalled", u"IsHadrEnabled",
    u"IsPolyBaseInstalled", u"IsServerSuspendedForSnapshotBackup", u"IsTempDbMetadataMemoryOptimized",
    u"IsXTPSupported", u"LicenseType", u"NumLicenses", u"ProductBuildType", u"ProductUpdateReference",
    u"ResourceLastUpdateDateTime", u"ResourceVersion", u"SqlCharSet", u"SqlCharSetName", u"SqlSortOrder",
    u"SqlSortOrderName", u"SuspendedDatabaseCount"};

// An invalid name, or one this version does not have, is NULL.
Value server_property(StatementContext& context, const FunctionCall& call, const std::u16string& statement_text) {
    const auto* name = std::get_if<std::u16string>(&call.arguments[0]);
    if (!name) return std::monostate{};
    for (const auto& property : implemented_properties())
        if (equals_ci(property.name, *name)) return property.value(context);
    if (equals_any_ci(unimplemented_properties, *name)) fail(not_supported(statement_text));
    return std::monostate{};
}

}  // namespace

FunctionResult call_function(StatementContext& context, const FunctionCall& call,
                             const std::u16string& statement_text) {
    Value value;
    if (call.name == u"IS_SRVROLEMEMBER") {
        value = is_srvrolemember(context, call);
        if (!call.nvarchar_length) return {{u"", ColumnType::int32}, value};
    } else if (call.name == u"@@SPID") {
        value = context.spid;
        if (!call.nvarchar_length) return {{u"", ColumnType::smallint}, value};
    } else if (call.name == u"@@SERVERNAME") {
        value = server_name(context);
        if (!call.nvarchar_length) return {{u"", ColumnType::nvarchar, 128}, value};
    } else {
        // SERVERPROPERTY returns sql_variant, which the stand-in does not send.
        if (!call.nvarchar_length) fail(not_supported(statement_text));
        value = server_property(context, call, statement_text);
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
