// Turns one batch of T-SQL into the statements the stand-in runs.
#pragma once

#include "statements.h"

#include <string>
#include <vector>

namespace emulator {

// A batch that does not parse; SQL Server answers it with message 102 and
// runs none of its statements.
struct SyntaxError {
    std::u16string near;
};

// Parses every statement of the batch. `quoted_identifier` is the session's
// setting when the batch starts; a SET QUOTED_IDENTIFIER inside the batch
// changes how the rest of it is read, as it does on SQL Server. A statement
// outside the supported forms becomes an UnsupportedStatement. Throws
// SyntaxError.
std::vector<Statement> parse_batch(const std::u16string& sql, bool quoted_identifier);

}  // namespace emulator
