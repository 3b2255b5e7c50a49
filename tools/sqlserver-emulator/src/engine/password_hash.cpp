// Salted SHA-1 and SHA-512 hashes through OpenSSL's libcrypto.
#include "password_hash.h"

#include "text.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <algorithm>
#include <stdexcept>

namespace emulator {
namespace {

constexpr size_t version_size = 2;
constexpr size_t salt_size = 4;
constexpr size_t sha1_size = 20;
constexpr size_t sha512_size = 64;

bool uses_sha512(const ServerVersion& server) { return server.major >= 11; }
bool keeps_upper_case_digest(const ServerVersion& server) { return server.major < 9; }

Binary random_bytes(size_t count) {
    Binary bytes(count);
    if (RAND_bytes(bytes.data(), static_cast<int>(count)) != 1) throw std::runtime_error("no random bytes to be had");
    return bytes;
}

// The digest of the password's UTF-16LE bytes followed by the salt.
Binary salted_digest(std::u16string_view password, const uint8_t* salt, const EVP_MD* algorithm) {
    Binary input;
    for (char16_t unit : password) {
        input.push_back(static_cast<uint8_t>(unit & 0xFF));
        input.push_back(static_cast<uint8_t>(unit >> 8));
    }
    input.insert(input.end(), salt, salt + salt_size);
    Binary digest(EVP_MAX_MD_SIZE);
    unsigned int length = 0;
    if (EVP_Digest(input.data(), input.size(), digest.data(), &length, algorithm, nullptr) != 1)
        throw std::runtime_error("the password digest failed");
    digest.resize(length);
    return digest;
}

bool has_form(const Binary& hash, uint8_t version, size_t digest_bytes) {
    return hash.size() == version_size + salt_size + digest_bytes && hash[0] == version && hash[1] == 0x00;
}

bool digest_at(const Binary& hash, size_t offset, const Binary& digest) {
    return std::equal(digest.begin(), digest.end(), hash.begin() + static_cast<std::ptrdiff_t>(offset));
}

}  // namespace

Binary hash_password_with_salt(std::u16string_view password, const uint8_t (&salt)[4], const ServerVersion& server) {
    Binary hash = {static_cast<uint8_t>(uses_sha512(server) ? 0x02 : 0x01), 0x00};
    hash.insert(hash.end(), salt, salt + salt_size);
    const Binary digest = salted_digest(password, salt, uses_sha512(server) ? EVP_sha512() : EVP_sha1());
    hash.insert(hash.end(), digest.begin(), digest.end());
    if (keeps_upper_case_digest(server)) {
        const Binary upper = salted_digest(to_upper(password), salt, EVP_sha1());
        hash.insert(hash.end(), upper.begin(), upper.end());
    }
    return hash;
}

Binary hash_password(std::u16string_view password, const ServerVersion& server) {
    const Binary random = random_bytes(salt_size);
    uint8_t salt[salt_size];
    std::copy(random.begin(), random.end(), salt);
    return hash_password_with_salt(password, salt, server);
}

bool password_matches(std::u16string_view password, const Binary& hash, const ServerVersion& server) {
    const uint8_t* salt = hash.data() + version_size;
    constexpr size_t digest_offset = version_size + salt_size;
    if (has_form(hash, 0x02, sha512_size))
        return digest_at(hash, digest_offset, salted_digest(password, salt, EVP_sha512()));
    if (has_form(hash, 0x01, 2 * sha1_size) && keeps_upper_case_digest(server))
        return digest_at(hash, digest_offset + sha1_size, salted_digest(to_upper(password), salt, EVP_sha1()));
    if (has_form(hash, 0x01, sha1_size) || has_form(hash, 0x01, 2 * sha1_size))
        return digest_at(hash, digest_offset, salted_digest(password, salt, EVP_sha1()));
    return false;
}

bool is_acceptable_hash(const Binary& hash, const ServerVersion& server) {
    if (has_form(hash, 0x02, sha512_size)) return uses_sha512(server);
    return has_form(hash, 0x01, sha1_size) || has_form(hash, 0x01, 2 * sha1_size);
}

Binary new_login_sid() { return random_bytes(16); }

}  // namespace emulator
