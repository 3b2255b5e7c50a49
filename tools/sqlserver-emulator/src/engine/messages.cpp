// The message catalog: SQL Server's numbers, severities, states and texts.
#include "messages.h"

#include "text.h"

#include <functional>
#include <map>

namespace emulator {
namespace {

struct CatalogEntry {
    uint8_t severity;
    uint8_t state;
    std::function<std::u16string(const MessageArgs&)> text;
};

std::u16string q(const std::u16string& s) { return u"'" + s + u"'"; }

std::u16string or_default(const std::u16string& value, const char16_t* fallback) {
    return value.empty() ? std::u16string(fallback) : value;
}

std::u16string throughput(const MessageArgs& a) {
    // MB/sec with three decimals; pages are 8 KiB.
    const int64_t ms = a.milliseconds > 0 ? a.milliseconds : 1;
    const int64_t thousandths_mb_per_sec = a.count * 8192 * 1000000 / 1048576 / ms;
    return format_milli(thousandths_mb_per_sec);
}

const std::map<int32_t, CatalogEntry>& catalog() {
    static const std::map<int32_t, CatalogEntry> entries = {
        {102, {15, 1, [](auto& a) { return u"Incorrect syntax near " + q(a.name) + u"."; }}},
        {201, {16, 4, [](auto& a) { return u"Procedure or function " + q(a.name) + u" expects parameter " + q(a.other) + u", which was not supplied."; }}},
        {207, {16, 1, [](auto& a) { return u"Invalid column name " + q(a.name) + u"."; }}},
        {208, {16, 1, [](auto& a) { return u"Invalid object name " + q(a.name) + u"."; }}},
        {209, {16, 1, [](auto& a) { return u"Ambiguous column name " + q(a.name) + u"."; }}},
        {213, {16, 1, [](auto&) { return std::u16string(u"Column name or number of supplied values does not match table definition."); }}},
        {109, {15, 1, [](auto&) { return std::u16string(u"There are more columns in the INSERT statement than values specified in the VALUES clause. The number of values in the VALUES clause must match the number of columns specified in the INSERT statement."); }}},
        {110, {15, 1, [](auto&) { return std::u16string(u"There are fewer columns in the INSERT statement than values specified in the VALUES clause. The number of values in the VALUES clause must match the number of columns specified in the INSERT statement."); }}},
        {245, {16, 1, [](auto& a) { return u"Conversion failed when converting the nvarchar value " + q(a.name) + u" to data type int."; }}},
        {259, {16, 1, [](auto&) { return std::u16string(u"Ad hoc updates to system catalogs are not allowed."); }}},
        {263, {16, 1, [](auto&) { return std::u16string(u"Must specify table to select from."); }}},
        {297, {16, 1, [](auto&) { return std::u16string(u"The user does not have permission to perform this action."); }}},
        {300, {14, 1, [](auto& a) { return a.operation + u" permission was denied on object " + q(a.name) + u", database " + q(a.other) + u"."; }}},
        {515, {16, 2, [](auto& a) { return u"Cannot insert the value NULL into column " + q(a.name) + u", table " + q(a.other) + u"; column does not allow nulls. INSERT fails."; }}},
        {911, {16, 1, [](auto& a) { return u"Database " + q(a.name) + u" does not exist. Make sure that the name is entered correctly."; }}},
        {916, {14, 1, [](auto& a) { return u"The server principal \"" + a.name + u"\" is not able to access the database \"" + a.other + u"\" under the current security context."; }}},
        {924, {14, 1, [](auto& a) { return u"Database " + q(a.name) + u" is already open and can only have one user at a time."; }}},
        {927, {14, 1, [](auto& a) { return u"Database " + q(a.name) + u" cannot be opened. It is in the middle of a restore."; }}},
        {1801, {16, 3, [](auto& a) { return u"Database " + q(a.name) + u" already exists. Choose a different database name."; }}},
        {1802, {16, 1, [](auto&) { return std::u16string(u"CREATE DATABASE failed. Some file names listed could not be created. Check related errors."); }}},
        {1827, {16, 1, [](auto& a) { return u"CREATE DATABASE or ALTER DATABASE failed because the resulting cumulative database size would exceed your licensed limit of " + to_u16(a.count) + u" MB per database."; }}},
        {1834, {16, 1, [](auto& a) { return u"The file " + q(a.path) + u" cannot be overwritten.  It is being used by database " + q(a.other) + u"."; }}},
        {2714, {16, 6, [](auto& a) { return u"There is already an object named " + q(a.name) + u" in the database."; }}},
        {2705, {16, 3, [](auto& a) { return u"Column names in each table must be unique. Column name " + q(a.name) + u" in table " + q(a.other) + u" is specified more than once."; }}},
        {3013, {16, 1, [](auto& a) { return or_default(a.operation, u"RESTORE DATABASE") + u" is terminating abnormally."; }}},
        {3014, {0, 1, [](auto& a) {
             return or_default(a.operation, u"RESTORE DATABASE") + u" successfully processed " + to_u16(a.count) +
                    u" pages in " + format_milli(a.milliseconds) + u" seconds (" + throughput(a) + u" MB/sec).";
         }}},
        {3101, {16, 1, [](auto&) { return std::u16string(u"Exclusive access could not be obtained because the database is in use."); }}},
        {3119, {16, 1, [](auto&) { return std::u16string(u"Problems were identified while planning for the RESTORE statement. Previous messages provide details."); }}},
        {3142, {16, 1, [](auto& a) { return u"File \"" + a.logical + u"\" cannot be restored over the existing \"" + a.path + u"\". Reissue the RESTORE statement using WITH REPLACE to overwrite pre-existing files, or WITH MOVE to identify an alternate file location."; }}},
        {3154, {16, 4, [](auto& a) { return u"The backup set holds a backup of a database other than the existing " + q(a.name) + u" database."; }}},
        {3156, {16, 3, [](auto& a) { return u"File " + q(a.name) + u" cannot be restored to " + q(a.path) + u". Use WITH MOVE to identify a valid location for the file."; }}},
        {3169, {16, 1, [](auto& a) { return u"The database was backed up on a server running version " + a.other + u". That version is incompatible with this server, which is running version " + a.name + u". Either restore the database on a server that supports the backup, or use a backup that is compatible with this server."; }}},
        {3201, {16, 2, [](auto& a) { return u"Cannot open backup device " + q(a.path) + u". Operating system error " + or_default(a.os_error, os_file_not_found) + u"."; }}},
        {3202, {16, 1, [](auto& a) { return u"Write on \"" + a.path + u"\" failed: " + or_default(a.os_error, os_disk_full); }}},
        {3211, {10, 1, [](auto& a) { return to_u16(a.count) + u" percent processed."; }}},
        {3234, {16, 2, [](auto& a) { return u"Logical file " + q(a.logical) + u" is not part of database " + q(a.name) + u". Use RESTORE FILELISTONLY to list the logical file names."; }}},
        {3241, {16, 0, [](auto& a) { return u"The media family on device " + q(a.path) + u" is incorrectly formed. SQL Server cannot process this media family."; }}},
        {3257, {16, 1, [](auto& a) { return u"There is insufficient free space on disk volume " + q(a.path) + u" to create the database. The database requires " + to_u16(a.count) + u" additional free bytes, while only " + to_u16(a.available) + u" bytes are available."; }}},
        {3634, {16, 1, [](auto& a) { return u"The operating system returned the error " + q(or_default(a.os_error, os_access_denied)) + u" while attempting 'RestoreContainer::ValidateTargetForCreation' on " + q(a.path) + u"."; }}},
        {3701, {11, 1, [](auto& a) { return u"Cannot drop the database " + q(a.name) + u", because it does not exist or you do not have permission."; }}},
        {3702, {16, 3, [](auto& a) { return u"Cannot drop database \"" + a.name + u"\" because it is currently in use."; }}},
        {3708, {16, 1, [](auto& a) { return u"Cannot drop the database " + q(a.name) + u" because it is a system database."; }}},
        {4035, {0, 1, [](auto& a) { return u"Processed " + to_u16(a.count) + u" pages for database " + q(a.name) + u", file " + q(a.logical) + u" on file 1."; }}},
        {4060, {11, 1, [](auto& a) { return u"Cannot open database \"" + a.name + u"\" requested by the login. The login failed."; }}},
        {4064, {11, 1, [](auto&) { return std::u16string(u"Cannot open user default database. Login failed."); }}},
        {4104, {16, 1, [](auto& a) { return u"The multi-part identifier \"" + a.name + u"\" could not be bound."; }}},
        {5011, {14, 5, [](auto& a) { return u"User does not have permission to alter database " + q(a.name) + u", the database does not exist, or the database is not in a state that allows access checks."; }}},
        {5039, {16, 1, [](auto&) { return std::u16string(u"MODIFY FILE failed. Specified size is less than or equal to current size."); }}},
        {5040, {16, 1, [](auto&) { return std::u16string(u"MODIFY FILE failed. Size is greater than MAXSIZE."); }}},
        {5041, {16, 1, [](auto& a) { return u"MODIFY FILE failed. File " + q(a.logical) + u" does not exist."; }}},
        {5058, {16, 5, [](auto& a) { return u"Option " + q(a.other) + u" cannot be set in database " + q(a.name) + u"."; }}},
        {5060, {0, 1, [](auto& a) { return u"Nonqualified transactions are being rolled back. Estimated rollback completion: " + to_u16(a.count) + u"%."; }}},
        {5064, {16, 1, [](auto& a) { return u"Changes to the state or options of database " + q(a.name) + u" cannot be made at this time. The database is in single-user mode, and a user is currently connected to it."; }}},
        {5069, {16, 1, [](auto&) { return std::u16string(u"ALTER DATABASE statement failed."); }}},
        {5070, {16, 2, [](auto& a) { return u"Database state cannot be changed while other users are using the database " + q(a.name); }}},
        {5123, {16, 1, [](auto& a) { return u"CREATE FILE encountered operating system error " + or_default(a.os_error, os_path_not_found) + u" while attempting to open or create the physical file " + q(a.path) + u"."; }}},
        {5133, {16, 1, [](auto& a) { return u"Directory lookup for the file \"" + a.path + u"\" failed with the operating system error " + or_default(a.os_error, os_path_not_found) + u"."; }}},
        {5149, {16, 3, [](auto& a) { return u"MODIFY FILE encountered operating system error " + or_default(a.os_error, os_disk_full) + u" while attempting to expand the physical file " + q(a.path) + u"."; }}},
        {5170, {16, 1, [](auto& a) { return u"Cannot create file " + q(a.path) + u" because it already exists. Change the file path or the file name, and retry the operation."; }}},
        {5701, {0, 1, [](auto& a) { return u"Changed database context to " + q(a.name) + u"."; }}},
        {5703, {0, 1, [](auto& a) { return u"Changed language setting to " + or_default(a.name, u"us_english") + u"."; }}},
        {6102, {14, 2, [](auto&) { return std::u16string(u"User does not have permission to use the KILL statement."); }}},
        {6104, {16, 1, [](auto&) { return std::u16string(u"Cannot use KILL to kill your own process."); }}},
        {6106, {16, 2, [](auto& a) { return u"Process ID " + to_u16(a.count) + u" is not an active process ID."; }}},
        {6107, {14, 1, [](auto&) { return std::u16string(u"Only user processes can be killed."); }}},
        {8120, {16, 1, [](auto& a) { return u"Column " + q(a.name) + u" is invalid in the select list because it is not contained in either an aggregate function or the GROUP BY clause."; }}},
        {8144, {16, 2, [](auto& a) { return u"Procedure or function " + a.name + u" has too many arguments specified."; }}},
        {8152, {16, 13, [](auto&) { return std::u16string(u"String or binary data would be truncated."); }}},
        {15007, {16, 1, [](auto& a) { return q(a.name) + u" is not a valid login or you do not have permission."; }}},
        {15010, {16, 1, [](auto& a) { return u"The database " + q(a.name) + u" does not exist. Supply a valid database name. To see available databases, use sys.databases."; }}},
        {15021, {16, 2, [](auto& a) { return u"Invalid value given for parameter " + a.name + u". Specify a valid parameter value."; }}},
        {15023, {16, 1, [](auto& a) { return u"User, group, or role " + q(a.name) + u" already exists in the current database."; }}},
        {15025, {16, 1, [](auto& a) { return u"The server principal " + q(a.name) + u" already exists."; }}},
        {15063, {16, 1, [](auto&) { return std::u16string(u"The login already has an account under a different user name."); }}},
        {15116, {16, 1, [](auto&) { return std::u16string(u"Password validation failed. The password does not meet Windows policy requirements because it is too short."); }}},
        {15118, {16, 1, [](auto&) { return std::u16string(u"Password validation failed. The password does not meet Windows policy requirements because it is not complex enough."); }}},
        {15122, {16, 1, [](auto&) { return std::u16string(u"The CHECK_EXPIRATION option cannot be used when CHECK_POLICY is OFF."); }}},
        {15150, {16, 1, [](auto& a) { return u"Cannot " + or_default(a.operation, u"alter") + u" the " + or_default(a.other, u"login") + u" " + q(a.name) + u"."; }}},
        {15151, {16, 1, [](auto& a) { return u"Cannot " + or_default(a.operation, u"alter") + u" the " + or_default(a.other, u"login") + u" " + q(a.name) + u", because it does not exist or you do not have permission."; }}},
        {15174, {16, 1, [](auto& a) { return u"Login " + q(a.name) + u" owns one or more database(s). Change the owner of the database(s) before dropping the login."; }}},
        {15405, {11, 1, [](auto& a) { return u"Cannot use the special principal " + q(a.name) + u"."; }}},
        {15419, {16, 1, [](auto&) { return std::u16string(u"Supplied parameter sid should be binary(16)."); }}},
        {15433, {16, 1, [](auto&) { return std::u16string(u"Supplied parameter sid is in use."); }}},
        {15434, {16, 1, [](auto& a) { return u"Could not drop login " + q(a.name) + u" as the user is currently logged in."; }}},
        {17187, {16, 1, [](auto&) { return std::u16string(u"SQL Server is not ready to accept new client connections. Wait a few minutes before trying again. If you have access to the error log, look for the informational message that indicates that SQL Server is ready before trying to connect again."); }}},
        {18456, {14, 1, [](auto& a) { return u"Login failed for user " + q(a.name) + u"."; }}},
        {18470, {14, 1, [](auto& a) { return u"Login failed for user " + q(a.name) + u". Reason: The account is disabled."; }}},
    };
    return entries;
}

}  // namespace

ServerMessage server_message(int32_t number, const MessageArgs& args) {
    ServerMessage message;
    message.number = number;
    message.procedure = args.procedure;
    const auto entry = catalog().find(number);
    if (entry == catalog().end()) {
        message.severity = 16;
        message.state = 1;
        message.text = u"SQL Server error " + to_u16(number) + u" was raised.";
        return message;
    }
    message.severity = entry->second.severity;
    message.state = entry->second.state;
    message.text = entry->second.text(args);
    return message;
}

ServerMessage not_supported(const std::u16string& statement_text) {
    ServerMessage message;
    message.number = 50000;
    message.severity = 16;
    message.state = 1;
    message.text = u"The SQL Server emulator does not support the statement '" + statement_text + u"'.";
    return message;
}

}  // namespace emulator
