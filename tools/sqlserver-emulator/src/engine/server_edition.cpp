// Edition names and numbers as SERVERPROPERTY documents them. Every release
// the stand-in plays from 2005 on is taken to be its 64-bit build, whose
// edition name ends in "(64-bit)" as the documentation says of 64-bit builds.
#include "server_edition.h"

namespace emulator {

std::optional<Edition> parse_edition(std::string_view word) {
    if (word == "express") return Edition::express;
    if (word == "standard") return Edition::standard;
    if (word == "enterprise") return Edition::enterprise;
    return std::nullopt;
}

std::u16string edition_text(Edition edition, const ServerVersion& version) {
    const std::u16string width = version.major >= 9 ? u" (64-bit)" : u"";
    switch (edition) {
        case Edition::express: return u"Express Edition" + width;
        case Edition::standard: return u"Standard Edition" + width;
        case Edition::enterprise: return u"Enterprise Edition" + width;
    }
    return {};
}

int64_t edition_id(Edition edition) {
    switch (edition) {
        case Edition::express: return -1592396055;
        case Edition::standard: return -1534726760;
        case Edition::enterprise: return 1804890536;
    }
    return 0;
}

int32_t engine_edition(Edition edition) {
    switch (edition) {
        case Edition::express: return 4;
        case Edition::standard: return 2;
        case Edition::enterprise: return 3;
    }
    return 0;
}

std::optional<int64_t> passed_size_limit_mb(Edition edition, const ServerVersion& version, uint64_t data_bytes) {
    const int64_t limit_mb = release_of(version).express_limit_mb;
    if (edition != Edition::express || data_bytes <= static_cast<uint64_t>(limit_mb) << 20) return std::nullopt;
    return limit_mb;
}

}  // namespace emulator
