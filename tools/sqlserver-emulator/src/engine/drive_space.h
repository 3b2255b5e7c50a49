// The free space of the mapped drives, as xp_fixeddrives reports it and as
// CREATE DATABASE, RESTORE and BACKUP find it. A drive given --free-mb starts
// with that much free; what the stand-in's own files then take (database
// files, restored files, backups) comes off it and what it removes goes back.
// Any other drive has its host folder's real free space.
#pragma once

#include "windows_paths.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace emulator {

// Not thread-safe: the engine lock guards it.
class DriveSpace {
public:
    DriveSpace(DriveMap drives, const std::map<char, int64_t>& free_mb);

    // Bytes free on the drive; nullopt when no drive has that letter.
    std::optional<uint64_t> free_bytes(char letter) const;
    // The stand-in's files on the drive took `bytes` more; negative: gave them back.
    void take(char letter, int64_t bytes);

private:
    DriveMap drives_;
    std::map<char, int64_t> played_;  // free bytes now, of the drives given --free-mb
};

// Space a statement takes before it writes its files, given back when it
// ends without keeping them (an error, or the client's attention).
class SpaceReservation {
public:
    SpaceReservation(DriveSpace& space, std::map<char, int64_t> bytes);
    ~SpaceReservation();
    SpaceReservation(const SpaceReservation&) = delete;
    SpaceReservation& operator=(const SpaceReservation&) = delete;
    void keep() { kept_ = true; }

private:
    DriveSpace& space_;
    std::map<char, int64_t> bytes_;
    bool kept_ = false;
};

// The space a file takes, for giving it back when it is removed or replaced:
// its size, on the drive its Windows path names.
void give_back(DriveSpace& space, const std::u16string& windows_path, const std::filesystem::path& host_path);

}  // namespace emulator
