// What a statement executor works with, and how it reports its outcome.
#pragma once

#include "catalog.h"
#include "drive_space.h"
#include "engine.h"
#include "response_sink.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

namespace emulator {

// A statement failed with these messages (usually one error; a failed
// CREATE DATABASE or RESTORE sends the cause and then its summary).
struct StatementError {
    std::vector<ServerMessage> messages;
};

struct Outcome {
    std::optional<uint64_t> row_count;
    bool interrupted = false;  // the client asked for attention: the batch stops here
};

struct StatementContext {
    Catalog& catalog;
    // The engine lock: held when an executor starts and when it returns. Long
    // file work releases it in between and looks the catalog up again after.
    std::unique_lock<std::mutex>& lock;
    const EngineOptions& options;
    DriveSpace& drive_space;
    int spid;
    ResponseSink& sink;
    std::function<void()> save;     // persists the catalog after a change
    std::chrono::milliseconds delay{0};  // a delay fault that long work spreads over its progress

    Session& session() { return catalog.session(spid); }
};

[[noreturn]] void fail(ServerMessage message);
[[noreturn]] void fail(std::vector<ServerMessage> messages);

}  // namespace emulator
