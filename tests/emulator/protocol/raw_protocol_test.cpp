// The stand-in's TDS behaviour seen byte by byte from a raw socket: the login
// reply, packet sizes, multi-packet requests, ATTENTION, refused requests.
#include "child_process.h"
#include "raw_tds_client.h"
#include "temporary_folder.h"

#include <gtest/gtest.h>

#include <thread>

namespace emulator::testing {
namespace {

constexpr uint8_t kError = 0xAA, kInfo = 0xAB, kEnvChange = 0xE3, kLoginAck = 0xAD, kDone = 0xFD, kRow = 0xD1;
constexpr uint16_t kDoneMore = 0x01, kDoneError = 0x02, kDoneAttention = 0x20;
const std::u16string kSa = u"sa";
const std::u16string kSaPassword = EmulatorProcess::sa_password();

TEST(RawProtocolTest, LoginReplyFollowsSqlServersOrder) {
    EmulatorProcess emulator;
    RawTdsClient client(emulator.port());
    client.send_message(0x12, prelogin_payload());
    const auto prelogin = client.read_reply();
    ASSERT_TRUE(prelogin);
    EXPECT_EQ(prelogin->packets.front().type, 0x04);

    client.send_message(0x10, login7_payload(kSa, kSaPassword, 4096, u""));
    const auto reply = client.read_reply();
    ASSERT_TRUE(reply);
    std::vector<std::pair<uint8_t, int>> shape;  // token, and the ENVCHANGE type or message number
    for (const Token& token : reply->tokens)
        shape.emplace_back(token.type, token.type == kEnvChange ? token.env_type : token.number);
    const std::vector<std::pair<uint8_t, int>> expected = {{kEnvChange, 1}, {kInfo, 5701}, {kEnvChange, 7},
                                                           {kEnvChange, 2}, {kInfo, 5703}, {kLoginAck, 0},
                                                           {kEnvChange, 4}, {kDone, 0}};
    EXPECT_EQ(shape, expected);
    EXPECT_EQ(reply->tokens[0].text, u"master");
    EXPECT_EQ(reply->tokens[1].text, u"Changed database context to 'master'.");
    EXPECT_EQ(reply->tokens[6].text, u"4096");
    EXPECT_EQ(reply->last_done().status, 0);
    EXPECT_NE(reply->packets.front().spid, 0) << "FreeTDS takes the SPID from the login reply's header";
}

TEST(RawProtocolTest, RefusedLoginEndsWithErrorDoneAndCloses) {
    EmulatorProcess emulator;
    RawTdsClient client(emulator.port());
    const auto reply = client.login(kSa, u"wrong password");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->message_numbers(), std::vector<int32_t>{18456});
    EXPECT_EQ(reply->find(kError)->text, u"Login failed for user 'sa'.");
    EXPECT_EQ(reply->find(kLoginAck), nullptr);
    EXPECT_EQ(reply->last_done().status & kDoneError, kDoneError);
    EXPECT_TRUE(client.closed_by_server());
}

TEST(RawProtocolTest, RepliesUseTheNegotiatedPacketSize) {
    EmulatorProcess emulator;
    struct Row {
        uint32_t asked;
        std::u16string granted;
    };
    for (const Row& row : {Row{512, u"512"}, Row{100, u"512"}, Row{0, u"4096"}, Row{70000, u"32767"}}) {
        RawTdsClient client(emulator.port());
        const auto login = client.login(kSa, kSaPassword, row.asked);
        ASSERT_TRUE(login);
        const Token* size_change = nullptr;
        for (const Token& token : login->tokens)
            if (token.type == kEnvChange && token.env_type == 4) size_change = &token;
        ASSERT_NE(size_change, nullptr);
        EXPECT_EQ(size_change->text, row.granted);
    }

    // A result bigger than one 512-byte packet arrives in packets of 512 at most.
    RawTdsClient client(emulator.port());
    ASSERT_TRUE(client.login(kSa, kSaPassword, 512));
    const std::u16string wide_value(900, u'x');
    const auto reply = client.run_batch(u"SELECT N'" + wide_value + u"' AS v", 512);
    ASSERT_TRUE(reply);
    ASSERT_GT(reply->packets.size(), 3u);
    for (size_t i = 0; i < reply->packets.size(); ++i) {
        EXPECT_LE(reply->packets[i].body.size() + 8, 512u);
        EXPECT_EQ(reply->packets[i].status & 0x01, i + 1 == reply->packets.size() ? 1 : 0);
    }
    ASSERT_NE(reply->find(kRow), nullptr);
    EXPECT_EQ(reply->find(kRow)->values.at(0), wide_value);
}

TEST(RawProtocolTest, MultiPacketBatchesAreReassembled) {
    EmulatorProcess emulator;
    RawTdsClient client(emulator.port());
    ASSERT_TRUE(client.login(kSa, kSaPassword));
    // About 20 KB of text sent in 512-byte packets; the statement's end lies in the last one.
    const std::u16string padding(10000, u' ');
    const auto reply = client.run_batch(u"SELECT N'连锁' AS a" + padding + u", 7 AS b", 512);
    ASSERT_TRUE(reply);
    ASSERT_NE(reply->find(kRow), nullptr);
    EXPECT_EQ(reply->find(kRow)->values, (std::vector<std::u16string>{u"连锁", u"7"}));
}

TEST(RawProtocolTest, EveryStatementButTheLastCarriesDoneMore) {
    EmulatorProcess emulator;
    RawTdsClient client(emulator.port());
    ASSERT_TRUE(client.login(kSa, kSaPassword));
    const auto reply = client.run_batch(u"SELECT 1 AS a\nUSE master\nSELECT * FROM no_such_table\nSELECT 2 AS b");
    ASSERT_TRUE(reply);
    std::vector<uint16_t> done_status;
    for (const Token& token : reply->tokens)
        if (token.type == kDone) done_status.push_back(token.status);
    ASSERT_EQ(done_status.size(), 4u);
    for (size_t i = 0; i + 1 < done_status.size(); ++i) EXPECT_TRUE(done_status[i] & kDoneMore) << i;
    EXPECT_FALSE(done_status.back() & kDoneMore);
    EXPECT_TRUE(done_status[2] & kDoneError);
    EXPECT_EQ(reply->message_numbers(), (std::vector<int32_t>{5701, 208}));
}

TEST(RawProtocolTest, AttentionIsAcknowledgedWithDoneAttn) {
    EmulatorProcess emulator({"--fault", "delay:slow_marker:4000"});
    RawTdsClient client(emulator.port());
    ASSERT_TRUE(client.login(kSa, kSaPassword));

    // After a complete reply (what FreeTDS does on SQLCloseCursor): a reply of its own.
    ASSERT_TRUE(client.run_batch(u"SELECT 1 AS a"));
    client.send_packet(0x06, 0x01, {});
    const auto ack = client.read_reply();
    ASSERT_TRUE(ack);
    EXPECT_TRUE(ack->last_done().status & kDoneAttention);

    // While a batch runs: the engine stops waiting, the batch's reply ends,
    // and the acknowledgement follows as a message of its own.
    const auto sent = std::chrono::steady_clock::now();
    client.send_message(0x01, batch_payload(u"SELECT 'slow_marker' AS m"));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    client.send_packet(0x06, 0x01, {});
    const auto cancelled = client.read_reply();
    ASSERT_TRUE(cancelled);
    EXPECT_FALSE(cancelled->last_done().status & kDoneAttention);
    const auto cancel_ack = client.read_reply();
    ASSERT_TRUE(cancel_ack);
    ASSERT_EQ(cancel_ack->tokens.size(), 1u);
    EXPECT_TRUE(cancel_ack->last_done().status & kDoneAttention);
    EXPECT_LT(std::chrono::steady_clock::now() - sent, std::chrono::milliseconds(3500))
        << "the delay was not cut short";

    // The connection is still usable.
    const auto after = client.run_batch(u"SELECT 3 AS c");
    ASSERT_TRUE(after);
    ASSERT_NE(after->find(kRow), nullptr);
    EXPECT_EQ(after->find(kRow)->values.at(0), u"3");
}

TEST(RawProtocolTest, UnsupportedRequestsAreRefusedAndTheSessionGoesOn) {
    EmulatorProcess emulator;
    RawTdsClient client(emulator.port());
    ASSERT_TRUE(client.login(kSa, kSaPassword));
    for (uint8_t type : {uint8_t{0x03}, uint8_t{0x0E}}) {
        client.send_message(type,
                            {0x16, 0, 0, 0, 0x12, 0, 0, 0, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0, 0, 0, 0xFF, 0xFF});
        const auto reply = client.read_reply();
        ASSERT_TRUE(reply);
        ASSERT_NE(reply->find(kError), nullptr);
        EXPECT_NE(reply->find(kError)->text.find(u"not supported by the emulator"), std::u16string::npos);
        EXPECT_TRUE(reply->last_done().status & kDoneError);
    }
    // A request the client abandons with the IGNORE bit gets no reply at all.
    client.send_packet(0x01, 0x00, batch_payload(u"DROP DATABASE master"));
    client.send_packet(0x01, 0x03, {});
    const auto reply = client.run_batch(u"SELECT 4 AS d");
    ASSERT_TRUE(reply);
    EXPECT_TRUE(reply->message_numbers().empty());
    EXPECT_EQ(reply->find(kRow)->values.at(0), u"4");
}

}  // namespace
}  // namespace emulator::testing

