// The process-wide message object: a closing response window leaves its result
// string here for the opener.
#pragma once

#include <string>

namespace platform {

struct MessageObject {
    std::wstring string_parm;
};

}  // namespace platform
