// How each column type travels: its TYPE_INFO in COLMETADATA and its values
// in ROW, always in the nullable form SQL Server uses for result sets.
#pragma once

#include "byte_writer.h"
#include "engine/response_sink.h"

#include <cstdint>
#include <vector>

namespace emulator::tds {

// A column's wire type, fixed once for all rows of a result set.
struct ColumnLayout {
    ColumnType type;
    uint16_t max_length;  // bytes; kPlpMaxLength for nvarchar(max)
    uint8_t precision;
};

inline constexpr uint16_t kPlpMaxLength = 0xFFFF;

// The layout of column `index` for these rows. An nvarchar column without a
// declared length is as wide as its widest value, and one whose values do not
// fit its declared length is widened rather than cut, so no value is lost.
ColumnLayout layout_of(const Column& column, const std::vector<std::vector<Value>>& rows, size_t index);

void write_type_info(ByteWriter& out, const ColumnLayout& layout);

// Throws std::logic_error when the value does not belong in the column.
void write_value(ByteWriter& out, const ColumnLayout& layout, const Value& value);

}  // namespace emulator::tds
