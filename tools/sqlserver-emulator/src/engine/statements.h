// The statements the stand-in runs, as the parser hands them to the executors.
#pragma once

#include "catalog.h"
#include "response_sink.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace emulator {

// [database.][schema.]name; empty parts were not written.
struct ObjectName {
    std::u16string database;
    std::u16string schema;
    std::u16string name;
    std::u16string written;  // as written, for messages 208 and the like
};

struct ColumnRef {
    std::u16string qualifier;  // table alias or name; empty when unqualified
    std::u16string column;
    std::u16string written() const { return qualifier.empty() ? column : qualifier + u"." + column; }
};

// A call of a built-in function, with literal arguments, possibly converted
// to nvarchar(n) by CONVERT or CAST; CURRENT_USER and the global variables
// @@SPID, @@SERVERNAME and @@VERSION are calls without arguments.
struct FunctionCall {
    // In capitals: IS_SRVROLEMEMBER, SERVERPROPERTY, USER_NAME, SUSER_SNAME,
    // CURRENT_USER, @@SPID, @@SERVERNAME or @@VERSION.
    std::u16string name;
    std::vector<Value> arguments;
    std::optional<int32_t> nvarchar_length;  // set when converted
};

// A function call in a comparison is evaluated before rows are matched.
using Operand = std::variant<ColumnRef, Value, FunctionCall>;

struct Comparison {
    Operand left;
    Operand right;
};

// CONVERT(type, column) or CAST(column AS type) in a select list: to
// nvarchar(n), varchar(n) or int.
struct Conversion {
    ColumnType type = ColumnType::nvarchar;
    int32_t length = 0;  // characters; 0 for int
};

struct SelectItem {
    enum class Kind { column, count_rows, count_column, all_columns, constant, function };
    Kind kind = Kind::column;
    ColumnRef column;  // for column and count_column
    std::optional<Conversion> conversion;  // for column
    Value constant;
    FunctionCall function;
    std::u16string alias;
};

struct TableRef {
    ObjectName table;
    std::u16string alias;
};

struct SelectStatement {
    std::vector<SelectItem> items;
    std::vector<TableRef> from;
    std::vector<Comparison> where;  // joined by AND
};

struct InsertStatement {
    ObjectName table;
    std::vector<std::u16string> columns;  // empty: every column in order
    std::vector<std::vector<Value>> rows;
};

struct DeleteStatement {
    ObjectName table;
    std::vector<Comparison> where;
};

struct ColumnDefinition {
    std::u16string name;
    std::u16string type;  // upper case: INT, NVARCHAR, VARCHAR, CHAR, NCHAR
    int32_t length = 0;   // characters; 0 for INT, -1 for MAX
    bool nullable = true;
};

struct CreateTableStatement {
    ObjectName table;
    std::vector<ColumnDefinition> columns;
};

struct FileSpec {
    std::u16string logical;
    std::u16string filename;
    int64_t size_bytes = 0;                 // 0: the default size
    std::optional<int64_t> max_size_bytes{};  // nullopt: the default; -1: UNLIMITED
    std::optional<int64_t> growth{};          // bytes, or percent when growth_percent
    bool growth_percent = false;
};

struct CreateDatabaseStatement {
    std::u16string name;
    std::vector<FileSpec> data_files;  // empty: plain CREATE DATABASE
    std::vector<FileSpec> log_files;
};

struct DropDatabaseStatement {
    std::u16string name;
};

struct UseStatement {
    std::u16string database;
};

struct SetStatement {
    std::optional<bool> quoted_identifier;  // set when the statement names it
    std::u16string language;                // set by SET LANGUAGE
};

using ProcedureArgument = std::variant<std::monostate, int32_t, std::u16string>;

struct ExecStatement {
    std::u16string procedure;  // without the schema, e.g. sp_addlogin
    std::vector<ProcedureArgument> arguments;
};

struct MoveOption {
    std::u16string logical;
    std::u16string target;
};

struct BackupStatement {
    std::u16string database;
    std::u16string device;
    bool init = false;       // INIT or FORMAT: overwrite the file's backup sets
    bool copy_only = false;
    bool checksum = false;
    int stats_percent = 0;   // 0: no progress messages
    std::optional<std::u16string> name{};
    std::optional<std::u16string> description{};
};

struct RestoreStatement {
    std::u16string database;
    std::u16string device;
    int stats_percent = 0;  // 0: no progress messages
    bool replace = false;
    std::vector<MoveOption> moves;
};

// The options of a SQL Server login that CREATE LOGIN and ALTER LOGIN ... WITH
// name; unset when the statement leaves them out.
struct LoginOptions {
    std::optional<std::variant<std::u16string, Binary>> password{};  // a password, or a hash given HASHED
    std::optional<Binary> sid{};                                      // CREATE LOGIN only
    std::optional<std::u16string> default_database{};
    std::optional<std::u16string> default_language{};
    std::optional<bool> check_expiration{};
    std::optional<bool> check_policy{};
};

struct CreateLoginStatement {
    std::u16string name;
    LoginOptions options;
};

// ALTER LOGIN name ENABLE | DISABLE | WITH options.
struct AlterLoginStatement {
    std::u16string name;
    std::optional<bool> enable{};
    LoginOptions options{};
};

struct DropLoginStatement {
    std::u16string name;
};

// ALTER SERVER ROLE role ADD | DROP MEMBER login.
struct AlterServerRoleStatement {
    std::u16string role;
    bool add = true;
    std::u16string member{};
};

// CREATE USER name [FOR | FROM LOGIN login] [WITH DEFAULT_SCHEMA = schema].
struct CreateUserStatement {
    std::u16string name;
    std::optional<std::u16string> login{};  // none: the login of the user's name
    std::optional<std::u16string> default_schema{};
};

struct DropUserStatement {
    std::u16string name;
};

// ALTER DATABASE name SET SINGLE_USER | RESTRICTED_USER | MULTI_USER [WITH termination].
struct AlterDatabaseStatement {
    enum class Termination { wait, rollback_immediate, rollback_after, no_wait };
    std::u16string database;
    UserAccess access = UserAccess::multi_user;
    Termination termination = Termination::wait;
    int32_t rollback_after_seconds = 0;
};

// ALTER DATABASE name MODIFY FILE (NAME = logical, SIZE = size).
struct ModifyFileStatement {
    std::u16string database;
    std::u16string logical;
    int64_t size_bytes = 0;
};

struct KillStatement {
    int32_t spid = 0;
};

// RESTORE HEADERONLY and RESTORE FILELISTONLY: what a backup holds, read
// without restoring it.
struct BackupInformationStatement {
    enum class Kind { header, file_list };
    Kind kind = Kind::header;
    std::u16string device;
};

struct UnsupportedStatement {};

// A batch that does not parse stands as one statement that answers message
// 102 and runs nothing.
struct MalformedBatch {
    std::u16string near;
};

using StatementBody =
    std::variant<SelectStatement, InsertStatement, DeleteStatement, CreateTableStatement, CreateDatabaseStatement,
                 DropDatabaseStatement, UseStatement, SetStatement, ExecStatement, BackupStatement, RestoreStatement,
                 BackupInformationStatement, CreateLoginStatement, AlterLoginStatement, DropLoginStatement,
                 AlterServerRoleStatement, CreateUserStatement, DropUserStatement, AlterDatabaseStatement,
                 ModifyFileStatement, KillStatement, UnsupportedStatement, MalformedBatch>;

struct Statement {
    StatementBody body;
    std::u16string text;  // its source text, for fault rules and messages
};

}  // namespace emulator
