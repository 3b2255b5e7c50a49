// SQL Server's password hashes, in the form PWDENCRYPT returns and
// sys.sql_logins.password_hash shows: a version word, a 4-byte salt and the
// digest of the UTF-16 password followed by the salt. SQL Server 2012 and
// later write 0x0200 with SHA-512; 2005 to 2008 R2 write 0x0100 with SHA-1;
// 2000 writes 0x0100 with a second SHA-1 digest of the upper-case password.
#pragma once

#include "response_sink.h"
#include "server_identity.h"

#include <cstdint>
#include <string_view>

namespace emulator {

// A new hash of `password` with a random salt, as `server` makes it.
Binary hash_password(std::u16string_view password, const ServerVersion& server);

// The hash of `password` with the given salt, in the form `server` makes.
Binary hash_password_with_salt(std::u16string_view password, const uint8_t (&salt)[4], const ServerVersion& server);

// Whether a hash in any of the three forms was made from `password`. SQL
// Server 2000 compares the upper-case digest (its passwords ignore case); later
// servers the case-sensitive one.
bool password_matches(std::u16string_view password, const Binary& hash, const ServerVersion& server);

// Whether CREATE LOGIN ... HASHED takes the value on `server`: one of the three
// forms, the SHA-512 one only from SQL Server 2012 on.
bool is_acceptable_hash(const Binary& hash, const ServerVersion& server);

// A new SID for a SQL Server login: 16 random bytes, like a GUID.
Binary new_login_sid();

}  // namespace emulator
