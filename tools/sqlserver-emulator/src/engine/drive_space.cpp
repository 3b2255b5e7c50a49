// Played free space, or the host's through statvfs.
#include "drive_space.h"

#include <sys/statvfs.h>

namespace emulator {

DriveSpace::DriveSpace(DriveMap drives, const std::map<char, int64_t>& free_mb) : drives_(std::move(drives)) {
    for (const auto& [letter, megabytes] : free_mb) played_[letter] = megabytes << 20;
}

std::optional<uint64_t> DriveSpace::free_bytes(char letter) const {
    if (!drives_.count(letter)) return std::nullopt;
    if (const auto played = played_.find(letter); played != played_.end())
        return static_cast<uint64_t>(std::max<int64_t>(0, played->second));
    struct statvfs status {};
    if (::statvfs(drives_.at(letter).c_str(), &status) != 0) return 0;
    return static_cast<uint64_t>(status.f_bavail) * status.f_frsize;
}

void DriveSpace::take(char letter, int64_t bytes) {
    if (const auto played = played_.find(letter); played != played_.end()) played->second -= bytes;
}

SpaceReservation::SpaceReservation(DriveSpace& space, std::map<char, int64_t> bytes)
    : space_(space), bytes_(std::move(bytes)) {
    for (const auto& [letter, taken] : bytes_) space_.take(letter, taken);
}

SpaceReservation::~SpaceReservation() {
    if (kept_) return;
    for (const auto& [letter, taken] : bytes_) space_.take(letter, -taken);
}

void give_back(DriveSpace& space, const std::u16string& windows_path, const std::filesystem::path& host_path) {
    const auto letter = drive_letter(windows_path);
    std::error_code error;
    const auto size = host_path.empty() ? 0 : std::filesystem::file_size(host_path, error);
    if (letter && !error) space.take(*letter, -static_cast<int64_t>(size));
}

}  // namespace emulator
