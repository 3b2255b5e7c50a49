// --init-sql: T-SQL run before the stand-in starts listening.
#pragma once

#include "engine/engine.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace emulator::tds {

// The batches of a script: lines holding only GO (any case, blanks around it)
// separate them; blank batches are left out.
std::vector<std::u16string> split_batches(std::u16string_view script);

// Runs the UTF-8 file's batches, stopping at the first batch that fails:
// as sa, or on a server that accepts only Windows authentication as its
// first Windows login. The failure's text (the server's messages, one per
// line), or nullopt when every batch succeeded.
std::optional<std::string> run_init_script(Engine& engine, const std::u16string& sa_password,
                                           const InstanceSettings& instance, const std::filesystem::path& file);

}  // namespace emulator::tds
