// TYPE_INFO and value encodings (MS-TDS 2.2.5.4 and 2.2.5.5): INTN, BITN,
// NUMERICN, DATETIMN, GUID, NVARCHAR, BIGCHAR, BIGVARCHAR and BIGVARBINARY.
#include "column_encoding.h"

#include "tokens.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace emulator::tds {

namespace {

constexpr uint8_t kIntN = 0x26;
constexpr uint8_t kBitN = 0x68;
constexpr uint8_t kNumericN = 0x6C;
constexpr uint8_t kDateTimeN = 0x6F;
constexpr uint8_t kGuid = 0x24;
constexpr uint8_t kNVarChar = 0xE7;
constexpr uint8_t kBigChar = 0xAF;
constexpr uint8_t kBigVarChar = 0xA7;
constexpr uint8_t kBigVarBinary = 0xA5;
constexpr size_t kMaxInlineNVarCharBytes = 8000;
constexpr uint64_t kPlpUnknownLength = 0xFFFFFFFFFFFFFFFEull;
constexpr uint64_t kPlpNull = 0xFFFFFFFFFFFFFFFFull;
constexpr uint16_t kNullVarLength = 0xFFFF;
constexpr int64_t kMillisecondsPerDay = 86'400'000;
constexpr int64_t kTicksPerDay = 86'400 * 300;  // datetime counts 1/300 seconds

[[noreturn]] void wrong_value(const char* type) {
    throw std::logic_error(std::string("value does not belong in a ") + type + " column");
}

bool is_null(const Value& value) { return std::holds_alternative<std::monostate>(value); }

int64_t integer_of(const Value& value, const char* type) {
    if (const auto* number = std::get_if<int32_t>(&value)) return *number;
    if (const auto* number = std::get_if<int64_t>(&value)) return *number;
    wrong_value(type);
}

std::u16string nvarchar_text(const Value& value) {
    if (const auto* text = std::get_if<std::u16string>(&value)) return *text;
    const std::string digits = std::to_string(integer_of(value, "nvarchar"));
    return std::u16string(digits.begin(), digits.end());
}

// The value bytes of an integer type, and the range it must fit.
struct IntegerWidth {
    uint8_t bytes;
    int64_t min;
    int64_t max;
};

IntegerWidth integer_width(ColumnType type) {
    switch (type) {
        case ColumnType::tinyint: return {1, 0, 255};
        case ColumnType::smallint: return {2, INT16_MIN, INT16_MAX};
        case ColumnType::int32: return {4, INT32_MIN, INT32_MAX};
        default: return {8, INT64_MIN, INT64_MAX};
    }
}

// NUMERICN's value length: a sign byte and 4, 8, 12 or 16 magnitude bytes.
uint8_t numeric_length(uint8_t precision) {
    if (precision <= 9) return 5;
    if (precision <= 19) return 9;
    if (precision <= 28) return 13;
    return 17;
}

void put_le(ByteWriter& out, uint64_t value, size_t bytes) {
    for (size_t i = 0; i < bytes; ++i) out.u8(i < 8 ? static_cast<uint8_t>(value >> (8 * i)) : 0);
}

void write_nvarchar(ByteWriter& out, const ColumnLayout& layout, const Value& value) {
    const bool plp = layout.max_length == kPlpMaxLength;
    if (!plp) {
        if (is_null(value)) return out.u16le(kNullVarLength);
        const std::u16string text = nvarchar_text(value);
        out.u16le(static_cast<uint16_t>(text.size() * 2));
        return out.ucs2(text);
    }
    if (is_null(value)) return out.u64le(kPlpNull);
    const std::u16string text = nvarchar_text(value);
    out.u64le(kPlpUnknownLength);
    if (!text.empty()) {
        out.u32le(static_cast<uint32_t>(text.size() * 2));
        out.ucs2(text);
    }
    out.u32le(0);  // chunk terminator
}

void write_integer(ByteWriter& out, const ColumnLayout& layout, const Value& value) {
    if (is_null(value)) return out.u8(0);
    const IntegerWidth width = integer_width(layout.type);
    const int64_t number = integer_of(value, "integer");
    if (number < width.min || number > width.max) wrong_value("integer of that width");
    out.u8(width.bytes);
    put_le(out, static_cast<uint64_t>(number), width.bytes);
}

void write_bit(ByteWriter& out, const Value& value) {
    if (is_null(value)) return out.u8(0);
    const int64_t number = integer_of(value, "bit");
    if (number != 0 && number != 1) wrong_value("bit");
    out.u8(1);
    out.u8(static_cast<uint8_t>(number));
}

void write_numeric(ByteWriter& out, const ColumnLayout& layout, const Value& value) {
    if (is_null(value)) return out.u8(0);
    const int64_t number = integer_of(value, "numeric");
    const uint8_t length = numeric_length(layout.precision);
    out.u8(length);
    out.u8(number < 0 ? 0 : 1);  // sign: 1 is positive
    const uint64_t magnitude = number < 0 ? 0 - static_cast<uint64_t>(number) : static_cast<uint64_t>(number);
    if (length == 5 && magnitude > UINT32_MAX) wrong_value("numeric of that precision");
    put_le(out, magnitude, length - 1u);
}

void write_datetime(ByteWriter& out, const Value& value) {
    if (is_null(value)) return out.u8(0);
    const auto* datetime = std::get_if<DateTime>(&value);
    if (!datetime) wrong_value("datetime");
    int64_t days = datetime->milliseconds / kMillisecondsPerDay;
    int64_t rest = datetime->milliseconds % kMillisecondsPerDay;
    if (rest < 0) {
        rest += kMillisecondsPerDay;
        --days;
    }
    // Rounded to the nearest 1/300 second, as SQL Server stores it.
    int64_t ticks = (rest * 3 + 5) / 10;
    if (ticks == kTicksPerDay) {
        ticks = 0;
        ++days;
    }
    out.u8(8);
    out.u32le(static_cast<uint32_t>(static_cast<int32_t>(days)));
    out.u32le(static_cast<uint32_t>(ticks));
}

void write_guid(ByteWriter& out, const Value& value) {
    if (is_null(value)) return out.u8(0);
    const auto* guid = std::get_if<Guid>(&value);
    if (!guid) wrong_value("uniqueidentifier");
    // The first three groups of the text form travel little-endian.
    static constexpr size_t wire_order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    out.u8(16);
    for (size_t index : wire_order) out.u8(guid->bytes[index]);
}

void write_varbinary(ByteWriter& out, const ColumnLayout& layout, const Value& value) {
    if (is_null(value)) return out.u16le(kNullVarLength);
    const auto* bytes = std::get_if<Binary>(&value);
    if (!bytes || bytes->size() > layout.max_length) wrong_value("varbinary");
    out.u16le(static_cast<uint16_t>(bytes->size()));
    for (uint8_t byte : *bytes) out.u8(byte);
}

// char(n) is padded with blanks to n; varchar(n) is sent as it is.
void write_character(ByteWriter& out, const ColumnLayout& layout, const Value& value) {
    if (is_null(value)) return out.u16le(kNullVarLength);
    const auto* text = std::get_if<std::u16string>(&value);
    // Only ASCII is sent as char and varchar: it reads the same in every code page.
    if (!text || text->size() > layout.max_length ||
        std::any_of(text->begin(), text->end(), [](char16_t c) { return c >= 0x80; }))
        wrong_value("char");
    const size_t length = layout.type == ColumnType::character ? layout.max_length : text->size();
    out.u16le(static_cast<uint16_t>(length));
    for (size_t i = 0; i < length; ++i) out.u8(i < text->size() ? static_cast<uint8_t>((*text)[i]) : ' ');
}

void write_collation(ByteWriter& out) {
    for (uint8_t byte : kServerCollation) out.u8(byte);
}

}  // namespace

