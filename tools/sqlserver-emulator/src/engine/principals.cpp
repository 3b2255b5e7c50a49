// Database access through users mapped by SID.
#include "principals.h"

#include <algorithm>

namespace emulator {
namespace {

// FNV-1a over the upper-case name: account names ignore case.
uint32_t name_hash(std::u16string_view name, uint32_t seed) {
    uint32_t hash = 2166136261u ^ seed;
    for (char16_t unit : to_upper(name)) {
        hash ^= unit;
        hash *= 16777619u;
    }
    return hash;
}

void append_little_endian(Binary& bytes, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(value >> shift));
}

}  // namespace

Binary windows_account_sid(const std::u16string& account) {
    const size_t backslash = account.find(u'\\');
    const std::u16string_view domain = std::u16string_view(account).substr(0, backslash);
    const std::u16string_view user =
        backslash == std::u16string::npos ? std::u16string_view(account) : std::u16string_view(account).substr(backslash + 1);
    // Revision 1, five sub-authorities, identifier authority 5 (NT AUTHORITY).
    Binary sid = {1, 5, 0, 0, 0, 0, 0, 5};
    append_little_endian(sid, 21);  // SECURITY_NT_NON_UNIQUE: a domain or computer account
    for (uint32_t seed = 1; seed <= 3; ++seed) append_little_endian(sid, name_hash(domain, seed));
    append_little_endian(sid, 1000 + name_hash(user, 0) % 1000000);  // RIDs of accounts start at 1000
    return sid;
}

int32_t free_user_principal_id(const Database& database) {
    int32_t id = static_cast<int32_t>(kBuiltInUsers.size()) + 1;
    for (const auto& [name, user] : database.users) id = std::max(id, user.principal_id + 1);
    return id;
}

const DatabaseUser* user_with_sid(const Database& database, const Binary& sid) {
    for (const auto& [name, user] : database.users)
        if (user.sid == sid) return &user;
    return nullptr;
}

std::optional<std::u16string> database_user_of(const Login& login, const Database& database) {
    if (login.sysadmin || login.sid == database.owner_sid) return std::u16string(u"dbo");
    if (const DatabaseUser* user = user_with_sid(database, login.sid)) return user->name;
    // guest has CONNECT in these system databases and no other.
    if (equals_ci(database.name, u"master") || equals_ci(database.name, u"tempdb") || equals_ci(database.name, u"msdb"))
        return std::u16string(u"guest");
    return std::nullopt;
}

}  // namespace emulator
