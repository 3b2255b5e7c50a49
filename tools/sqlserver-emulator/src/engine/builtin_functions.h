// The built-in functions a select list or a comparison may call:
// IS_SRVROLEMEMBER, SERVERPROPERTY, USER_NAME, CURRENT_USER, SUSER_SNAME,
// @@SPID, @@SERVERNAME and @@VERSION, bare or converted to nvarchar.
#pragma once

#include "statement_context.h"
#include "statements.h"

namespace emulator {

struct FunctionResult {
    Column column;  // unnamed; the select list names it
    Value value;
};

// The call's value for the session. A bare SERVERPROPERTY, a sql_variant the
// stand-in does not send, and a property it does not implement fail as not
// supported, naming `statement_text`.
FunctionResult call_function(StatementContext& context, const FunctionCall& call,
                             const std::u16string& statement_text);

// The comparisons with each function call replaced by its value.
std::vector<Comparison> with_calls_evaluated(StatementContext& context, const std::vector<Comparison>& where,
                                            const std::u16string& statement_text);

}  // namespace emulator