namespace emulator::testing {
namespace {

TEST(RawProtocolTest, DelayedRestoreStreamsItsProgressOverTime) {
    TemporaryFolder drive_c;
    std::filesystem::create_directories(drive_c.path() / "data");
    EmulatorProcess emulator({"--drive", "C=" + drive_c.path().string(), "--fault", "delay:RESTORE DATABASE:2000"});
    RawTdsClient client(emulator.port());
    ASSERT_TRUE(client.login(kSa, kSaPassword));
    for (const char16_t* setup : {u"CREATE DATABASE src ON (NAME = src_data, FILENAME = 'C:\\data\\src.mdf') "
                                  u"LOG ON (NAME = src_log, FILENAME = 'C:\\data\\src.ldf')",
                                  u"BACKUP DATABASE src TO DISK = N'C:\\data\\src.bak'"}) {
        const auto reply = client.run_batch(setup);
        ASSERT_TRUE(reply);
        ASSERT_EQ(reply->find(kError), nullptr);
    }
    const auto restore = client.run_batch(
        u"RESTORE DATABASE dst FROM DISK = N'C:\\data\\src.bak' WITH STATS = 10, "
        u"MOVE 'src_data' TO N'C:\\data\\dst.mdf', MOVE 'src_log' TO N'C:\\data\\dst.ldf'");
    ASSERT_TRUE(restore);
    EXPECT_EQ(restore->find(kError), nullptr);
    int progress_messages = 0;
    const auto& tokens = restore->tokens;
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].type != kInfo || tokens[i].number != 3211) continue;
        ++progress_messages;
        // SQL Server follows each with a DONE marked MORE, so that clients
        // reading results one at a time hand it on while the restore goes on.
        ASSERT_LT(i + 1, tokens.size());
        EXPECT_EQ(tokens[i + 1].type, kDone);
        EXPECT_EQ(tokens[i + 1].status, 0x0001);
    }
    EXPECT_EQ(progress_messages, 10);
    // Had the reply been held back until the end, all its packets would arrive together.
    ASSERT_GE(restore->packets.size(), 10u);
    EXPECT_GE(restore->packets.back().arrived - restore->packets.front().arrived, std::chrono::milliseconds(1000));
}

}  // namespace
}  // namespace emulator::testing
