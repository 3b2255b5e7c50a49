// The "N percent processed." messages of a BACKUP or RESTORE WITH STATS, each
// sent after its share of a delay fault, so that a delayed statement
// progresses the way a slow one does.
#pragma once

#include "statement_context.h"

namespace emulator {

class ProgressReporter {
public:
    // stats_percent 0: no messages, but the delay is still served, in tenths.
    ProgressReporter(StatementContext& context, int stats_percent);

    // Sends every step up to `percent` not sent yet. False when the client
    // asked for attention.
    bool report_up_to(int percent);

private:
    StatementContext& context_;
    bool messages_;
    int step_;
    int next_ = 0;
};

}  // namespace emulator
