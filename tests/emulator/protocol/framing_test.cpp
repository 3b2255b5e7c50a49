// Packet framing over a real socket pair: requests reassembled and checked,
// replies split at the negotiated size.
#include "raw_tds_client.h"
#include "tds/message_reader.h"
#include "tds/message_writer.h"
#include "tds/protocol_error.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

namespace emulator::tds {
namespace {

using testing::Bytes;
using testing::packet;

class FramingTest : public ::testing::Test {
protected:
    void SetUp() override {
        int fds[2];
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
        server_ = std::make_unique<Socket>(fds[0]);
        client_fd_ = fds[1];
    }
    void TearDown() override {
        if (client_fd_ >= 0) close(client_fd_);
    }
    void client_sends(const Bytes& bytes) {
        ASSERT_EQ(write(client_fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    void client_closes() {
        close(client_fd_);
        client_fd_ = -1;
    }
    Bytes client_receives_all() {
        shutdown(server_->fd(), SHUT_WR);
        Bytes all;
        uint8_t buffer[65536];
        for (ssize_t got; (got = read(client_fd_, buffer, sizeof buffer)) > 0;)
            all.insert(all.end(), buffer, buffer + got);
        return all;
    }

    std::unique_ptr<Socket> server_;
    int client_fd_ = -1;
};

TEST_F(FramingTest, ReassemblesPacketsAndSkipsCancelledMessages) {
    client_sends(packet(0x01, 0x00, {1, 2, 3}));
    client_sends(packet(0x01, 0x01, {4, 5}));
    client_sends(packet(0x01, 0x00, {9, 9}));
    client_sends(packet(0x01, 0x03, {}));  // EOM + IGNORE: the client abandoned that request
    client_sends(packet(0x06, 0x01, {}));
    client_closes();

    MessageReader reader(*server_);
    auto first = reader.next();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->type, PacketType::sql_batch);
    EXPECT_EQ(first->payload, (Bytes{1, 2, 3, 4, 5}));
    auto second = reader.next();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->type, PacketType::attention);
    EXPECT_FALSE(reader.next());  // clean end between messages
}

TEST_F(FramingTest, RefusesHeadersThatLie) {
    struct Case {
        const char* what;
        Bytes bytes;
    };
    const Case cases[] = {
        {"length below the header size", packet(0x01, 0x01, {}, 4)},
        {"length above the largest packet", packet(0x01, 0x01, {}, 0x8000)},
        {"length past the data, then disconnect", packet(0x01, 0x01, {1, 2}, 100)},
        {"unknown type", packet(0x55, 0x01, {1})},
        {"type changes inside a message",
         [] {
             Bytes both = packet(0x01, 0x00, {1});
             Bytes second = packet(0x03, 0x01, {2});
             both.insert(both.end(), second.begin(), second.end());
             return both;
         }()},
        {"message ends with the connection", packet(0x01, 0x00, {1})},
    };
    for (const Case& c : cases) {
        SetUp();
        client_sends(c.bytes);
        client_closes();
        MessageReader reader(*server_);
        EXPECT_THROW(reader.next(), ProtocolError) << c.what;
    }
}

TEST_F(FramingTest, CapsTheSizeOfOneRequest) {
    // Feed full packets without EOM from a thread until the reader gives up.
    std::thread feeder([fd = client_fd_] {
        const Bytes full = packet(0x01, 0x00, Bytes(32767 - 8, 0x20));
        for (size_t sent = 0; sent < MessageReader::kMaxMessageSize + 2 * full.size(); sent += full.size())
            if (send(fd, full.data(), full.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(full.size())) return;
    });
    MessageReader reader(*server_);
    EXPECT_THROW(reader.next(), ProtocolError);
    server_.reset();  // closing our end stops the feeder
    feeder.join();
}

TEST_F(FramingTest, RepliesAreSplitAtThePacketSizeWithEomOnlyOnTheLast) {
    MessageWriter writer(*server_);
    writer.set_packet_size(512);
    writer.set_spid(53);
    writer.append(Bytes(1200, 0xAB));
    writer.flush();
    writer.append(Bytes(10, 0xCD));
    writer.end_message();
    const Bytes wire = client_receives_all();

    std::vector<size_t> lengths;
    Bytes joined;
    for (size_t at = 0; at < wire.size();) {
        const size_t length = static_cast<size_t>(wire[at + 2] << 8 | wire[at + 3]);
        EXPECT_EQ(wire[at], 0x04);
        EXPECT_EQ(wire[at + 4] << 8 | wire[at + 5], 53);
        const bool last = at + length == wire.size();
        EXPECT_EQ(wire[at + 1], last ? 0x01 : 0x00) << "packet at " << at;
        joined.insert(joined.end(), wire.begin() + static_cast<long>(at) + 8,
                      wire.begin() + static_cast<long>(at + length));
        lengths.push_back(length);
        at += length;
    }
    EXPECT_EQ(lengths, (std::vector<size_t>{512, 512, 200, 18}));
    Bytes expected(1200, 0xAB);
    expected.insert(expected.end(), 10, 0xCD);
    EXPECT_EQ(joined, expected);
}

TEST_F(FramingTest, PollingForAttentionLeavesOtherRequestsUnread) {
    EXPECT_EQ(server_->poll_pending(), Socket::Pending::nothing);
    client_sends(packet(0x06, 0x01, {}));
    EXPECT_EQ(server_->poll_pending(), Socket::Pending::attention);
    client_sends(packet(0x01, 0x01, {7}));
    EXPECT_EQ(server_->poll_pending(), Socket::Pending::nothing);
    MessageReader reader(*server_);
    auto batch = reader.next();
    ASSERT_TRUE(batch);
    EXPECT_EQ(batch->payload, Bytes{7});
    client_closes();
    EXPECT_EQ(server_->poll_pending(), Socket::Pending::closed);
}

}  // namespace
}  // namespace emulator::tds
