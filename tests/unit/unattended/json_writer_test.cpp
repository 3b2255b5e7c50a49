// JSON text a deployment tool can parse whatever the server, the paths and the
// messages hold: escapes, UTF-8, nesting and empty containers.
#include "unattended/json_writer.h"

#include <gtest/gtest.h>

namespace {

using unattended::json_string;
using unattended::JsonWriter;

TEST(JsonWriter, StringsCarryEveryCharacterJsonAllows)
{
    EXPECT_EQ(json_string(L"C:\\Program Files\\SQL"), R"("C:\\Program Files\\SQL")");
    EXPECT_EQ(json_string(L"Database 'mirvox' \"x\""), R"("Database 'mirvox' \"x\"")");
    EXPECT_EQ(json_string(L"安装失败。\r\n请重试\t!"), "\"\xE5\xAE\x89\xE8\xA3\x85\xE5\xA4\xB1\xE8\xB4\xA5\xE3\x80\x82"
                                                     "\\r\\n\xE8\xAF\xB7\xE9\x87\x8D\xE8\xAF\x95\\t!\"");
    EXPECT_EQ(json_string(std::wstring(L"a\x01z\x1f", 4)), R"("a\u0001z\u001f")");
    EXPECT_EQ(json_string(std::wstring(L"\0", 1)), R"("\u0000")");
    // Characters beyond the basic plane arrive as UTF-16 pairs and leave as one UTF-8 sequence.
    EXPECT_EQ(json_string(L"\U0001F600"), "\"\xF0\x9F\x98\x80\"");
}

TEST(JsonWriter, NestsMembersInTheOrderWritten)
{
    JsonWriter json;
    json.begin_object();
    json.key(L"outcome").value(L"refused");
    json.key(L"exit_status").value(int64_t{8});
    json.key(L"phases").begin_array();
    json.begin_object().key(L"name").value(L"connect").key(L"milliseconds").value(int64_t{12}).end_object();
    json.end_array();
    json.key(L"empty").begin_array().end_array();
    json.key(L"nothing").begin_object().end_object();
    json.key(L"backup").value(std::optional<std::wstring>{});
    json.key(L"alias_written").value(false);
    json.end_object();
    EXPECT_EQ(json.text(), "{\n"
                           "  \"outcome\": \"refused\",\n"
                           "  \"exit_status\": 8,\n"
                           "  \"phases\": [\n"
                           "    {\n"
                           "      \"name\": \"connect\",\n"
                           "      \"milliseconds\": 12\n"
                           "    }\n"
                           "  ],\n"
                           "  \"empty\": [],\n"
                           "  \"nothing\": {},\n"
                           "  \"backup\": null,\n"
                           "  \"alias_written\": false\n"
                           "}\n");
}

}  // namespace
