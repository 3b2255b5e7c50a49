// SELECT, INSERT, DELETE and CREATE TABLE on user and system tables.
#pragma once

#include "statement_context.h"
#include "statements.h"

namespace emulator {

// `statement_text` names a SELECT or DELETE when part of it is not supported.
Outcome run_select(StatementContext& context, const SelectStatement& select, const std::u16string& statement_text);
Outcome run_insert(StatementContext& context, const InsertStatement& insert);
Outcome run_delete(StatementContext& context, const DeleteStatement& remove, const std::u16string& statement_text);
Outcome run_create_table(StatementContext& context, const CreateTableStatement& create);

}  // namespace emulator
