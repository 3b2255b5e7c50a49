// Escaped tab-separated records and the table codec built on them.
#include "record_io.h"

#include <charconv>
#include <stdexcept>

namespace emulator {
namespace {

constexpr char16_t null_marker[] = u"\\N";

std::string escape(const std::string& field) {
    std::string out;
    for (char c : field) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            default: out += c;
        }
    }
    return out;
}

// A type letter, then the value; built by appending, which also keeps GCC 12's
// false -Wrestrict alarm about prefix concatenation quiet in optimised builds.
std::u16string value_field(const Value& value) {
    if (std::holds_alternative<std::monostate>(value)) return null_marker;
    // User tables hold only int and character columns.
    if (!std::holds_alternative<int32_t>(value) && !std::holds_alternative<std::u16string>(value))
        throw std::logic_error("a stored value is neither int nor text");
    std::u16string field(1, std::holds_alternative<int32_t>(value) ? u'i' : u's');
    if (const auto* number = std::get_if<int32_t>(&value)) field += to_u16(*number);
    else field += std::get<std::u16string>(value);
    return field;
}

Value field_value(const std::u16string& field) {
    if (field == null_marker) return std::monostate{};
    if (field.starts_with(u"i")) return static_cast<int32_t>(number_field(field.substr(1)));
    if (field.starts_with(u"s")) return field.substr(1);
    throw std::runtime_error("malformed value field");
}

}  // namespace

int64_t number_field(const std::u16string& field) {
    const std::string digits = to_utf8(field);
    int64_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc{} || end != digits.data() + digits.size() || digits.empty())
        throw std::runtime_error("malformed number field '" + digits + "'");
    return value;
}

void write_record(std::ostream& out, const Record& record) {
    for (size_t i = 0; i < record.size(); ++i) {
        if (i) out << '\t';
        out << escape(to_utf8(record[i]));
    }
    out << '\n';
}

std::optional<Record> read_record(std::istream& in) {
    std::string line;
    if (!std::getline(in, line)) return std::nullopt;
    Record record;
    std::string field;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\t') {
            record.push_back(from_utf8(field));
            field.clear();
        } else if (c == '\\' && i + 1 < line.size()) {
            const char next = line[++i];
            switch (next) {
                case 't': field += '\t'; break;
                case 'n': field += '\n'; break;
                case 'r': field += '\r'; break;
                default: field += next;
            }
        } else {
            field += c;
        }
    }
    record.push_back(from_utf8(field));
    return record;
}

void write_tables(std::ostream& out, const std::map<std::u16string, Table, LessCi>& tables) {
    for (const auto& [name, table] : tables) {
        write_record(out, {u"table", table.name});
        for (const auto& column : table.columns)
            write_record(out, {u"column", table.name, column.name, column.type, to_u16(column.length),
                               column.nullable ? u"1" : u"0"});
        for (const auto& row : table.rows) {
            Record record{u"row", table.name};
            for (const auto& value : row) record.push_back(value_field(value));
            write_record(out, record);
        }
    }
}

bool read_table_record(const Record& record, std::map<std::u16string, Table, LessCi>& tables) {
    const std::u16string& kind = record.front();
    if (kind != u"table" && kind != u"column" && kind != u"row") return false;
    if (record.size() < 2) throw std::runtime_error("malformed table record");
    if (kind == u"table") {
        tables[record[1]].name = record[1];
        return true;
    }
    const auto table = tables.find(record[1]);
    if (table == tables.end()) throw std::runtime_error("record for an undeclared table");
    if (kind == u"column") {
        if (record.size() != 6) throw std::runtime_error("malformed column record");
        table->second.columns.push_back({record[2], record[3], static_cast<int32_t>(number_field(record[4])),
                                         record[5] == u"1"});
        return true;
    }
    if (record.size() - 2 != table->second.columns.size()) throw std::runtime_error("row of the wrong width");
    std::vector<Value> row;
    for (size_t i = 2; i < record.size(); ++i) row.push_back(field_value(record[i]));
    table->second.rows.push_back(std::move(row));
    return true;
}

}  // namespace emulator
