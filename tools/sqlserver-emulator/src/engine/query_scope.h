// The tables a query reads from and how its column names and WHERE
// comparisons are resolved against them.
#pragma once

#include "statements.h"
#include "table_lookup.h"

#include <vector>

namespace emulator {

// Which table of the scope and which of its columns a name refers to.
struct BoundColumn {
    size_t table = 0;
    size_t column = 0;
};

// One combination of rows, one per table of the scope (a comma join).
using RowTuple = std::vector<const std::vector<Value>*>;

class QueryScope {
public:
    struct Source {
        TableSnapshot table;
        std::u16string alias;  // empty: the table's own name qualifies it
    };

    explicit QueryScope(std::vector<Source> sources);

    // Throws StatementError with 207, 209 or 4104 when the name does not bind.
    BoundColumn bind(const ColumnRef& ref) const;
    // Every combination of rows that satisfies all comparisons (AND); their
    // function calls must have been evaluated.
    // Throws StatementError on a name that does not bind or a failed conversion.
    std::vector<RowTuple> matching_rows(const std::vector<Comparison>& where) const;

    const std::vector<Source>& sources() const { return sources_; }

private:
    std::vector<Source> sources_;
};

// SQL Server's equality under a case-insensitive collation: NULL matches
// nothing, trailing blanks do not count, a string compared with a number is
// converted to int (message 245 when it is not one).
bool values_equal(const Value& left, const Value& right);

// SQL Server's conversion of a character value to int; message 245 when the
// text is not a whole number in range.
int32_t convert_to_int(const std::u16string& text);

// CONVERT(type, value): NULL stays NULL, text becomes int as convert_to_int
// has it, and an int or bigint becomes its digits. Character data is cut to the length,
// as SQL Server cuts it; a number that does not fit, varchar beyond ASCII and
// any other conversion are not supported, naming `statement_text`.
Value convert_value(const Value& value, const Conversion& conversion, const std::u16string& statement_text);

}  // namespace emulator
