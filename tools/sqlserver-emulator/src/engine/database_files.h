// The files of a database on the host disk: checks before creating them,
// creation at their initial size, removal.
#pragma once

#include "messages.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace emulator {

// Why a file cannot be created where a statement wants it; nullopt when it can.
// `windows_path` is the name as the statement wrote it, for the message.
std::optional<ServerMessage> new_file_problem(const std::optional<std::filesystem::path>& host_path,
                                              const std::u16string& windows_path);

// Creates the file, which must not exist, with the given size (sparse).
// Throws std::system_error.
void create_sized_file(const std::filesystem::path& path, int64_t size_bytes);

void remove_file_quietly(const std::filesystem::path& path);

// SQL Server's rendering of an errno value: "3(The system cannot find the path specified.)".
std::u16string os_error_text(int error_number);

}  // namespace emulator
