// Helpers for statements that work on big files: descriptor ownership, lock
// release while copying, timing, waiting that yields to attention, and the
// page arithmetic of backup and restore messages.
#pragma once

#include "messages.h"
#include "response_sink.h"

#include <chrono>
#include <cstdint>
#include <mutex>

namespace emulator {

inline constexpr uint64_t page_size = 8192;
inline constexpr int64_t log_pages_processed = 2;  // the active part of a quiet log

inline int64_t pages(uint64_t bytes) { return static_cast<int64_t>((bytes + page_size - 1) / page_size); }

// Closes a descriptor when it goes out of scope.
class FileHandle {
public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle();
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Releases the engine lock for the scope of a long file operation.
class Unlocked {
public:
    explicit Unlocked(std::unique_lock<std::mutex>& lock) : lock_(lock) { lock_.unlock(); }
    ~Unlocked() { lock_.lock(); }
    Unlocked(const Unlocked&) = delete;
    Unlocked& operator=(const Unlocked&) = delete;

private:
    std::unique_lock<std::mutex>& lock_;
};

class Stopwatch {
public:
    // At least 1, so a rate computed from it is defined.
    int64_t milliseconds() const;

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// Sleeps in short slices; false when the client asked for attention meanwhile.
bool wait_unless_attention(std::chrono::milliseconds duration, const ResponseSink& sink);

// Fails a BACKUP or RESTORE with its cause followed by message 3013.
[[noreturn]] void terminate_with(ServerMessage cause, const MessageArgs& args);

}  // namespace emulator
