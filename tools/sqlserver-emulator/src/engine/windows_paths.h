// Maps the Windows paths that statements name ("D:\data\x.MDF") onto host
// folders, as the installer and the server see one machine's drives.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace emulator {

using DriveMap = std::map<char, std::filesystem::path>;  // upper-case letter -> host folder

// The host path of an absolute Windows path on a mapped drive. nullopt for a
// relative path, an unmapped drive, or a path that climbs out of its drive
// with "..": SQL Server reports all of them as a path it cannot find.
std::optional<std::filesystem::path> map_windows_path(const std::u16string& path, const DriveMap& drives);

// The upper-case drive letter of "D:..."; nullopt when the path names none.
std::optional<char> drive_letter(const std::u16string& path);

}  // namespace emulator
