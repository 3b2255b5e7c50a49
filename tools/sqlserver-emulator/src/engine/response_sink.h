// What a batch answers, in order: messages, database changes, result sets and
// the end of each statement. The protocol layer turns these into TDS tokens.
#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace emulator {

// One SQL Server message; severity 10 and below is informational (INFO token),
// above 10 an error (ERROR token).
struct ServerMessage {
    int32_t number = 0;
    uint8_t state = 1;
    uint8_t severity = 16;
    std::u16string text;
    std::u16string procedure;  // e.g. u"sp_droplogin"; empty outside procedures
    int32_t line = 1;
};

// The SQL Server data types a result column can have. int32 is int; bit,
// tinyint and smallint carry their values as int32_t, bigint and numeric as
// int64_t.
enum class ColumnType {
    nvarchar,
    int32,
    smallint,
    tinyint,
    bigint,
    bit,
    numeric,           // numeric(precision, 0)
    datetime,
    uniqueidentifier,
    varbinary,
    character,         // char(n), in the server's code page
    varchar,           // varchar(n), in the server's code page
};

struct Column {
    std::u16string name;
    ColumnType type;
    // The declared length of nvarchar (characters), char and varchar (characters) and
    // varbinary (bytes). 0 leaves an nvarchar column as wide as its widest value.
    int32_t length = 0;
    uint8_t precision = 0;  // numeric only; the scale is always 0
};

// A datetime: milliseconds since 1900-01-01 00:00:00 of the server's local time.
struct DateTime {
    int64_t milliseconds = 0;
    auto operator<=>(const DateTime&) const = default;
};

// A uniqueidentifier, its bytes in the order its text form shows them.
struct Guid {
    std::array<uint8_t, 16> bytes{};
    auto operator<=>(const Guid&) const = default;
};

using Binary = std::vector<uint8_t>;

// monostate is NULL.
using Value = std::variant<std::monostate, int32_t, std::u16string, int64_t, DateTime, Guid, Binary>;

struct ResultSet {
    std::vector<Column> columns;
    std::vector<std::vector<Value>> rows;
};

// DONE token command codes (CurCmd).
enum class Command : uint16_t {
    select = 0xC1,
    insert = 0xC3,
    remove = 0xC4,
    update = 0xC5,
    create_database = 0xCB,
    set = 0xF9,
    other = 0x00,
};

class ResponseSink {
public:
    virtual ~ResponseSink() = default;
    virtual void message(const ServerMessage& message) = 0;
    virtual void database_changed(const std::u16string& new_database,
                                  const std::u16string& old_database) = 0;
    virtual void rows(const ResultSet& result) = 0;
    // Ends one statement. row_count is sent with the COUNT bit when present.
    virtual void statement_done(bool failed, std::optional<uint64_t> row_count,
                                Command command) = 0;
    // True once the client sent ATTENTION; long work polls it and stops early.
    virtual bool attention_requested() const = 0;
    // Ends a long statement's progress message the way SQL Server does, with
    // a DONE token marked MORE: a client that reads results one at a time
    // returns to its caller with the message while the statement goes on.
    // Only the wire carries it.
    virtual void progress_reported() {}
};

}  // namespace emulator
