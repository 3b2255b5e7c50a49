// NTLM message layouts from MS-NLMP 2.2.1 (NEGOTIATE, CHALLENGE, AUTHENTICATE)
// and 2.2.2.1 (AV_PAIR).
#include "ntlm.h"

#include "byte_reader.h"
#include "byte_writer.h"
#include "protocol_error.h"

#include <algorithm>
#include <chrono>

namespace emulator::tds {

namespace {

constexpr std::array<uint8_t, 8> kSignature = {'N', 'T', 'L', 'M', 'S', 'S', 'P', 0};
constexpr uint32_t kNegotiate = 1;
constexpr uint32_t kChallenge = 2;
constexpr uint32_t kAuthenticate = 3;

namespace flag {
constexpr uint32_t unicode = 0x00000001;
constexpr uint32_t request_target = 0x00000004;
constexpr uint32_t ntlm = 0x00000200;
constexpr uint32_t always_sign = 0x00008000;
constexpr uint32_t target_type_server = 0x00020000;
constexpr uint32_t extended_session_security = 0x00080000;
constexpr uint32_t target_info = 0x00800000;
constexpr uint32_t version = 0x02000000;
}  // namespace flag

// AV_PAIR identifiers of the target information.
enum class AvId : uint16_t {
    eol = 0,
    nb_computer_name = 1,
    nb_domain_name = 2,
    dns_computer_name = 3,
    dns_domain_name = 4,
    timestamp = 7,
};

constexpr size_t kChallengeHeaderSize = 56;  // up to and with the Version field
// Windows Server 2019 (10.0.17763), NTLM revision 15.
constexpr std::array<uint8_t, 8> kVersion = {10, 0, 0x63, 0x45, 0, 0, 0, 0x0F};
// FILETIME of the Unix epoch.
constexpr uint64_t kUnixEpochFiletime = 116444736000000000ull;

void check_message(const ByteReader& message, uint32_t type, const char* name) {
    const auto signature = message.bytes_at(0, kSignature.size());
    if (!std::equal(signature.begin(), signature.end(), kSignature.begin()) || message.u32le_at(8) != type)
        throw ProtocolError(std::string("the SSPI data is not an NTLM ") + name + " message");
}

void av_pair(ByteWriter& out, AvId id, std::u16string_view text) {
    out.u16le(static_cast<uint16_t>(id));
    out.u16le(static_cast<uint16_t>(text.size() * 2));
    out.ucs2(text);
}

std::u16string lower_ascii(std::u16string_view text) {
    std::u16string lower(text);
    for (char16_t& c : lower)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    return lower;
}

// A security buffer's text: UTF-16LE with the UNICODE flag, else OEM bytes
// (ASCII account names read the same in any OEM code page).
std::u16string buffer_text(const ByteReader& message, size_t fields, bool unicode) {
    const size_t length = message.u16le_at(fields);
    const size_t offset = message.u32le_at(fields + 4);
    if (unicode) {
        if (length % 2 != 0) throw ProtocolError("an NTLM text field has an odd length");
        return message.ucs2_at(offset, length / 2);
    }
    const auto bytes = message.bytes_at(offset, length);
    return std::u16string(bytes.begin(), bytes.end());
}

}  // namespace

void check_ntlm_negotiate(std::span<const uint8_t> message) {
    check_message(ByteReader(message), kNegotiate, "NEGOTIATE");
}

std::vector<uint8_t> ntlm_challenge(std::u16string_view computer_name, const std::array<uint8_t, 8>& nonce,
                                    uint64_t filetime) {
    ByteWriter target_info;
    av_pair(target_info, AvId::nb_domain_name, computer_name);
    av_pair(target_info, AvId::nb_computer_name, computer_name);
    av_pair(target_info, AvId::dns_domain_name, lower_ascii(computer_name));
    av_pair(target_info, AvId::dns_computer_name, lower_ascii(computer_name));
    target_info.u16le(static_cast<uint16_t>(AvId::timestamp));
    target_info.u16le(8);
    target_info.u64le(filetime);
    target_info.u16le(static_cast<uint16_t>(AvId::eol));
    target_info.u16le(0);

    const auto target_name_bytes = static_cast<uint16_t>(computer_name.size() * 2);
    const auto target_info_bytes = static_cast<uint16_t>(target_info.size());
    ByteWriter out;
    for (uint8_t byte : kSignature) out.u8(byte);
    out.u32le(kChallenge);
    out.u16le(target_name_bytes);
    out.u16le(target_name_bytes);
    out.u32le(kChallengeHeaderSize);
    out.u32le(flag::unicode | flag::request_target | flag::ntlm | flag::always_sign | flag::target_type_server |
              flag::extended_session_security | flag::target_info | flag::version);
    for (uint8_t byte : nonce) out.u8(byte);
    out.u64le(0);  // reserved
    out.u16le(target_info_bytes);
    out.u16le(target_info_bytes);
    out.u32le(static_cast<uint32_t>(kChallengeHeaderSize + target_name_bytes));
    for (uint8_t byte : kVersion) out.u8(byte);
    out.ucs2(computer_name);
    out.bytes(target_info.data());
    return out.take();
}

std::u16string ntlm_account(std::span<const uint8_t> message) {
    const ByteReader reader(message);
    check_message(reader, kAuthenticate, "AUTHENTICATE");
    constexpr size_t kDomainFields = 28;
    constexpr size_t kUserFields = 36;
    constexpr size_t kFlags = 60;
    const bool unicode = (reader.u32le_at(kFlags) & flag::unicode) != 0;
    return buffer_text(reader, kDomainFields, unicode) + u"\\" + buffer_text(reader, kUserFields, unicode);
}

uint64_t filetime_now() {
    const auto since_epoch = std::chrono::system_clock::now().time_since_epoch();
    return kUnixEpochFiletime + static_cast<uint64_t>(
                                    std::chrono::duration_cast<std::chrono::nanoseconds>(since_epoch).count() / 100);
}

}  // namespace emulator::tds
