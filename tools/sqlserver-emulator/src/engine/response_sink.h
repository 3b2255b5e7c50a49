// What a batch answers, in order: messages, database changes, result sets and
// the end of each statement. The protocol layer turns these into TDS tokens.
#pragma once

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

enum class ColumnType { nvarchar, int32 };

struct Column {
    std::u16string name;
    ColumnType type;
};

using Value = std::variant<std::monostate, int32_t, std::u16string>;  // monostate is NULL

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
};

}  // namespace emulator
