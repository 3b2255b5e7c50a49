// Progress steps with their share of the delay.
#include "progress_reporter.h"

#include "long_operation.h"
#include "messages.h"

namespace emulator {

ProgressReporter::ProgressReporter(StatementContext& context, int stats_percent)
    : context_(context), messages_(stats_percent > 0), step_(stats_percent > 0 ? stats_percent : 10) {}

bool ProgressReporter::report_up_to(int percent) {
    while (next_ + step_ <= percent) {
        next_ += step_;
        if (!wait_unless_attention(context_.delay * step_ / 100, context_.sink)) return false;
        if (!messages_) continue;
        context_.sink.message(server_message(3211, {.count = next_}));
        context_.sink.progress_reported();
    }
    return !context_.sink.attention_requested();
}

}  // namespace emulator
