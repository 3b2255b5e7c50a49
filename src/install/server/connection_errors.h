// What a failed connect's error number says: the server refused the login
// itself (a wrong password, a disabled or locked-out account, a server that
// takes Windows authentication only), which no retry can change and which
// retrying could lock the account out for; or the server could not be
// reached, which may pass.
#pragma once

namespace install {

// 18456 login failed, 18470 account disabled, 18486 account locked out,
// 18487 and 18488 password expired or to be changed, 18452 a login from an
// untrusted domain.
inline bool is_login_refusal(long error_number)
{
    switch (error_number) {
    case 18452:
    case 18456:
    case 18470:
    case 18486:
    case 18487:
    case 18488: return true;
    default: return false;
    }
}

}  // namespace install
