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
    EXPECT_EQ(prelogin_reply({15, 0, 2000}), expected);
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
    EXPECT_EQ(login_ack_token({15, 0, 2000}), expected_ack);

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

TEST(TokenTest, EveryColumnTypeTravelsInItsNullableForm) {
    const Bytes collation = {0x04, 0x08, 0xD0, 0x00, 0x00};
    const auto with_collation = [&](Bytes head) {
        head.insert(head.end(), collation.begin(), collation.end());
        return head;
    };
    // 2000-01-01 12:00:00 is day 36524 after 1900-01-01 and 12 * 3600 * 300 ticks of 1/300 s.
    const DateTime noon_2000{(36524LL * 86400 + 12 * 3600) * 1000};
    const Guid guid{{0x6F, 0x96, 0x19, 0xFF, 0x8B, 0x86, 0xD0, 0x11, 0xB4, 0x2D, 0x00, 0xC0, 0x4F, 0xC9, 0x64, 0xFF}};
    const struct {
        Column column;
        Value value;
        Bytes type_info;
        Bytes value_bytes;
        Bytes null_bytes;
        std::u16string decoded;
    } cases[] = {
        {{u"c", ColumnType::tinyint}, int32_t{200}, {0x26, 0x01}, {0x01, 0xC8}, {0x00}, u"200"},
        {{u"c", ColumnType::smallint}, int32_t{-2}, {0x26, 0x02}, {0x02, 0xFE, 0xFF}, {0x00}, u"-2"},
        {{u"c", ColumnType::bigint}, int64_t{1} << 40, {0x26, 0x08}, {0x08, 0, 0, 0, 0, 0, 0x01, 0, 0}, {0x00},
         u"1099511627776"},
        {{u"c", ColumnType::bit}, int32_t{1}, {0x68, 0x01}, {0x01, 0x01}, {0x00}, u"1"},
        {{u"c", ColumnType::numeric, 0, 20}, int64_t{12345}, {0x6C, 0x0D, 0x14, 0x00},
         {0x0D, 0x01, 0x39, 0x30, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {0x00}, u"12345"},
        {{u"c", ColumnType::numeric, 0, 25}, int64_t{-7}, {0x6C, 0x0D, 0x19, 0x00},
         {0x0D, 0x00, 0x07, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {0x00}, u"-7"},
        {{u"c", ColumnType::datetime}, noon_2000, {0x6F, 0x08}, {0x08, 0xAC, 0x8E, 0x00, 0x00, 0x00, 0xC1, 0xC5, 0x00},
         {0x00}, u"2000-01-01 12:00:00.000"},
        {{u"c", ColumnType::uniqueidentifier}, guid, {0x24, 0x10},
         {0x10, 0xFF, 0x19, 0x96, 0x6F, 0x86, 0x8B, 0x11, 0xD0, 0xB4, 0x2D, 0x00, 0xC0, 0x4F, 0xC9, 0x64, 0xFF}, {0x00},
         u"6F9619FF-8B86-D011-B42D-00C04FC964FF"},
        {{u"c", ColumnType::varbinary, 20}, Binary{0xAB, 0xCD}, {0xA5, 0x14, 0x00}, {0x02, 0x00, 0xAB, 0xCD},
         {0xFF, 0xFF}, u"ABCD"},
        {{u"c", ColumnType::character, 1}, std::u16string(u"D"), with_collation({0xAF, 0x01, 0x00}), {0x01, 0x00, 0x44},
         {0xFF, 0xFF}, u"D"},
        {{u"c", ColumnType::character, 3}, std::u16string(u"L"), with_collation({0xAF, 0x03, 0x00}),
         {0x03, 0x00, 0x4C, 0x20, 0x20}, {0xFF, 0xFF}, u"L  "},
        {{u"c", ColumnType::nvarchar, 128}, std::u16string(u"ab"), with_collation({0xE7, 0x00, 0x01}),
         {0x04, 0x00, 0x61, 0x00, 0x62, 0x00}, {0xFF, 0xFF}, u"ab"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.type_info));
        const Bytes encoded = result_set_tokens(ResultSet{{c.column}, {{c.value}, {std::monostate{}}}});
        // 81, count, user type and flags come first; the one-character name follows the type.
        const size_t type_at = 9;
        const size_t row_at = type_at + c.type_info.size() + 3;
        ASSERT_GE(encoded.size(), row_at + 1 + c.value_bytes.size() + 1 + c.null_bytes.size());
        EXPECT_EQ(Bytes(encoded.begin() + type_at, encoded.begin() + type_at + c.type_info.size()), c.type_info);
        EXPECT_EQ(encoded[row_at], 0xD1);
        const auto value_begin = encoded.begin() + row_at + 1;
        EXPECT_EQ(Bytes(value_begin, value_begin + c.value_bytes.size()), c.value_bytes);
        const auto null_begin = value_begin + c.value_bytes.size() + 1;
        EXPECT_EQ(Bytes(null_begin, encoded.end()), c.null_bytes);

        const auto tokens = testing::decode_tokens(encoded);
        ASSERT_EQ(tokens.size(), 3u);
        EXPECT_EQ(tokens[1].values, std::vector<std::u16string>{c.decoded});
        EXPECT_EQ(tokens[2].values, std::vector<std::u16string>{u"NULL"});
    }
}

TEST(TokenTest, DatetimeKeepsThreeHundredthsOfASecondAcrossMidnight) {
    const auto decoded = [](int64_t milliseconds) {
        const auto tokens = testing::decode_tokens(
            result_set_tokens(ResultSet{{{u"d", ColumnType::datetime}}, {{DateTime{milliseconds}}}}));
        return tokens.at(1).values.at(0);
    };
    const int64_t day = 86'400'000;
    EXPECT_EQ(decoded(0), u"1900-01-01 00:00:00.000");
    EXPECT_EQ(decoded(45'000LL * day + 1234), u"2023-03-17 00:00:01.233");  // 1.234 s is 370.2 ticks
    EXPECT_EQ(decoded(45'000LL * day - 1), u"2023-03-17 00:00:00.000");     // rounds up into the next day
    EXPECT_EQ(decoded(-day), u"1899-12-31 00:00:00.000");
}

TEST(TokenTest, ValuesOutsideTheirColumnTypeAreRefused) {
    const struct {
        Column column;
        Value value;
    } cases[] = {
        {{u"c", ColumnType::tinyint}, int32_t{256}},
        {{u"c", ColumnType::bit}, int32_t{2}},
        {{u"c", ColumnType::character, 1}, std::u16string(u"店")},
        {{u"c", ColumnType::varbinary, 1}, Binary{1, 2}},
        {{u"c", ColumnType::int32}, DateTime{}},
        {{u"c", ColumnType::character}, std::u16string(u"D")},  // char needs a length
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.column.type));
        EXPECT_THROW(result_set_tokens(ResultSet{{c.column}, {{c.value}}}), std::logic_error);
    }
}

TEST(TokenTest, RowsThatDoNotMatchTheColumnsAreRefused) {
    EXPECT_THROW(result_set_tokens(ResultSet{{{u"a", ColumnType::int32}}, {{int32_t{1}, int32_t{2}}}}),
                 std::logic_error);
    EXPECT_THROW(result_set_tokens(ResultSet{{{u"a", ColumnType::int32}}, {{std::u16string(u"x")}}}), std::logic_error);
}

}  // namespace
}  // namespace emulator::tds
