// The INI reader's parsing and decoding rules on in-memory text.
#include "platform/ini_file.h"

#include <gtest/gtest.h>

namespace {

using platform::decode_ini_bytes;
using platform::find_ini_value;

TEST(IniValue, FindsKeysOnlyInTheirSectionIgnoringCase)
{
    const std::wstring text =
        L"; settings\n[other]\ndatabasename=wrong\n[DataBase]\n  DatabaseName =  shop  \nlogid=\"clerk\"\n[database]\nlogid=later\n";
    EXPECT_EQ(find_ini_value(text, L"database", L"databasename"), L"shop");
    EXPECT_EQ(find_ini_value(text, L"DATABASE", L"LOGID"), L"clerk") << "quotes dropped, first section wins";
    EXPECT_EQ(find_ini_value(text, L"database", L"password"), std::nullopt);
    EXPECT_EQ(find_ini_value(text, L"missing", L"logid"), std::nullopt);
    EXPECT_EQ(find_ini_value(L"[database]\r\nlogid=\r\n", L"database", L"logid"), L"") << "present but empty";
    EXPECT_EQ(find_ini_value(L"databasename=x\n", L"database", L"databasename"), std::nullopt) << "no section";
}

TEST(IniValue, LineEndsAnyOfCrLfLfAndCr)
{
    for (const std::wstring end : {L"\r\n", L"\n", L"\r"}) {
        const std::wstring text = L"[database]" + end + L"databasename=a" + end + L"logid=b" + end;
        EXPECT_EQ(find_ini_value(text, L"database", L"databasename"), L"a");
        EXPECT_EQ(find_ini_value(text, L"database", L"logid"), L"b");
    }
}

TEST(IniBytes, DecodesGbkOrUtf8WithBomAndRefusesBinary)
{
    // "门店" in GBK and in UTF-8.
    EXPECT_EQ(decode_ini_bytes("a=\xC3\xC5\xB5\xEA"), L"a=门店");
    EXPECT_EQ(decode_ini_bytes("\xEF\xBB\xBF" "a=\xE9\x97\xA8\xE5\xBA\x97"), L"a=门店");
    EXPECT_EQ(decode_ini_bytes(""), L"");
    EXPECT_EQ(decode_ini_bytes(std::string("[database]\0\x01\x02", 13)), std::nullopt) << "NUL byte";
    EXPECT_EQ(decode_ini_bytes("\xEF\xBB\xBF\xFF\xFE"), std::nullopt) << "invalid UTF-8 after a BOM";
}

}  // namespace
