// uniqueidentifier values: new ones, and their text form.
#pragma once

#include "response_sink.h"

#include <optional>
#include <string>
#include <string_view>

namespace emulator {

// A random (version 4) GUID, as NEWID() makes them.
Guid random_guid();

// "6F9619FF-8B86-D011-B42D-00C04FC964FF".
std::u16string guid_text(const Guid& guid);
// The inverse of guid_text, in either case; nullopt when malformed.
std::optional<Guid> parse_guid(std::u16string_view text);

}  // namespace emulator
