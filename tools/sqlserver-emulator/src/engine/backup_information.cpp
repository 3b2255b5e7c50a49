// RESTORE HEADERONLY and RESTORE FILELISTONLY: the documented result sets of
// SQL Server 2019 (HEADERONLY up to EncryptorType, FILELISTONLY up to
// SnapshotURL), in their order and with their types.
#include "backup_restore.h"

#include "backup_device.h"
#include "long_operation.h"
#include "server_identity.h"

namespace emulator {
namespace {

Column text(const char16_t* name, int32_t length) { return {name, ColumnType::nvarchar, length}; }
Column typed(const char16_t* name, ColumnType type) { return {name, type}; }
Column numeric(const char16_t* name, uint8_t precision) { return {name, ColumnType::numeric, 0, precision}; }

template <typename T>
Value or_null(const std::optional<T>& value) {
    return value ? Value(*value) : Value(std::monostate{});
}

const Value null = std::monostate{};
// Shown by real 2019 and 2022 servers for a database backup written to a
// disk file, though the documentation lists 102 for a physical disk: a URL
// backup shows its "logical" 9 likewise.
constexpr int32_t disk_device = 2;
constexpr int32_t sql_server_vendor = 4608;
// The Unicode comparison style of a _CI_AS collation (case, kana type and
// width ignored), as real headers show it.
constexpr int32_t ci_as_comparison_style = 196609;
constexpr int32_t flag_checksums = 16;

const std::vector<Column>& header_columns() {
    static const std::vector<Column> columns = {
        text(u"BackupName", 128), text(u"BackupDescription", 255), typed(u"BackupType", ColumnType::smallint),
        typed(u"ExpirationDate", ColumnType::datetime),
        // Documented as BIT(1), but real servers show a number here where
        // they show True/False for the bit columns.
        typed(u"Compressed", ColumnType::tinyint), typed(u"Position", ColumnType::smallint),
        typed(u"DeviceType", ColumnType::tinyint), text(u"UserName", 128), text(u"ServerName", 128),
        text(u"DatabaseName", 128), typed(u"DatabaseVersion", ColumnType::int32),
        typed(u"DatabaseCreationDate", ColumnType::datetime), numeric(u"BackupSize", 20), numeric(u"FirstLSN", 25),
        numeric(u"LastLSN", 25), numeric(u"CheckpointLSN", 25), numeric(u"DatabaseBackupLSN", 25),
        typed(u"BackupStartDate", ColumnType::datetime), typed(u"BackupFinishDate", ColumnType::datetime),
        typed(u"SortOrder", ColumnType::smallint), typed(u"CodePage", ColumnType::smallint),
        typed(u"UnicodeLocaleId", ColumnType::int32), typed(u"UnicodeComparisonStyle", ColumnType::int32),
        typed(u"CompatibilityLevel", ColumnType::tinyint), typed(u"SoftwareVendorId", ColumnType::int32),
        typed(u"SoftwareVersionMajor", ColumnType::int32), typed(u"SoftwareVersionMinor", ColumnType::int32),
        typed(u"SoftwareVersionBuild", ColumnType::int32), text(u"MachineName", 128), typed(u"Flags", ColumnType::int32),
        typed(u"BindingID", ColumnType::uniqueidentifier), typed(u"RecoveryForkID", ColumnType::uniqueidentifier),
        text(u"Collation", 128), typed(u"FamilyGUID", ColumnType::uniqueidentifier),
        typed(u"HasBulkLoggedData", ColumnType::bit), typed(u"IsSnapshot", ColumnType::bit),
        typed(u"IsReadOnly", ColumnType::bit), typed(u"IsSingleUser", ColumnType::bit),
        typed(u"HasBackupChecksums", ColumnType::bit), typed(u"IsDamaged", ColumnType::bit),
        typed(u"BeginsLogChain", ColumnType::bit), typed(u"HasIncompleteMetaData", ColumnType::bit),
        typed(u"IsForceOffline", ColumnType::bit), typed(u"IsCopyOnly", ColumnType::bit),
        typed(u"FirstRecoveryForkID", ColumnType::uniqueidentifier), numeric(u"ForkPointLSN", 25),
        text(u"RecoveryModel", 60), numeric(u"DifferentialBaseLSN", 25),
        typed(u"DifferentialBaseGUID", ColumnType::uniqueidentifier), text(u"BackupTypeDescription", 60),
        typed(u"BackupSetGUID", ColumnType::uniqueidentifier), typed(u"CompressedBackupSize", ColumnType::bigint),
        typed(u"containment", ColumnType::tinyint), text(u"KeyAlgorithm", 32),
        {u"EncryptorThumbprint", ColumnType::varbinary, 20}, text(u"EncryptorType", 32)};
    return columns;
}

// One row for the one backup set a file here holds. The stand-in keeps no
// log sequence numbers, recovery forks, recovery model or code page: those
// are NULL.
std::vector<Value> header_row(const BackupContents& contents) {
    const BackupDescription& d = contents.description;
    const auto size = static_cast<int64_t>(contents.backup_bytes);
    return {or_null(d.name), or_null(d.description), 1 /* database */, null /* no expiration */,
            0 /* not compressed */, 1 /* position */, disk_device, or_null(d.user_name), or_null(d.server_name),
            d.database, d.database_version, or_null(d.database_created), size, null, null, null, null,
            or_null(d.started), or_null(d.finished), 0 /* a Windows collation has no SQL sort order */, null,
            kServerCollationLcid, ci_as_comparison_style,
            d.compatibility_level ? d.compatibility_level : d.server_version.major * 10 /* the version's own level */,
            sql_server_vendor, d.server_version.major, d.server_version.minor, d.server_version.build,
            or_null(d.machine_name), d.checksums ? flag_checksums : 0, null, null,
            std::u16string(kServerCollationName), null, 0, 0, 0, d.user_access == UserAccess::single_user ? 1 : 0,
            d.checksums ? 1 : 0, 0, 0, 0, 0,
            d.copy_only ? 1 : 0, null, null, null, null, null,
            // Real servers show "Database", though the documentation lists capitals.
            std::u16string(u"Database"), or_null(d.backup_set), size, 0 /* not contained */,
            null /* not encrypted */, null, null};
}

const std::vector<Column>& file_list_columns() {
    static const std::vector<Column> columns = {
        text(u"LogicalName", 128), text(u"PhysicalName", 260), {u"Type", ColumnType::character, 1},
        text(u"FileGroupName", 128), numeric(u"Size", 20), numeric(u"MaxSize", 20), typed(u"FileID", ColumnType::bigint),
        numeric(u"CreateLSN", 25), numeric(u"DropLSN", 25), typed(u"UniqueID", ColumnType::uniqueidentifier),
        numeric(u"ReadOnlyLSN", 25), numeric(u"ReadWriteLSN", 25), typed(u"BackupSizeInBytes", ColumnType::bigint),
        typed(u"SourceBlockSize", ColumnType::int32), typed(u"FileGroupID", ColumnType::int32),
        typed(u"LogGroupGUID", ColumnType::uniqueidentifier), numeric(u"DifferentialBaseLSN", 25),
        typed(u"DifferentialBaseGUID", ColumnType::uniqueidentifier), typed(u"IsReadOnly", ColumnType::bit),
        typed(u"IsPresent", ColumnType::bit), {u"TDEThumbprint", ColumnType::varbinary, 32}, text(u"SnapshotURL", 360)};
    return columns;
}

// A file without a limit shows 0xFFFFFFFF pages, as real servers show an
// unlimited data file (35184372080640 bytes).
int64_t max_size_bytes(const DatabaseFile& file) {
    const int64_t pages = file.max_pages < 0 ? int64_t{0xFFFFFFFF} : file.max_pages;
    return pages * static_cast<int64_t>(page_size);
}

std::vector<std::vector<Value>> file_list_rows(const BackupContents& contents) {
    const auto& files = contents.description.files;
    const std::vector<int32_t> ids = file_ids(files);
    std::vector<std::vector<Value>> rows;
    for (size_t i = 0; i < files.size(); ++i) {
        const DatabaseFile& file = files[i];
        const bool data = file.kind == FileKind::data;
        // Only the first data file's pages are in the backup; real servers show a log file's share as 0.
        const bool holds_data = ids[i] == 1;
        rows.push_back({file.logical, file.filename, std::u16string(data ? u"D" : u"L"),
                        data ? Value(std::u16string(u"PRIMARY")) : null,
                        static_cast<int64_t>(restored_file_size(contents, i)), max_size_bytes(file),
                        static_cast<int64_t>(ids[i]), null, null, null, null, null,
                        holds_data ? static_cast<int64_t>(contents.description.data_bytes) : int64_t{0}, null,
                        data ? 1 : 0, null, null, null, 0, 1, null, null});
    }
    return rows;
}

}  // namespace

std::u16string information_operation(const BackupInformationStatement& information) {
    return information.kind == BackupInformationStatement::Kind::header ? u"RESTORE HEADERONLY" : u"RESTORE FILELIST";
}

Outcome run_backup_information(StatementContext& context, const BackupInformationStatement& information) {
    const MessageArgs args{.operation = information_operation(information)};
    const FileHandle device(open_backup_device(information.device, context.options, args));
    const BackupContents contents = read_backup_device(device.get(), information.device, args);
    ResultSet result;
    if (information.kind == BackupInformationStatement::Kind::header) {
        // A newer server's header still reads; its files do not.
        result = {header_columns(), {header_row(contents)}};
    } else {
        refuse_newer_backup(contents.description, context.options.product_version.version, args);
        result = {file_list_columns(), file_list_rows(contents)};
    }
    context.sink.rows(result);
    return {result.rows.size(), false};
}

}  // namespace emulator