ColumnLayout layout_of(const Column& column, const std::vector<std::vector<Value>>& rows, size_t index) {
    switch (column.type) {
        case ColumnType::nvarchar: {
            size_t widest = column.length > 0 ? static_cast<size_t>(column.length) * 2 : 2;
            for (const auto& row : rows)
                if (!is_null(row.at(index))) widest = std::max(widest, nvarchar_text(row.at(index)).size() * 2);
            return {column.type, widest > kMaxInlineNVarCharBytes ? kPlpMaxLength : static_cast<uint16_t>(widest), 0};
        }
        case ColumnType::character:
        case ColumnType::varchar:
        case ColumnType::varbinary:
            if (column.length < 1 || column.length > 8000)
                throw std::logic_error("char, varchar and varbinary need a length");
            return {column.type, static_cast<uint16_t>(column.length), 0};
        case ColumnType::numeric:
            if (column.precision < 1 || column.precision > 38) throw std::logic_error("numeric needs a precision");
            return {column.type, numeric_length(column.precision), column.precision};
        case ColumnType::bit: return {column.type, 1, 0};
        case ColumnType::datetime: return {column.type, 8, 0};
        case ColumnType::uniqueidentifier: return {column.type, 16, 0};
        default: return {column.type, integer_width(column.type).bytes, 0};
    }
}

void write_type_info(ByteWriter& out, const ColumnLayout& layout) {
    switch (layout.type) {
        case ColumnType::nvarchar:
            out.u8(kNVarChar);
            out.u16le(layout.max_length);
            return write_collation(out);
        case ColumnType::character:
        case ColumnType::varchar:
            out.u8(layout.type == ColumnType::character ? kBigChar : kBigVarChar);
            out.u16le(layout.max_length);
            return write_collation(out);
        case ColumnType::varbinary:
            out.u8(kBigVarBinary);
            return out.u16le(layout.max_length);
        case ColumnType::numeric:
            out.u8(kNumericN);
            out.u8(static_cast<uint8_t>(layout.max_length));
            out.u8(layout.precision);
            return out.u8(0);  // scale
        case ColumnType::bit:
            out.u8(kBitN);
            return out.u8(1);
        case ColumnType::datetime:
            out.u8(kDateTimeN);
            return out.u8(8);
        case ColumnType::uniqueidentifier:
            out.u8(kGuid);
            return out.u8(16);
        default:
            out.u8(kIntN);
            return out.u8(static_cast<uint8_t>(layout.max_length));
    }
}

void write_value(ByteWriter& out, const ColumnLayout& layout, const Value& value) {
    switch (layout.type) {
        case ColumnType::nvarchar: return write_nvarchar(out, layout, value);
        case ColumnType::character:
        case ColumnType::varchar: return write_character(out, layout, value);
        case ColumnType::varbinary: return write_varbinary(out, layout, value);
        case ColumnType::numeric: return write_numeric(out, layout, value);
        case ColumnType::bit: return write_bit(out, value);
        case ColumnType::datetime: return write_datetime(out, value);
        case ColumnType::uniqueidentifier: return write_guid(out, value);
        default: return write_integer(out, layout, value);
    }
}

}  // namespace emulator::tds
