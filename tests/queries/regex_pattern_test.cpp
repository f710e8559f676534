#include <cstddef>
#include <limits>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "marketplace_queries.h"
#include "regex_pattern.h"

using namespace std::string_literals;

namespace {

// A group as a reader sees it: where it starts and the text cut for it.
struct Group {
    std::size_t offset = 0;
    std::string text;
    bool tookPart = true;
    bool operator==(const Group&) const = default;
};

void PrintTo(const Group& group, std::ostream* out) {
    if (!group.tookPart) {
        *out << "(took no part)";
        return;
    }
    *out << group.offset << ":" << testing::PrintToString(group.text);
}

const Group tookNoPart{0, "", false};

std::vector<std::vector<Group>> readMatches(const MatchList& matches, const std::string& text) {
    std::vector<std::vector<Group>> read;
    for (const RegexMatch& match : matches) {
        std::vector<Group>& groups = read.emplace_back();
        for (std::size_t index = 0; index < match.groups.size(); ++index) {
            const RegexGroup& group = match.groups[index];
            groups.push_back(group.tookPart ? Group{group.offset,
                                                    groupText(match, text, static_cast<int>(index))}
                                            : tookNoPart);
        }
    }
    return read;
}

struct FindAllCase {
    const char* name;
    std::string pattern;
    bool caseSensitive;
    std::string text;
    std::vector<std::vector<Group>> matches;
};

void PrintTo(const FindAllCase& testCase, std::ostream* out) {
    *out << testCase.name;
}

class FindAll : public testing::TestWithParam<FindAllCase> {};

TEST_P(FindAll, GivesEveryMatchWithItsGroups) {
    const FindAllCase& testCase = GetParam();
    RegexPattern pattern;
    ASSERT_TRUE(compilePattern(pattern, testCase.pattern, testCase.caseSensitive));
    EXPECT_EQ(readMatches(findAll(pattern, testCase.text), testCase.text), testCase.matches);
}

const std::string suggestions{suggestionPattern};

// The suggestion pattern as the run compiles it: without case sensitivity.
INSTANTIATE_TEST_SUITE_P(
    SuggestionPattern, FindAll,
    testing::Values(
        FindAllCase{"ArraysGiveTheirFirstQuotedElementInOrder",
                    suggestions,
                    false,
                    R"([["a","1"],["b","2"]])",
                    {{{1, R"(["a")"}, {3, "a"}}, {{11, R"(["b")"}, {13, "b"}}}},
        FindAllCase{"OpeningWithoutClosingQuoteYieldsNothing",
                    suggestions,
                    false,
                    R"([["a","1"],["y)",
                    {{{1, R"(["a")"}, {3, "a"}}}},
        FindAllCase{"EmptyQuotedKeywordTakesPartWithLengthZero",
                    suggestions,
                    false,
                    R"([["","1"]])",
                    {{{1, R"(["")"}, {3, ""}}}},
        FindAllCase{"ZeroByteEndsTheAnswer",
                    suggestions,
                    false,
                    R"([["a"])"s + '\0' + R"(,["b"]])",
                    {{{1, R"(["a")"}, {3, "a"}}}},
        FindAllCase{"ZeroByteFirstLeavesNothingToSearch", suggestions, false, "\0[\"a\"]"s, {}},
        FindAllCase{"Utf8BytesPassUnchanged",
                    suggestions,
                    false,
                    "[[\"\xE5\xA5\xB3\xE8\xA3\x85\",\"1\"]]",
                    {{{1, "[\"\xE5\xA5\xB3\xE8\xA3\x85\""}, {3, "\xE5\xA5\xB3\xE8\xA3\x85"}}}},
        FindAllCase{"LineBreaksBelongToTheSuggestion",
                    suggestions,
                    false,
                    "[[\"a\r\nb\",\"1\"]]",
                    {{{1, "[\"a\r\nb\""}, {3, "a\r\nb"}}}},
        FindAllCase{"EscapedQuoteEndsTheSuggestionUnescaped",
                    suggestions,
                    false,
                    R"([["a\"b","1"]])",
                    {{{1, R"(["a\")"}, {3, R"(a\)"}}}},
        FindAllCase{"OpeningInsideAMatchIsNotSearchedAgain",
                    suggestions,
                    false,
                    R"(["a["b")",
                    {{{0, R"(["a[")"}, {2, "a["}}}},
        FindAllCase{"RepeatedSuggestionIsTwoMatches",
                    suggestions,
                    false,
                    R"([["a"],["a"]])",
                    {{{1, R"(["a")"}, {3, "a"}}, {{7, R"(["a")"}, {9, "a"}}}},
        FindAllCase{"AnswerWithoutArraysYieldsNothing", suggestions, false, R"({"result":[]})", {}},
        FindAllCase{"EmptyAnswerYieldsNothing", suggestions, false, "", {}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    GeneralPatterns, FindAll,
    testing::Values(
        FindAllCase{"CaselessMatchesEitherAsciiCase",
                    "abc",
                    false,
                    "xABCxabc",
                    {{{1, "ABC"}}, {{5, "abc"}}}},
        FindAllCase{"CaseSensitiveKeepsAsciiCase", "abc", true, "xABCxabc", {{{5, "abc"}}}},
        FindAllCase{"CaselessFoldsNoByteAbove0x7F", "\xC0", false, "\xE0\xC0", {{{1, "\xC0"}}}},
        FindAllCase{"DotMatchesALineBreak", "a.c", true, "a\nc", {{{0, "a\nc"}}}},
        FindAllCase{"DotMatchesOneByteOfAMultiByteCharacter",
                    ".",
                    true,
                    "\xE5\xA5",
                    {{{0, "\xE5"}}, {{1, "\xA5"}}}},
        FindAllCase{"EmptyMatchStepsOnOneByte",
                    "x*",
                    true,
                    "axb",
                    {{{0, ""}}, {{1, "x"}}, {{2, ""}}, {{3, ""}}}},
        FindAllCase{"LongerMatchMayFollowAnEmptyOneAtTheSameByte",
                    "a*?",
                    true,
                    "aa",
                    {{{0, ""}}, {{0, "a"}}, {{1, ""}}, {{1, "a"}}, {{2, ""}}}},
        FindAllCase{"EmptyPatternMatchesAtEveryByteAndTheEnd",
                    "",
                    true,
                    "ab",
                    {{{0, ""}}, {{1, ""}}, {{2, ""}}}},
        FindAllCase{"EmptyTextYieldsNothingEvenForAnEmptyPattern", "", true, "", {}},
        FindAllCase{"GroupBeforeTheTakenBranchTookNoPart",
                    "(a)|(b)",
                    true,
                    "b",
                    {{{0, "b"}, tookNoPart, {0, "b"}}}},
        FindAllCase{"TrailingGroupThatTookNoPartIsStillListed",
                    "(a)|(b)",
                    true,
                    "a",
                    {{{0, "a"}, {0, "a"}, tookNoPart}}}),
    [](const auto& info) { return std::string(info.param.name); });

struct InvalidSource {
    const char* name;
    std::string source;
};

void PrintTo(const InvalidSource& source, std::ostream* out) {
    *out << source.name;
}

// The pattern held a working pattern before, so a failed compile must also drop that one.
class InvalidPattern : public testing::TestWithParam<InvalidSource> {
protected:
    void SetUp() override { ASSERT_TRUE(compilePattern(m_pattern, "a")); }
    RegexPattern m_pattern;
};

TEST_P(InvalidPattern, FailsAndLeavesNoUsablePattern) {
    EXPECT_FALSE(compilePattern(m_pattern, GetParam().source));
    EXPECT_FALSE(m_pattern.usable());
    EXPECT_TRUE(findAll(m_pattern, "a").empty());
}

INSTANTIATE_TEST_SUITE_P(Sources, InvalidPattern,
                         testing::Values(InvalidSource{"UnclosedGroup", "(a"},
                                         InvalidSource{"UnclosedClass", "[a"},
                                         InvalidSource{"NothingToRepeat", "*a"},
                                         InvalidSource{"QuantifierBoundsOutOfOrder", "a{2,1}"},
                                         InvalidSource{"UnicodeModeSwitch", "(*UTF)a"},
                                         InvalidSource{"UnicodePropertiesSwitch", "(*UCP)a"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RegexPattern, UncompiledPatternFindsNothing) {
    const RegexPattern pattern;
    EXPECT_FALSE(pattern.usable());
    EXPECT_TRUE(findAll(pattern, "abc").empty());
}

TEST(RegexPattern, RecompilingReplacesPatternAndCaseSensitivity) {
    RegexPattern pattern;
    ASSERT_TRUE(compilePattern(pattern, "a", false));
    EXPECT_EQ(findAll(pattern, "Ab").size(), 1U);

    ASSERT_TRUE(compilePattern(pattern, "b"));
    EXPECT_TRUE(findAll(pattern, "aB").empty());
    const MatchList matches = findAll(pattern, "ab");
    ASSERT_EQ(matches.size(), 1U);
    EXPECT_EQ(matches[0].groups[0].offset, 1U);
}

TEST(RegexPattern, RecompilingSetsTheNewCaptureCount) {
    RegexPattern pattern;
    ASSERT_TRUE(compilePattern(pattern, "(a)(b)(c)"));
    ASSERT_TRUE(compilePattern(pattern, "(a)"));
    const MatchList matches = findAll(pattern, "a");
    ASSERT_EQ(matches.size(), 1U);
    EXPECT_EQ(matches[0].groups.size(), 2U);
}

TEST(RegexPattern, SourceEndsAtItsFirstZeroByte) {
    RegexPattern pattern;
    ASSERT_TRUE(compilePattern(pattern, "a\0("s));
    const MatchList matches = findAll(pattern, "a(");
    ASSERT_EQ(matches.size(), 1U);
    EXPECT_EQ(matches[0].groups[0].length, 1U);
}

TEST(RegexPattern, EmptySourceWithoutStorageCompiles) {
    RegexPattern pattern;
    ASSERT_TRUE(compilePattern(pattern, std::string_view{}));
    EXPECT_EQ(findAll(pattern, "ab").size(), 3U);
}

TEST(RegexPattern, MovedPatternKeepsWhatItHeld) {
    RegexPattern original;
    ASSERT_TRUE(compilePattern(original, "b"));

    RegexPattern constructed(std::move(original));
    EXPECT_EQ(findAll(constructed, "ab").size(), 1U);

    RegexPattern assigned;
    ASSERT_TRUE(compilePattern(assigned, "a"));
    assigned = std::move(constructed);
    const MatchList matches = findAll(assigned, "ab");
    ASSERT_EQ(matches.size(), 1U);
    EXPECT_EQ(matches[0].groups[0].offset, 1U);
}

// The second search backtracks without end over the run of a's until the match limit stops it;
// the match before it is kept and the "ab" behind the run is never reached. The pattern lowers
// the limit only to keep the test quick: the engine's default limit stops it the same way.
TEST(RegexPattern, MatchLimitEndsTheSearchKeepingEarlierMatches) {
    RegexPattern pattern;
    ASSERT_TRUE(compilePattern(pattern, "(*LIMIT_MATCH=10000)(a+)+b"));
    const std::string text = "ab" + std::string(40, 'a') + "cab";
    const MatchList matches = findAll(pattern, text);
    ASSERT_EQ(matches.size(), 1U);
    EXPECT_EQ(groupText(matches[0], text, 0), "ab");
}

struct GroupTextCase {
    const char* name;
    std::string text;
    RegexGroup group;
    std::string expected;
};

void PrintTo(const GroupTextCase& testCase, std::ostream* out) {
    *out << testCase.name;
}

class GroupText : public testing::TestWithParam<GroupTextCase> {};

// The group under test is group 1; group 0 stands in front of it as in every match.
TEST_P(GroupText, CutsTheGroupOrGivesEmptyText) {
    const GroupTextCase& testCase = GetParam();
    const RegexMatch match{{RegexGroup{0, 1, true}, testCase.group}};
    EXPECT_EQ(groupText(match, testCase.text, 1), testCase.expected);
}

constexpr std::size_t sizeMax = std::numeric_limits<std::size_t>::max();

INSTANTIATE_TEST_SUITE_P(
    Groups, GroupText,
    testing::Values(GroupTextCase{"InsideTheText", "abcdef", {1, 3, true}, "bcd"},
                    GroupTextCase{"UpToTheLastByte", "abcdef", {3, 3, true}, "def"},
                    GroupTextCase{"EmptyGroupThatTookPart", "abcdef", {2, 0, true}, ""},
                    GroupTextCase{"TookNoPartDespiteOffsets", "abcdef", {1, 3, false}, ""},
                    GroupTextCase{"OffsetPastTheEnd", "abcdef", {7, 0, true}, ""},
                    GroupTextCase{"LengthRunningPastTheEnd", "abcdef", {4, 5, true}, ""},
                    GroupTextCase{"LengthThatWouldWrapAround", "abcdef", {2, sizeMax, true}, ""},
                    GroupTextCase{"OffsetThatWouldWrapAround", "abcdef", {sizeMax, 2, true}, ""},
                    GroupTextCase{"BytesBehindAZeroByte", "abc\0ef"s, {4, 2, true}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GroupTextIndex, OutsideTheMatchsGroupsGivesEmptyText) {
    const RegexMatch match{{RegexGroup{0, 2, true}, RegexGroup{1, 1, true}}};
    EXPECT_EQ(groupText(match, "ab", 1), "b");
    EXPECT_EQ(groupText(match, "ab", -1), "");
    EXPECT_EQ(groupText(match, "ab", 2), "");
}

} // namespace
