#include <string>

#include <gtest/gtest.h>

#include "split_text.h"

namespace {

struct SplitTextCase {
    const char* name;
    std::string text;
    std::string separator;
    TextList expected;
};

class SplitText : public testing::TestWithParam<SplitTextCase> {};

TEST_P(SplitText, GivesThePieces) {
    EXPECT_EQ(splitText(GetParam().text, GetParam().separator), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Separators, SplitText,
    testing::Values(
        SplitTextCase{"EmptyLineKeptTrailingBreakAdded", "a\r\n\r\nb\r\n", "\r\n", {"a", "", "b"}},
        SplitTextCase{"LoneLineBreak", "\r\n", "\r\n", {""}},
        SplitTextCase{"TwoLineBreaks", "\r\n\r\n", "\r\n", {"", ""}},
        SplitTextCase{"EmptyText", "", "\r\n", {}},
        SplitTextCase{"NoSeparator", "abc", "\r\n", {"abc"}},
        SplitTextCase{"LeadingSeparator", "\r\nab", "\r\n", {"", "ab"}},
        SplitTextCase{"LastPieceWithoutBreak", "a\r\nb", "\r\n", {"a", "b"}},
        SplitTextCase{"BareLineFeedIsNoSeparator", "a\nb\r\n", "\r\n", {"a\nb"}},
        SplitTextCase{"GbkPieces", "\xD6\xD0\r\n\xCE\xC4", "\r\n", {"\xD6\xD0", "\xCE\xC4"}},
        SplitTextCase{"SeparatorNotFoundOnSecondByte", "\x81\r\nb\r\n", "\r\n", {"\x81\r\nb"}},
        SplitTextCase{"SecondByteThenSeparator", "\x81\r\r\nb", "\r\n", {"\x81\r", "b"}},
        SplitTextCase{"LeadByteAtVeryEnd", "a\r\n\x81", "\r\n", {"a", "\x81"}},
        SplitTextCase{"SeparatorLongerThanText", "ab", "abc", {"ab"}},
        SplitTextCase{"SeparatorIsWholeText", "ab", "ab", {""}},
        SplitTextCase{"DoubleByteSeparator",
                      "a\xA1\xA2"
                      "b\xA1\xA2",
                      "\xA1\xA2",
                      {"a", "b"}},
        SplitTextCase{"ComparesCaseExactly", "aXbxc", "x", {"aXb", "c"}},
        SplitTextCase{"EmptySeparatorKeepsTextWhole", "a\r\nb", "", {"a\r\nb"}},
        SplitTextCase{"EmptySeparatorEmptyText", "", "", {}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
