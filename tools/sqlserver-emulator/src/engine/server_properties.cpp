// SERVERPROPERTY as SQL Server documents it, and @@VERSION as the releases'
// RTM builds print it. The operating system @@VERSION names is not the
// stand-in's concern: it names one Windows that each release ran on.
#include "server_properties.h"

#include "messages.h"
#include "server_edition.h"
#include "server_release.h"
#include "text.h"

#include <array>
#include <functional>
#include <unistd.h>

namespace emulator {
namespace {

const ServerVersion& version_of(const StatementContext& c) { return c.options.product_version.version; }

// The default data and log folders are properties from SQL Server 2012 on.
Value folder_property(const StatementContext& c, const std::u16string& folder) {
    if (version_of(c).major < 11) return std::monostate{};
    return folder;
}

Value instance_name(const StatementContext& c) {
    const std::u16string& instance = c.options.instance.instance_name;
    if (instance.empty()) return std::monostate{};
    return instance;
}

struct Property {
    std::u16string_view name;
    std::function<Value(const StatementContext&)> value;
};

Value text(std::u16string_view value) { return std::u16string(value); }

const std::vector<Property>& implemented_properties() {
    static const std::vector<Property> properties = {
        {u"MachineName", [](auto& c) { return Value(c.options.machine_name); }},
        // A stand-alone server: the same as MachineName.
        {u"ComputerNamePhysicalNetBIOS", [](auto& c) { return Value(c.options.machine_name); }},
        {u"ServerName", [](auto& c) { return Value(server_name(c.options)); }},
        // NULL for the default instance.
        {u"InstanceName", [](auto& c) { return instance_name(c); }},
        {u"ProductVersion", [](auto& c) { return Value(product_version_text(c.options.product_version)); }},
        {u"ProductLevel", [](auto&) { return text(u"RTM"); }},
        {u"ProductMajorVersion", [](auto& c) { return Value(to_u16(version_of(c).major)); }},
        {u"ProductMinorVersion", [](auto& c) { return Value(to_u16(version_of(c).minor)); }},
        {u"ProductBuild", [](auto& c) { return Value(to_u16(version_of(c).build)); }},
        {u"ProductUpdateLevel", [](auto&) { return Value(std::monostate{}); }},  // RTM: no CU
        {u"Edition", [](auto& c) { return Value(edition_text(c.options.edition, version_of(c))); }},
        {u"EditionID", [](auto& c) { return Value(edition_id(c.options.edition)); }},
        {u"EngineEdition", [](auto& c) { return Value(engine_edition(c.options.edition)); }},
        {u"InstanceDefaultDataPath", [](auto& c) { return folder_property(c, c.options.default_data_path); }},
        {u"InstanceDefaultLogPath", [](auto& c) { return folder_property(c, c.options.default_log_path); }},
        {u"Collation", [](auto&) { return text(kServerCollationName); }},
        {u"LCID", [](auto&) { return Value(kServerCollationLcid); }},
        {u"PathSeparator", [](auto&) { return text(u"\\"); }},
        {u"ProcessID", [](auto&) { return Value(static_cast<int32_t>(::getpid())); }},
        {u"IsClustered", [](auto&) { return Value(0); }},
        {u"IsSingleUser", [](auto&) { return Value(0); }},
        {u"IsIntegratedSecurityOnly",
         [](auto& c) { return Value(c.options.instance.windows_authentication_only ? 1 : 0); }},
        {u"IsLocalDB", [](auto&) { return Value(0); }},
    };
    return properties;
}

// Properties SQL Server 2019 documents that the stand-in has no answer for.
constexpr std::array<std::u16string_view, 26> unimplemented_properties = {
    u"BuildClrVersion", u"CollationID", u"ComparisonStyle", u"FilestreamConfiguredLevel",
    u"FilestreamEffectiveLevel", u"FilestreamShareName", u"HadrManagerStatus", u"InstanceDefaultBackupPath",
    u"IsAdvancedAnalyticsInstalled", u"IsBigDataCluster", u"IsFullTextInstalled", u"IsHadrEnabled",
    u"IsPolyBaseInstalled", u"IsServerSuspendedForSnapshotBackup", u"IsTempDbMetadataMemoryOptimized",
    u"IsXTPSupported", u"LicenseType", u"NumLicenses", u"ProductBuildType", u"ProductUpdateReference",
    u"ResourceLastUpdateDateTime", u"ResourceVersion", u"SqlCharSet", u"SqlCharSetName", u"SqlSortOrder",
    u"SqlSortOrderName"};

std::u16string operating_system(const ServerVersion& version) {
    if (version.major < 9) return u"Windows NT 5.2 (Build 3790: Service Pack 2)";
    if (version.major < 13) return u"Windows NT 6.1 <X64> (Build 7601: Service Pack 1)";
    return u"Windows Server 2019 Standard 10.0 <X64> (Build 17763: ) (Hypervisor)";
}

}  // namespace

Value server_property(StatementContext& context, const std::u16string& name, const std::u16string& statement_text) {
    for (const auto& property : implemented_properties())
        if (equals_ci(property.name, name)) return property.value(context);
    if (equals_any_ci(unimplemented_properties, name)) fail(not_supported(statement_text));
    return std::monostate{};  // an invalid name, or one this version does not have
}

// 2019 RTM reports the computer's name in capitals.
std::u16string server_name(const EngineOptions& options) {
    const std::u16string& instance = options.instance.instance_name;
    return to_upper(options.machine_name) + (instance.empty() ? u"" : u"\\" + instance);
}

std::u16string version_banner(const EngineOptions& options) {
    const ServerVersion& version = options.product_version.version;
    const Release& release = release_of(version);
    std::u16string banner = u"Microsoft SQL Server " + std::u16string(release.year);
    if (release.banner_names_level) banner += u" (RTM)";
    banner += u" - " + product_version_text(options.product_version) +
              (version.major < 9 ? u" (Intel X86)" : u" (X64)") + u" \n\t" + release.build_date + u" \n\t" +
              release.copyright + u"\n\t" + edition_text(options.edition, version) + u" on " +
              operating_system(version) + u"\n";
    return banner;
}

}  // namespace emulator
