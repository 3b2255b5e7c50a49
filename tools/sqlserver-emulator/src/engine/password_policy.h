// Windows' password policy as SQL Server applies it to SQL logins when the
// server enforces it (--password-policy) and the login has CHECK_POLICY ON.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace emulator {

// The message number the password breaks the policy with: 15116 when it is
// shorter than 7 characters, 15118 when it is not complex enough; nullopt
// when it meets the policy.
std::optional<int32_t> password_policy_violation(std::u16string_view login, std::u16string_view password);

}  // namespace emulator
