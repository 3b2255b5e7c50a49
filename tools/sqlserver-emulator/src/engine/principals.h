// Server and database principals as SQL Server keeps them: sa and the fixed
// server roles with their ids and SIDs, the users every database has, and the
// rule by which a login enters a database through the user of its SID.
#pragma once

#include "catalog.h"

#include <array>
#include <optional>
#include <string>

namespace emulator {

inline const Binary kSaSid = {0x01};
inline constexpr int32_t kSaPrincipalId = 1;

struct FixedServerRole {
    const char16_t* name;
    int32_t principal_id;  // its SID is this number in one byte
};

// public and the fixed server roles, in principal_id order.
inline constexpr std::array<FixedServerRole, 9> kServerRoles = {{
    {u"public", 2}, {u"sysadmin", 3}, {u"securityadmin", 4}, {u"serveradmin", 5}, {u"setupadmin", 6},
    {u"processadmin", 7}, {u"diskadmin", 8}, {u"dbcreator", 9}, {u"bulkadmin", 10},
}};
inline constexpr int32_t kSysadminPrincipalId = 3;

// The users every database has besides those CREATE USER makes.
struct BuiltInUser {
    const char16_t* name;
    int32_t principal_id;
};
inline constexpr std::array<BuiltInUser, 4> kBuiltInUsers = {{
    {u"dbo", 1}, {u"guest", 2}, {u"INFORMATION_SCHEMA", 3}, {u"sys", 4},
}};
inline const Binary kGuestSid = {0x00};

// The SID of the Windows account DOMAIN\user, in Windows' binary form
// S-1-5-21-d1-d2-d3-RID. Windows, not SQL Server, makes an account's SID;
// the stand-in has no Windows accounts, so it derives a domain's three
// numbers from the domain's name and the RID from the user's, the same on
// every run.
Binary windows_account_sid(const std::u16string& account);

// The principal_id the next CREATE USER of `database` gets.
int32_t free_user_principal_id(const Database& database);

// The database user under which `login` works in `database`: dbo for a
// sysadmin and for the owner, the user whose SID is the login's, guest in
// the databases where guest may connect (master, tempdb, msdb); nullopt
// when there is none, as for a login whose user was made for another SID.
std::optional<std::u16string> database_user_of(const Login& login, const Database& database);

// The user of `database` mapped to this SID; nullptr when none is.
const DatabaseUser* user_with_sid(const Database& database, const Binary& sid);

}  // namespace emulator
