// The outcome of a platform call that can fail: the system's own message
// when it did.
#pragma once

#include <string>

namespace platform {

struct Outcome {
    bool succeeded = false;
    std::wstring system_message;  // e.g. "Access is denied."; empty on success
};

}  // namespace platform
