// Descriptor ownership, timing and attention-aware waiting.
#include "long_operation.h"

#include "statement_context.h"

#include <thread>
#include <unistd.h>

namespace emulator {

FileHandle::~FileHandle() {
    if (fd_ >= 0) ::close(fd_);
}

int64_t Stopwatch::milliseconds() const {
    const auto elapsed = std::chrono::steady_clock::now() - start_;
    return std::max<int64_t>(1, std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

bool wait_unless_attention(std::chrono::milliseconds duration, const ResponseSink& sink) {
    const auto until = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < until) {
        if (sink.attention_requested()) return false;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
            std::chrono::milliseconds(10), until - std::chrono::steady_clock::now()));
    }
    return !sink.attention_requested();
}

void terminate_with(ServerMessage cause, const MessageArgs& args) {
    fail({std::move(cause), server_message(3013, args)});
}

}  // namespace emulator
