// The default domain policy: a minimum length of 7 characters (Microsoft's
// "Minimum password length" policy page), and the complexity passfilt.dll
// enforces ("Strong Password Enforcement and Passfilt.dll"): characters of
// three of five kinds (upper case, lower case, digits, non-alphanumeric, and
// letters without case such as those of Asian languages), and not the
// account's name, compared without case and only when it has three
// characters or more.
#include "password_policy.h"

#include "text.h"

#include <bitset>

namespace emulator {
namespace {

constexpr size_t minimum_length = 7;
constexpr size_t kinds_required = 3;

enum Kind { upper, lower, digit, other, caseless_letter, kind_count };

bool is_caseless_letter(char16_t c) {
    return (c >= 0x3040 && c <= 0x30FF) ||  // Hiragana, Katakana
           (c >= 0x3400 && c <= 0x4DBF) ||  // CJK extension A
           (c >= 0x4E00 && c <= 0x9FFF) ||  // CJK unified ideographs
           (c >= 0xAC00 && c <= 0xD7AF);    // Hangul
}

// Upper and lower case cover the Latin letters with diacritics of Latin-1,
// Greek and Cyrillic, as the policy names them; rarer cased scripts count as
// other characters, for want of Unicode's full tables.
Kind kind_of(char16_t c) {
    if (c >= u'A' && c <= u'Z') return upper;
    if (c >= u'a' && c <= u'z') return lower;
    if (c >= u'0' && c <= u'9') return digit;
    if ((c >= 0x00C0 && c <= 0x00DE && c != 0x00D7) || (c >= 0x0391 && c <= 0x03A9) || (c >= 0x0400 && c <= 0x042F))
        return upper;
    if ((c >= 0x00DF && c <= 0x00FF && c != 0x00F7) || (c >= 0x03B1 && c <= 0x03C9) || (c >= 0x0430 && c <= 0x045F))
        return lower;
    if (is_caseless_letter(c)) return caseless_letter;
    return other;
}

bool contains_ci(std::u16string_view text, std::u16string_view part) {
    if (part.size() > text.size()) return false;
    for (size_t at = 0; at + part.size() <= text.size(); ++at)
        if (equals_ci(text.substr(at, part.size()), part)) return true;
    return false;
}

}  // namespace

std::optional<int32_t> password_policy_violation(std::u16string_view login, std::u16string_view password) {
    if (password.size() < minimum_length) return 15116;
    std::bitset<kind_count> kinds;
    for (char16_t c : password) kinds.set(kind_of(c));
    if (kinds.count() < kinds_required) return 15118;
    if (login.size() >= 3 && contains_ci(password, login)) return 15118;
    return std::nullopt;
}

}  // namespace emulator
