// GUID generation and text conversion.
#include "guid.h"

#include <random>

namespace emulator {
namespace {

// Where each of the 16 bytes' two hex digits start in the text form.
constexpr size_t digit_positions[16] = {0, 2, 4, 6, 9, 11, 14, 16, 19, 21, 24, 26, 28, 30, 32, 34};
constexpr size_t text_length = 36;

int hex_value(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    return -1;
}

}  // namespace

Guid random_guid() {
    static thread_local std::mt19937_64 generator{std::random_device{}()};
    Guid guid;
    for (size_t i = 0; i < guid.bytes.size(); i += 8) {
        const uint64_t bits = generator();
        for (size_t k = 0; k < 8; ++k) guid.bytes[i + k] = static_cast<uint8_t>(bits >> (8 * k));
    }
    guid.bytes[6] = static_cast<uint8_t>((guid.bytes[6] & 0x0F) | 0x40);  // version 4
    guid.bytes[8] = static_cast<uint8_t>((guid.bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
    return guid;
}

std::u16string guid_text(const Guid& guid) {
    static constexpr char16_t digits[] = u"0123456789ABCDEF";
    std::u16string text(text_length, u'-');
    for (size_t i = 0; i < 16; ++i) {
        text[digit_positions[i]] = digits[guid.bytes[i] >> 4];
        text[digit_positions[i] + 1] = digits[guid.bytes[i] & 15];
    }
    return text;
}

std::optional<Guid> parse_guid(std::u16string_view text) {
    if (text.size() != text_length || text[8] != u'-' || text[13] != u'-' || text[18] != u'-' || text[23] != u'-')
        return std::nullopt;
    Guid guid;
    for (size_t i = 0; i < 16; ++i) {
        const int high = hex_value(text[digit_positions[i]]);
        const int low = hex_value(text[digit_positions[i] + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        guid.bytes[i] = static_cast<uint8_t>(high << 4 | low);
    }
    return guid;
}

}  // namespace emulator
