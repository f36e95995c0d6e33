#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CommandArgs.h"

namespace {

std::vector<std::wstring> Split(const wchar_t* line) {
    CommandArgs args(line);
    std::vector<std::wstring> out;
    for (size_t i = 0; i < args.Count(); ++i)
        out.emplace_back(args.Arg(i));
    return out;
}

ModeChoice Choose(const wchar_t* line) {
    CommandArgs args(line);
    return ChooseRunMode(args);
}

using V = std::vector<std::wstring>;

TEST(CommandArgs, SplitsQuotedAndPlainArguments) {
    EXPECT_EQ(Split(L"\"C:\\My Savers\\Orsetta.scr\" /s"),
              (V{L"C:\\My Savers\\Orsetta.scr", L"/s"}));
    EXPECT_EQ(Split(L"Orsetta.scr /p 456"), (V{L"Orsetta.scr", L"/p", L"456"}));
    EXPECT_EQ(Split(L"a\tb\r\nc"), (V{L"a", L"b", L"c"}));
    // No escapes: backslashes and inner quotes are ordinary characters.
    EXPECT_EQ(Split(L"a\\\"b c"), (V{L"a\\\"b", L"c"}));
}

TEST(CommandArgs, TrailingWhiteSpace) {
    // One trailing space gives no extra argument, two give an empty last one.
    EXPECT_EQ(Split(L"prog /s "), (V{L"prog", L"/s"}));
    EXPECT_EQ(Split(L"prog /s  "), (V{L"prog", L"/s", L""}));
    EXPECT_EQ(Split(L"\"prog\" "), (V{L"prog"}));
    EXPECT_EQ(Split(L"\"prog\"  "), (V{L"prog", L""}));
}

TEST(CommandArgs, QuoteFollowedByLetterIsOrdinary) {
    // No closing quote is found, so the whole rest is argument 0.
    EXPECT_EQ(Split(L"\"prog\"x /s"), (V{L"prog\"x /s"}));
    EXPECT_EQ(Choose(L"\"prog\"x /s").mode, RunModeId::Config);
}

TEST(CommandArgs, EmptyLineHasNoArguments) {
    EXPECT_EQ(Split(L"").size(), 0u);
    EXPECT_EQ(Split(nullptr).size(), 0u);
    EXPECT_EQ(Choose(L"").mode, RunModeId::None);
    // Leading white space alone records one empty argument: still not a mode.
    EXPECT_EQ(Split(L"  "), (V{L""}));
}

TEST(CommandArgs, EmptyQuotedArgument) {
    EXPECT_EQ(Split(L"prog \"\""), (V{L"prog", L""}));
    EXPECT_EQ(Choose(L"prog \"\"").mode, RunModeId::None);
}

TEST(IsSwitchTest, FirstLetterOnlyEitherCaseOnePrefix) {
    EXPECT_TRUE(IsSwitch(L"/c", L'c'));
    EXPECT_TRUE(IsSwitch(L"-C", L'c'));
    EXPECT_TRUE(IsSwitch(L"c:123", L'c'));
    EXPECT_TRUE(IsSwitch(L"/config", L'c'));
    EXPECT_TRUE(IsSwitch(L"/start", L's'));
    EXPECT_FALSE(IsSwitch(L"//c", L'c'));
    EXPECT_FALSE(IsSwitch(L"-", L'c'));
    EXPECT_FALSE(IsSwitch(L"", L'c'));
    EXPECT_FALSE(IsSwitch(L"/x", L's'));
}

TEST(ParseHandleValueTest, DecimalLow32Bits) {
    EXPECT_EQ(ParseHandleValue(L"123"), 123u);
    EXPECT_EQ(ParseHandleValue(L"  42"), 42u);
    EXPECT_EQ(ParseHandleValue(L"12ab"), 12u);
    EXPECT_EQ(ParseHandleValue(L"abc"), 0u);
    EXPECT_EQ(ParseHandleValue(L""), 0u);
    EXPECT_EQ(ParseHandleValue(L"0x10"), 0u);
    EXPECT_EQ(ParseHandleValue(L"4294967297"), 1u);
    EXPECT_EQ(ParseHandleValue(L"-1"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseHandleValue(L"+7"), 7u);
}

struct ModeCase {
    const wchar_t* line;
    RunModeId mode;
    uint32_t handle;
};

TEST(ChooseRunModeTest, Table) {
    const ModeCase cases[] = {
        {L"prog", RunModeId::Config, 0},           {L"prog /c:123", RunModeId::Config, 123},
        {L"prog /C:123", RunModeId::Config, 123},  {L"prog -c:123", RunModeId::Config, 123},
        {L"prog c:123", RunModeId::Config, 123},   {L"prog /c", RunModeId::Config, 0},
        {L"prog /config", RunModeId::Config, 0},   {L"prog /c:", RunModeId::Config, 0},
        {L"prog /c:abc", RunModeId::Config, 0},    {L"prog /c:12ab", RunModeId::Config, 12},
        {L"prog /c 123", RunModeId::Config, 0},    {L"prog /p 456", RunModeId::Preview, 456},
        {L"prog /P 456", RunModeId::Preview, 456}, {L"prog /preview 456", RunModeId::Preview, 456},
        {L"prog /s", RunModeId::Saver, 0},         {L"prog /S", RunModeId::Saver, 0},
        {L"prog -s", RunModeId::Saver, 0},         {L"prog s", RunModeId::Saver, 0},
        {L"prog /s 1 2 3", RunModeId::Saver, 0},   {L"prog /s  ", RunModeId::Saver, 0},
        {L"prog /x", RunModeId::None, 0},          {L"prog -", RunModeId::None, 0},
        {L"prog /", RunModeId::None, 0},
    };
    for (const ModeCase& c : cases) {
        const ModeChoice choice = Choose(c.line);
        EXPECT_EQ(choice.mode, c.mode) << std::wstring(c.line).size() << " " << c.handle;
        EXPECT_EQ(choice.handle, c.handle);
    }
}

TEST(ChooseRunModeTest, PreviewWithoutHost) {
    const ModeChoice choice = Choose(L"prog /p");
    EXPECT_EQ(choice.mode, RunModeId::Preview);
    EXPECT_FALSE(choice.hasHandle);
    EXPECT_TRUE(Choose(L"prog /p 0").hasHandle);
}

} // namespace
