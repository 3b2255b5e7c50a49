// Hostile and broken clients: each case must close only its own connection,
// and a well-behaved client must still be served afterwards.
#include "child_process.h"
#include "raw_tds_client.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace emulator::testing {
namespace {

const std::u16string kSaPassword = EmulatorProcess::sa_password();

void logged_in(RawTdsClient& client) {
    const auto reply = client.login(u"sa", kSaPassword);
    ASSERT_TRUE(reply);
    ASSERT_NE(reply->find(0xAD), nullptr);
}

void expect_normal_client_served(uint16_t port) {
    RawTdsClient client(port);
    logged_in(client);
    const auto reply = client.run_batch(u"SELECT 5 AS n");
    ASSERT_TRUE(reply);
    ASSERT_NE(reply->find(0xD1), nullptr);
    EXPECT_EQ(reply->find(0xD1)->values.at(0), u"5");
}

struct MalformedCase {
    const char* name;
    std::function<void(RawTdsClient&)> send;
    bool server_must_close = true;  // false: the client leaves by itself
};

TEST(MalformedInputTest, BadBytesCloseOnlyThatConnection) {
    EmulatorProcess emulator;
    std::mt19937 random(20261207);
    const std::vector<MalformedCase> cases = {
        {"garbage",
         [&](RawTdsClient& c) {
             Bytes noise(300);
             for (auto& b : noise) b = static_cast<uint8_t>(random());
             noise[0] = 0x99;
             c.send_bytes(noise);
         }},
        {"header length below 8", [](RawTdsClient& c) { c.send_bytes(packet(0x12, 0x01, {}, 4)); }},
        {"header length above 32767", [](RawTdsClient& c) { c.send_bytes(packet(0x12, 0x01, {}, 0x9000)); }},
        {"length past the data, then disconnect",
         [](RawTdsClient& c) {
             c.send_bytes(packet(0x12, 0x01, Bytes(32, 0), 200));
             c.close_connection();
         },
         false},
        {"truncated header, then disconnect",
         [](RawTdsClient& c) {
             c.send_bytes({0x12, 0x01, 0x00});
             c.close_connection();
         },
         false},
        {"prelogin option table without terminator",
         [](RawTdsClient& c) {
             c.send_packet(0x12, 0x01, {0x00, 0x00, 0x40, 0x00, 0x06});
         }},
        {"batch before login", [](RawTdsClient& c) { c.send_message(0x01, batch_payload(u"SELECT 1")); }},
        {"LOGIN7 user name outside the packet",
         [](RawTdsClient& c) {
             c.send_message(0x12, prelogin_payload());
             c.read_reply();
             Bytes login = login7_payload(u"sa", u"pw", 4096, u"");
             login[40] = 0x00;
             login[41] = 0x7F;
             c.send_message(0x10, login);
         }},
        {"LOGIN7 length larger than the packet",
         [](RawTdsClient& c) {
             Bytes login = login7_payload(u"sa", u"pw", 4096, u"");
             login[2] = 0x01;
             c.send_message(0x10, login);
         }},
        {"LOGIN7 shorter than its fixed part",
         [](RawTdsClient& c) {
             c.send_message(0x10, Bytes{0x20, 0, 0, 0, 0x04, 0, 0, 0x74});
         }},
        {"ALL_HEADERS length past the batch",
         [](RawTdsClient& c) {
             logged_in(c);
             Bytes batch = batch_payload(u"SELECT 1");
             batch[0] = 0xFF;
             batch[1] = 0xFF;
             c.send_message(0x01, batch);
         }},
        {"batch text of odd length",
         [](RawTdsClient& c) {
             logged_in(c);
             Bytes batch = batch_payload(u"SELECT 1");
             batch.push_back(0x41);
             c.send_message(0x01, batch);
         }},
        {"disconnect in the middle of a multi-packet batch",
         [](RawTdsClient& c) {
             logged_in(c);
             c.send_packet(0x01, 0x00, batch_payload(u"SELECT 1 AS a"));
             c.close_connection();
         },
         false},
        {"packet type changes inside a message",
         [](RawTdsClient& c) {
             logged_in(c);
             c.send_packet(0x01, 0x00, batch_payload(u"SELECT 1 AS a"));
             c.send_packet(0x03, 0x01, {0x00});
         }},
        {"login packet type after login",
         [](RawTdsClient& c) {
             logged_in(c);
             c.send_message(0x10, login7_payload(u"sa", kSaPassword, 4096, u""));
         }},
    };
    for (const MalformedCase& test_case : cases) {
        SCOPED_TRACE(test_case.name);
        {
            RawTdsClient client(emulator.port());
            test_case.send(client);
            if (test_case.server_must_close) {
                EXPECT_TRUE(client.closed_by_server());
            }
        }
        expect_normal_client_served(emulator.port());
    }
}

TEST(MalformedInputTest, AnEndlessRequestIsCutOffBeforeMemoryRunsOut) {
    EmulatorProcess emulator;
    RawTdsClient client(emulator.port());
    logged_in(client);
    const Bytes full_packet = packet(0x01, 0x00, Bytes(32767 - 8, 0x20));
    // 96 MiB offered without an end-of-message bit; the server gives up at 64 MiB.
    size_t sent = 0;
    try {
        for (; sent < 96u * 1024 * 1024; sent += full_packet.size()) client.send_bytes(full_packet);
    } catch (const std::runtime_error&) {
    }
    EXPECT_LT(sent, 96u * 1024 * 1024);
    expect_normal_client_served(emulator.port());
}

TEST(MalformedInputTest, DisconnectDuringARunningBatchLeavesOthersServed) {
    EmulatorProcess emulator({"--fault", "delay:slow_marker:1500"});
    {
        RawTdsClient client(emulator.port());
        logged_in(client);
        client.send_message(0x01, batch_payload(u"SELECT 'slow_marker' AS m"));
    }  // gone while the engine waits
    expect_normal_client_served(emulator.port());
}

}  // namespace
}  // namespace emulator::testing
