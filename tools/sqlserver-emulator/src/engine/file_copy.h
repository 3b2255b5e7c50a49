// Streams bytes between files in large steps, reporting progress between them.
#pragma once

#include <cstdint>
#include <functional>

namespace emulator {

// Called after each step with the bytes copied so far; returning false stops
// the copy early.
using CopyProgress = std::function<bool(uint64_t copied)>;

// Copies `length` bytes from `from_fd` at `from_offset` to the current
// position of `to_fd` (in-kernel where the system allows). Returns false when
// progress asked to stop; throws std::system_error on a read or write failure
// and std::runtime_error when the source ends early.
bool copy_bytes(int from_fd, uint64_t from_offset, int to_fd, uint64_t length, const CopyProgress& progress);

}  // namespace emulator
