// UTF-16 text helpers shared by the engine: case-insensitive names (the server
// collation is case-insensitive), UTF-8 conversion and number formatting.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace emulator {

char16_t fold_case(char16_t c);
bool equals_ci(std::u16string_view a, std::u16string_view b);
bool equals_any_ci(std::span<const std::u16string_view> candidates, std::u16string_view word);
std::u16string to_upper(std::u16string_view text);

// Key for maps of names that compare case-insensitively.
struct LessCi {
    bool operator()(const std::u16string& a, const std::u16string& b) const;
};

// Invalid sequences and lone surrogates become U+FFFD.
std::string to_utf8(std::u16string_view text);
std::u16string from_utf8(std::string_view text);
std::u16string ascii(std::string_view text);

std::u16string to_u16(int64_t number);
// "12.345": whole units and exactly three decimals, as SQL Server prints timings.
std::u16string format_milli(int64_t thousandths);

// "0x0200AB...": bytes as T-SQL writes a binary constant, in capitals.
std::u16string hex_text(std::span<const uint8_t> bytes);
// The bytes of hex digits without the "0x" (either case; an odd count reads
// as if a 0 led, as T-SQL reads 0x1 as 0x01); nullopt for another character.
std::optional<std::vector<uint8_t>> parse_hex_digits(std::u16string_view digits);

}  // namespace emulator
