// Raising statement errors.
#include "statement_context.h"

namespace emulator {

void fail(ServerMessage message) { throw StatementError{{std::move(message)}}; }

void fail(std::vector<ServerMessage> messages) { throw StatementError{std::move(messages)}; }

}  // namespace emulator
