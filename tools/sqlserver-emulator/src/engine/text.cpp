// UTF-16 text helpers: case folding, UTF-8 conversion and number formatting.
#include "text.h"

#include <algorithm>

namespace emulator {

char16_t fold_case(char16_t c) {
    if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - u'a' + u'A');
    // Full-width Latin letters fold too, as under Chinese_PRC_CI_AS.
    if (c >= u'\uFF41' && c <= u'\uFF5A') return static_cast<char16_t>(c - 0x20);
    return c;
}

bool equals_ci(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char16_t x, char16_t y) { return fold_case(x) == fold_case(y); });
}

bool equals_any_ci(std::span<const std::u16string_view> candidates, std::u16string_view word) {
    return std::any_of(candidates.begin(), candidates.end(),
                       [word](std::u16string_view candidate) { return equals_ci(candidate, word); });
}

std::u16string to_upper(std::u16string_view text) {
    std::u16string result(text);
    std::transform(result.begin(), result.end(), result.begin(), fold_case);
    return result;
}

bool LessCi::operator()(const std::u16string& a, const std::u16string& b) const {
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(),
        [](char16_t x, char16_t y) { return fold_case(x) < fold_case(y); });
}

namespace {

constexpr char32_t replacement_character = 0xFFFD;

void append_utf16(std::u16string& out, char32_t code) {
    if (code >= 0x10000) {
        code -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(code));
    }
}

}  // namespace

std::string to_utf8(std::u16string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t code = text[i];
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (code >= 0xD800 && code < 0xE000) {
            code = replacement_character;
        }
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            out.push_back(static_cast<char>(0xC0 | code >> 6));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | code >> 12));
            out.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | code >> 18));
            out.push_back(static_cast<char>(0x80 | (code >> 12 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return out;
}

std::u16string from_utf8(std::string_view text) {
    std::u16string out;
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        size_t extra = 0;
        char32_t code = lead;
        if (lead >= 0xF0 && lead < 0xF5) {
            extra = 3;
            code = lead & 0x07;
        } else if (lead >= 0xE0 && lead < 0xF0) {
            extra = 2;
            code = lead & 0x0F;
        } else if (lead >= 0xC2 && lead < 0xE0) {
            extra = 1;
            code = lead & 0x1F;
        } else if (lead >= 0x80) {
            out.push_back(static_cast<char16_t>(replacement_character));
            ++i;
            continue;
        }
        bool valid = i + extra < text.size() || extra == 0;
        for (size_t k = 1; valid && k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = code << 6 | (next & 0x3F);
        }
        constexpr char32_t shortest[] = {0, 0x80, 0x800, 0x10000};
        if (!valid || code < shortest[extra] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) {
            out.push_back(static_cast<char16_t>(replacement_character));
            ++i;
            continue;
        }
        append_utf16(out, code);
        i += extra + 1;
    }
    return out;
}

std::u16string ascii(std::string_view text) { return std::u16string(text.begin(), text.end()); }

std::u16string to_u16(int64_t number) { return ascii(std::to_string(number)); }

std::u16string format_milli(int64_t thousandths) {
    std::string fraction = std::to_string(thousandths % 1000);
    fraction.insert(0, 3 - fraction.size(), '0');
    return to_u16(thousandths / 1000) + u"." + ascii(fraction);
}

std::u16string hex_text(std::span<const uint8_t> bytes) {
    constexpr char16_t digits[] = u"0123456789ABCDEF";
    std::u16string text = u"0x";
    for (uint8_t byte : bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 0xF];
    }
    return text;
}

std::optional<std::vector<uint8_t>> parse_hex_digits(std::u16string_view digits) {
    auto value = [](char16_t c) -> int {
        if (c >= u'0' && c <= u'9') return c - u'0';
        if (c >= u'a' && c <= u'f') return c - u'a' + 10;
        if (c >= u'A' && c <= u'F') return c - u'A' + 10;
        return -1;
    };
    std::vector<uint8_t> bytes;
    size_t i = 0;
    if (digits.size() % 2 == 1) {
        if (value(digits[0]) < 0) return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(value(digits[0])));
        i = 1;
    }
    for (; i < digits.size(); i += 2) {
        const int high = value(digits[i]);
        const int low = value(digits[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(high << 4 | low));
    }
    return bytes;
}

}  // namespace emulator
