// The server's side of NTLM (MS-NLMP) as it rides in TDS's SSPI fields: the
// client's NEGOTIATE, the server's CHALLENGE, and the account named by the
// client's AUTHENTICATE.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace emulator::tds {

// ProtocolError unless the bytes are an NTLM NEGOTIATE message.
void check_ntlm_negotiate(std::span<const uint8_t> message);

// A CHALLENGE from the computer `computer_name` (a stand-alone server: the
// computer is its own domain), with the server's nonce and the time as a
// Windows FILETIME. It carries the target information block that NTLMv2
// clients build their answer on.
std::vector<uint8_t> ntlm_challenge(std::u16string_view computer_name, const std::array<uint8_t, 8>& nonce,
                                    uint64_t filetime);

// "DOMAIN\user" as the AUTHENTICATE message names the account. ProtocolError
// when it is no AUTHENTICATE message or a field points outside it.
std::u16string ntlm_account(std::span<const uint8_t> message);

// The current time as a Windows FILETIME (100 ns since 1601-01-01 UTC).
uint64_t filetime_now();

}  // namespace emulator::tds
