// Byte-exact checks of what the front end decodes and encodes, against the
// layouts and sample bytes published for TDS 7.4.
#include "raw_tds_client.h"
#include "tds/login7.h"
#include "tds/prelogin.h"
#include "tds/protocol_error.h"
#include "tds/tokens.h"

#include <gtest/gtest.h>

namespace emulator::tds {
namespace {

using testing::Bytes;

Bytes ucs2(std::u16string_view text) {
    Bytes out;
    for (char16_t c : text) {
        out.push_back(static_cast<uint8_t>(c));
        out.push_back(static_cast<uint8_t>(c >> 8));
    }
    return out;
}

TEST(PreloginTest, ReplyRefusesEncryptionWithThePublishedLayout) {
    const Bytes expected = {0x00, 0x00, 0x1A, 0x00, 0x06, 0x01, 0x00, 0x20, 0x00, 0x01, 0x02, 0x00,
                            0x21, 0x00, 0x01, 0x03, 0x00, 0x22, 0x00, 0x00, 0x04, 0x00, 0x22, 0x00,
                            0x01, 0xFF, 0x0F, 0x00, 0x07, 0xD0, 0x00, 0x00, 0x02, 0x00, 0x00};
    EXPECT_EQ(prelogin_reply(), expected);
}

TEST(PreloginTest, OptionTableMustStayInsideThePayload) {
    EXPECT_NO_THROW(check_prelogin(testing::prelogin_payload()));
    EXPECT_THROW(check_prelogin(Bytes{0x00, 0x00, 0x0B, 0x00, 0x06}), ProtocolError);        // no terminator
    EXPECT_THROW(check_prelogin(Bytes{0x00, 0x00, 0x06, 0x01, 0x00, 0xFF}), ProtocolError);  // data past the end
    EXPECT_THROW(check_prelogin(Bytes{}), ProtocolError);
}

TEST(Login7Test, DecodesLoginPasswordDatabaseAndOdbcFlag) {
    const Login7 freetds = decode_login7(testing::login7_payload(u"sa", u"P@ss;wörd", 8192, u"mirvox", 0x03));
    EXPECT_EQ(freetds.request.user, u"sa");
    EXPECT_EQ(freetds.request.password, u"P@ss;wörd");
    EXPECT_EQ(freetds.request.database, u"mirvox");
    EXPECT_TRUE(freetds.request.odbc_behaviour);
    EXPECT_EQ(freetds.requested_packet_size, 8192u);
    EXPECT_EQ(freetds.tds_version, 0x74000004u);

    const Login7 tedious = decode_login7(testing::login7_payload(u"app", u"", 4096, u"", 0x00));
    EXPECT_FALSE(tedious.request.odbc_behaviour);
    EXPECT_EQ(tedious.request.password, u"");
}

TEST(Login7Test, PasswordObfuscationMatchesThePublishedExample) {
    // "a" = 61 00 travels as B3 A5.
    Bytes login = testing::login7_payload(u"sa", u"a", 4096, u"");
    const size_t offset = login[44] | login[45] << 8;
    EXPECT_EQ(login[offset], 0xB3);
    EXPECT_EQ(login[offset + 1], 0xA5);
    EXPECT_EQ(decode_login7(login).request.password, u"a");
}

TEST(Login7Test, RefusesFieldsOutsideTheRecord) {
    const Bytes good = testing::login7_payload(u"sa", u"pw", 4096, u"master");
    {
        Bytes bad = good;
        bad[40] = 0xF0;  // ibUserName far past the end
        bad[41] = 0xFF;
        EXPECT_THROW(decode_login7(bad), ProtocolError);
    }
    {
        Bytes bad = good;
        bad[70] = 0xFF;  // cchDatabase larger than what follows
        EXPECT_THROW(decode_login7(bad), ProtocolError);
    }
    {
        Bytes bad = good;
        bad[0] = 0xFF;  // declared length beyond the packet
        bad[1] = 0xFF;
        EXPECT_THROW(decode_login7(bad), ProtocolError);
    }
    EXPECT_THROW(decode_login7(Bytes(good.begin(), good.begin() + 60)), ProtocolError);
}

TEST(Login7Test, PacketSizeIsClampedToWhatTdsAllows) {
    EXPECT_EQ(negotiated_packet_size(0), 4096u);
    EXPECT_EQ(negotiated_packet_size(100), 512u);
    EXPECT_EQ(negotiated_packet_size(8000), 8000u);
    EXPECT_EQ(negotiated_packet_size(1u << 20), 32767u);
}

TEST(TokenTest, LoginAckAndDoneMatchThePublishedBytes) {
    Bytes expected_ack = {0xAD, 0x32, 0x00, 0x01, 0x74, 0x00, 0x00, 0x04, 0x14};
    const Bytes name = ucs2(u"Microsoft SQL Server");
    expected_ack.insert(expected_ack.end(), name.begin(), name.end());
    expected_ack.insert(expected_ack.end(), {0x0F, 0x00, 0x07, 0xD0});
    EXPECT_EQ(login_ack_token(), expected_ack);

    EXPECT_EQ(done_token(done_status::count, 0xC1, 1),
              (Bytes{0xFD, 0x10, 0x00, 0xC1, 0x00, 0x01, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(TokenTest, EnvChangesCarryNewAndOldValues) {
    Bytes database = {0xE3, 0x17, 0x00, 0x01, 0x04};
    for (uint8_t b : ucs2(u"mydb")) database.push_back(b);
    database.push_back(0x06);
    for (uint8_t b : ucs2(u"master")) database.push_back(b);
    EXPECT_EQ(env_change_token(EnvChange::database, u"mydb", u"master"), database);

    EXPECT_EQ(collation_change_token(), (Bytes{0xE3, 0x08, 0x00, 0x07, 0x05, 0x04, 0x08, 0xD0, 0x00, 0x00, 0x00}));
}

TEST(TokenTest, SeverityChoosesBetweenInfoAndError) {
    const ServerMessage progress{3211, 1, 10, u"10 percent processed.", u"", 1};
    const ServerMessage failure{208, 1, 16, u"Invalid object name 'x'.", u"", 1};
    const auto info = testing::decode_tokens(message_token(progress));
    const auto error = testing::decode_tokens(message_token(failure));
    ASSERT_EQ(info.size(), 1u);
    ASSERT_EQ(error.size(), 1u);
    EXPECT_EQ(info[0].type, 0xAB);
    EXPECT_EQ(info[0].text, u"10 percent processed.");
    EXPECT_EQ(error[0].type, 0xAA);
    EXPECT_EQ(error[0].number, 208);
    EXPECT_EQ(error[0].severity, 16);

    // The token length is 16 bits: an overlong text is cut, never wrapped.
    const ServerMessage huge{50000, 1, 16, std::u16string(40000, u'x'), u"", 1};
    const auto cut = testing::decode_tokens(message_token(huge));
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_LT(cut[0].text.size(), 40000u);
}

TEST(TokenTest, IntColumnMatchesThePublishedExample) {
    const ResultSet result{{{u"n", ColumnType::int32}}, {{int32_t{42}}}};
    EXPECT_EQ(result_set_tokens(result),
              (Bytes{0x81, 0x01, 0x00, 0,    0,    0,   0, 0x01, 0x00, 0x26, 0x04, 0x01, 0x6E, 0x00,  //
                     0xD1, 0x04, 0x2A, 0x00, 0x00, 0x00}));
}

TEST(TokenTest, NVarCharColumnsSizeToTheLongestValueAndKeepEveryCharacter) {
    const std::u16string chinese = u"连锁总部";
    const ResultSet small{{{u"v", ColumnType::nvarchar}, {u"i", ColumnType::int32}},
                          {{chinese, std::monostate{}}, {std::monostate{}, int32_t{-1}}, {u"", int32_t{7}}}};
    const Bytes encoded = result_set_tokens(small);
    // maxlen is twice the longest value in bytes, followed by the collation.
    EXPECT_EQ(encoded[9], 0xE7);
    EXPECT_EQ(encoded[10] | encoded[11] << 8, 8);
    const auto tokens = testing::decode_tokens(encoded);
    ASSERT_EQ(tokens.size(), 4u);
    EXPECT_EQ(tokens[1].values, (std::vector<std::u16string>{chinese, u"NULL"}));
    EXPECT_EQ(tokens[2].values, (std::vector<std::u16string>{u"NULL", u"-1"}));
    EXPECT_EQ(tokens[3].values, (std::vector<std::u16string>{u"", u"7"}));

    // No values, or only empty ones: maxlen still at least 2.
    const Bytes empty = result_set_tokens(ResultSet{{{u"v", ColumnType::nvarchar}}, {}});
    EXPECT_EQ(empty[10] | empty[11] << 8, 2);

    // Longer than 4000 characters: sent whole as nvarchar(max), not cut.
    const std::u16string long_text(5000, u'字');
    const auto long_tokens = testing::decode_tokens(
        result_set_tokens(ResultSet{{{u"v", ColumnType::nvarchar}}, {{long_text}, {std::monostate{}}}}));
    ASSERT_EQ(long_tokens.size(), 3u);
    EXPECT_EQ(long_tokens[1].values[0], long_text);
    EXPECT_EQ(long_tokens[2].values[0], u"NULL");
}

TEST(TokenTest, RowsThatDoNotMatchTheColumnsAreRefused) {
    EXPECT_THROW(result_set_tokens(ResultSet{{{u"a", ColumnType::int32}}, {{int32_t{1}, int32_t{2}}}}),
                 std::logic_error);
    EXPECT_THROW(result_set_tokens(ResultSet{{{u"a", ColumnType::int32}}, {{std::u16string(u"x")}}}), std::logic_error);
}

}  // namespace
}  // namespace emulator::tds
