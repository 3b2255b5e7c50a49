// Which names from dbinstall.ini may go bare into a statement.
#include "install/server/identifier.h"

#include <gtest/gtest.h>

namespace {

using install::is_regular_identifier;

TEST(RegularIdentifier, AcceptsLettersOfAnyScriptAndTheAllowedSymbols)
{
    for (const wchar_t* name : {L"mirvox", L"M", L"_pos", L"@db", L"#tmp", L"门店数据库", L"pos2024", L"a$b", L"a_b@c#d",
                                L"Ünïcödé"})
        EXPECT_TRUE(is_regular_identifier(name)) << name;
}

TEST(RegularIdentifier, RefusesWhatCouldBreakOrExtendAStatement)
{
    for (const wchar_t* name : {L"", L"1mirvox", L"$db", L"mirvox db", L" mirvox", L"mirvox;drop database master",
                                L"mir]vox", L"[mirvox]", L"mir'vox", L"mir-vox", L"mir.vox", L"mirvox\t"})
        EXPECT_FALSE(is_regular_identifier(name)) << name;
}

TEST(RegularIdentifier, AllowsAtMost128Characters)
{
    EXPECT_TRUE(is_regular_identifier(std::wstring(128, L'a')));
    EXPECT_FALSE(is_regular_identifier(std::wstring(129, L'a')));
    EXPECT_TRUE(is_regular_identifier(std::wstring(128, L'库')));
}

}  // namespace
