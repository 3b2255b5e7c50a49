// Finds the table a statement names: a system table or a user table of the
// current or the named database.
#pragma once

#include "statement_context.h"
#include "statements.h"

#include <string>
#include <vector>

namespace emulator {

// A table as a query reads it, copied out of the catalog.
struct TableSnapshot {
    std::u16string name;
    std::vector<Column> columns;
    std::vector<std::vector<Value>> rows;
};

// The table's contents for reading; message 208 when there is none.
TableSnapshot read_table(StatementContext& context, const ObjectName& name);

// A user table to change; 208 when missing, 259 for a system table.
Table& writable_table(StatementContext& context, const ObjectName& name);

// The database a name refers to: the one written, else the session's.
Database* database_of(StatementContext& context, const ObjectName& name);

ColumnType result_type(const TableColumn& column);

}  // namespace emulator
