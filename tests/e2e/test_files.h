// Whole files on the host, read and written as bytes: logs, result
// documents, scripts and settings the tests give or take.
#pragma once

#include <filesystem>
#include <string>

namespace e2e {

// The file's content; "" when it cannot be read.
std::string read_file(const std::filesystem::path& path);

// Replaces the file with `content`.
void write_file(const std::filesystem::path& path, const std::string& content);

}  // namespace e2e
