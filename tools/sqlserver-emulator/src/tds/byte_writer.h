// Appends TDS's integer and text encodings to a byte buffer.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace emulator::tds {

class ByteWriter {
public:
    void u8(uint8_t value) { bytes_.push_back(value); }
    void u16le(uint16_t value) { put_le(value, 2); }
    void u32le(uint32_t value) { put_le(value, 4); }
    void u64le(uint64_t value) { put_le(value, 8); }
    void u16be(uint16_t value) {
        u8(static_cast<uint8_t>(value >> 8));
        u8(static_cast<uint8_t>(value));
    }
    void u32be(uint32_t value) {
        for (int shift = 24; shift >= 0; shift -= 8) u8(static_cast<uint8_t>(value >> shift));
    }
    void bytes(const std::vector<uint8_t>& data) { bytes_.insert(bytes_.end(), data.begin(), data.end()); }
    void ucs2(std::u16string_view text) {
        for (char16_t unit : text) u16le(static_cast<uint16_t>(unit));
    }
    // B_VARCHAR: a one-byte character count; longer texts are cut at 255.
    void b_varchar(std::u16string_view text) {
        text = text.substr(0, std::min<size_t>(text.size(), 255));
        u8(static_cast<uint8_t>(text.size()));
        ucs2(text);
    }
    // US_VARCHAR: a two-byte character count; the caller keeps it under 65536.
    void us_varchar(std::u16string_view text) {
        u16le(static_cast<uint16_t>(text.size()));
        ucs2(text);
    }
    // Writes a two-byte little-endian value over the placeholder at `offset`.
    void patch_u16le(size_t offset, uint16_t value) {
        bytes_[offset] = static_cast<uint8_t>(value);
        bytes_[offset + 1] = static_cast<uint8_t>(value >> 8);
    }

    size_t size() const { return bytes_.size(); }
    const std::vector<uint8_t>& data() const { return bytes_; }
    std::vector<uint8_t> take() { return std::move(bytes_); }

private:
    void put_le(uint64_t value, int count) {
        for (int i = 0; i < count; ++i) u8(static_cast<uint8_t>(value >> (8 * i)));
    }

    std::vector<uint8_t> bytes_;
};

}  // namespace emulator::tds
