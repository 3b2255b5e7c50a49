// The statements the stand-in runs, as the parser hands them to the executors.
#pragma once

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
    std::u16string name;
    std::u16string written;  // as written, for messages 208 and the like
};

struct ColumnRef {
    std::u16string qualifier;  // table alias or name; empty when unqualified
    std::u16string column;
    std::u16string written() const { return qualifier.empty() ? column : qualifier + u"." + column; }
};

// A call of a built-in function, with literal arguments, possibly converted
// to nvarchar(n) by CONVERT or CAST; the global variables @@SPID and
// @@SERVERNAME are calls without arguments.
struct FunctionCall {
    std::u16string name;  // in capitals: IS_SRVROLEMEMBER, SERVERPROPERTY, @@SPID or @@SERVERNAME
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

// CREATE LOGIN name WITH PASSWORD = '...' and the options of a SQL Server login.
struct CreateLoginStatement {
    std::u16string name;
    std::u16string password;
    std::optional<std::u16string> default_database{};
    std::optional<std::u16string> default_language{};
    bool check_expiration = false;  // SQL Server's defaults: OFF
    bool check_policy = true;       // and ON
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
                 BackupInformationStatement, CreateLoginStatement, UnsupportedStatement, MalformedBatch>;

struct Statement {
    StatementBody body;
    std::u16string text;  // its source text, for fault rules and messages
};

}  // namespace emulator
