// copy_file_range in 64 MiB steps, with a read/write fallback for file
// systems that cannot copy in the kernel.
#include "file_copy.h"

#include <cerrno>
#include <stdexcept>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace emulator {
namespace {

constexpr uint64_t step_bytes = uint64_t{64} << 20;

// One step by read and write; returns the bytes copied.
uint64_t copy_step_buffered(int from_fd, off_t offset, int to_fd, uint64_t wanted) {
    static thread_local std::vector<char> buffer(size_t{4} << 20);
    uint64_t done = 0;
    while (done < wanted) {
        const size_t chunk = static_cast<size_t>(std::min<uint64_t>(buffer.size(), wanted - done));
        const ssize_t got = ::pread(from_fd, buffer.data(), chunk, offset + static_cast<off_t>(done));
        if (got < 0) throw std::system_error(errno, std::generic_category(), "read");
        if (got == 0) break;
        for (ssize_t written = 0; written < got;) {
            const ssize_t put = ::write(to_fd, buffer.data() + written, static_cast<size_t>(got - written));
            if (put < 0) throw std::system_error(errno, std::generic_category(), "write");
            written += put;
        }
        done += static_cast<uint64_t>(got);
    }
    return done;
}

}  // namespace

bool copy_bytes(int from_fd, uint64_t from_offset, int to_fd, uint64_t length, const CopyProgress& progress) {
    uint64_t copied = 0;
    bool in_kernel = true;
    while (copied < length) {
        const uint64_t wanted = std::min(step_bytes, length - copied);
        uint64_t step_done = 0;
        if (in_kernel) {
            off_t offset = static_cast<off_t>(from_offset + copied);
            while (step_done < wanted) {
                const ssize_t moved =
                    ::copy_file_range(from_fd, &offset, to_fd, nullptr, static_cast<size_t>(wanted - step_done), 0);
                if (moved < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
                    in_kernel = false;
                    break;
                }
                if (moved < 0) throw std::system_error(errno, std::generic_category(), "copy");
                if (moved == 0) break;
                step_done += static_cast<uint64_t>(moved);
            }
        }
        if (!in_kernel && step_done < wanted)
            step_done += copy_step_buffered(from_fd, static_cast<off_t>(from_offset + copied + step_done), to_fd,
                                            wanted - step_done);
        if (step_done == 0) throw std::runtime_error("the source file ends early");
        copied += step_done;
        if (!progress(copied)) return false;
    }
    return true;
}

}  // namespace emulator
