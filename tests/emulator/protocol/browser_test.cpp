// The Browser's answer (MC-SQLR SVR_RESP) to each kind of request.
#include "tds/browser.h"

#include <gtest/gtest.h>

namespace emulator::tds {
namespace {

std::vector<uint8_t> bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

TEST(BrowserTest, AnswersOnlyAUnicastRequestForItsOwnInstance) {
    const BrowserInstance named{u"STORE01", u"SQLEXPRESS", u"15.0.2000.5", 50123};
    const std::string data = "ServerName;STORE01;InstanceName;SQLEXPRESS;IsClustered;No;Version;15.0.2000.5;tcp;50123;;";
    std::vector<uint8_t> expected{0x05, static_cast<uint8_t>(data.size()), 0x00};
    expected.insert(expected.end(), data.begin(), data.end());

    EXPECT_EQ(browser_answer(bytes(std::string("\x04SQLEXPRESS\0", 12)), named), expected);
    EXPECT_EQ(browser_answer(bytes(std::string("\x04sqlExpress\0", 12)), named), expected);
    EXPECT_EQ(browser_answer(bytes("\x04SQLEXPRESS"), named), expected) << "a name without its terminator";

    struct Silent {
        std::string request;
        const char* why;
    };
    const Silent silent[] = {
        {std::string("\x04MSSQLSERVER\0", 13), "another instance"},
        {std::string("\x04SQLEXPRES\0", 11), "a prefix of the name"},
        {std::string("\x04\0", 2), "an empty name"},
        {"\x03", "CLNT_UCAST_EX"},
        {"\x02", "CLNT_BCAST_EX"},
        {std::string("\x0F\x01SQLEXPRESS\0", 13), "CLNT_UCAST_DAC"},
        {"", "an empty datagram"},
    };
    for (const Silent& row : silent) EXPECT_FALSE(browser_answer(bytes(row.request), named)) << row.why;

    const BrowserInstance default_instance{u"STORE01", u"", u"15.0.2000.5", 1433};
    EXPECT_FALSE(browser_answer(bytes(std::string("\x04MSSQLSERVER\0", 13)), default_instance));
}

}  // namespace
}  // namespace emulator::tds
