// The editions the stand-in can play (--edition), with what SERVERPROPERTY
// and @@VERSION say of them and the size limit Express puts on a database.
#pragma once

#include "server_release.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace emulator {

enum class Edition { express, standard, enterprise };

// "express", "standard" or "enterprise"; nullopt for another word.
std::optional<Edition> parse_edition(std::string_view word);

// SERVERPROPERTY('Edition'): "Express Edition (64-bit)"; SQL Server 2000 ran
// on 32 bits only and names no width.
std::u16string edition_text(Edition edition, const ServerVersion& version);
// SERVERPROPERTY('EditionID').
int64_t edition_id(Edition edition);
// SERVERPROPERTY('EngineEdition'): 4 Express, 2 Standard, 3 Enterprise.
int32_t engine_edition(Edition edition);

// The most a database's data files may hold together, in MB, when
// `data_bytes` of them pass it on this edition of this release; nullopt when
// they are within it or the edition sets none. The log does not count.
std::optional<int64_t> passed_size_limit_mb(Edition edition, const ServerVersion& version, uint64_t data_bytes);

}  // namespace emulator
