// Line records of tab-separated, escaped UTF-8 fields: the text form of the
// catalog file and of a backup's description.
#pragma once

#include "catalog.h"

#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace emulator {

using Record = std::vector<std::u16string>;

void write_record(std::ostream& out, const Record& record);
// The next record; nullopt at the end of the stream.
std::optional<Record> read_record(std::istream& in);

// Table definitions and rows as "table", "column" and "row" records.
void write_tables(std::ostream& out, const std::map<std::u16string, Table, LessCi>& tables);
// Applies one table record to `tables`; false when the record is not one.
// Throws std::runtime_error on a malformed record.
bool read_table_record(const Record& record, std::map<std::u16string, Table, LessCi>& tables);

// A field that must be a whole number; throws std::runtime_error otherwise.
int64_t number_field(const std::u16string& field);

}  // namespace emulator
