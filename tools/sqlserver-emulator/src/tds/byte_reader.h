// Reads little-endian integers and UCS-2 text from a received buffer; every
// read is checked against the buffer's end and fails with ProtocolError.
#pragma once

#include "protocol_error.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace emulator::tds {

class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> data) : data_(data) {}

    uint8_t u8_at(size_t offset) const {
        require(offset, 1);
        return data_[offset];
    }
    uint16_t u16le_at(size_t offset) const {
        require(offset, 2);
        return static_cast<uint16_t>(data_[offset] | data_[offset + 1] << 8);
    }
    uint16_t u16be_at(size_t offset) const {
        require(offset, 2);
        return static_cast<uint16_t>(data_[offset] << 8 | data_[offset + 1]);
    }
    uint32_t u32le_at(size_t offset) const {
        require(offset, 4);
        return static_cast<uint32_t>(data_[offset]) | static_cast<uint32_t>(data_[offset + 1]) << 8 |
               static_cast<uint32_t>(data_[offset + 2]) << 16 | static_cast<uint32_t>(data_[offset + 3]) << 24;
    }
    std::u16string ucs2_at(size_t offset, size_t chars) const {
        require(offset, chars * 2);
        std::u16string text(chars, u'\0');
        for (size_t i = 0; i < chars; ++i)
            text[i] = static_cast<char16_t>(data_[offset + 2 * i] | data_[offset + 2 * i + 1] << 8);
        return text;
    }
    std::span<const uint8_t> bytes_at(size_t offset, size_t count) const {
        require(offset, count);
        return data_.subspan(offset, count);
    }
    size_t size() const { return data_.size(); }

private:
    void require(size_t offset, size_t count) const {
        if (offset > data_.size() || count > data_.size() - offset)
            throw ProtocolError("field runs past the end of the packet");
    }

    std::span<const uint8_t> data_;
};

}  // namespace emulator::tds
