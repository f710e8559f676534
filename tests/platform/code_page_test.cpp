#include <algorithm>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "code_page.h"

using namespace std::string_literals;
using namespace std::string_view_literals;

namespace {

constexpr char16_t untouchedUnit = u'\xA5A5';
constexpr char untouchedByte = '\x5A';

int sizeOf(std::string_view text) {
    return static_cast<int>(text.size());
}

int sizeOf(std::u16string_view units) {
    return static_cast<int>(units.size());
}

std::u16string toWide(unsigned codePage, std::string_view source) {
    const int needed = multiByteToWideChar(codePage, 0, source.data(), sizeOf(source), nullptr, 0);
    std::u16string units(static_cast<std::size_t>(needed), untouchedUnit);
    units.resize(static_cast<std::size_t>(
        multiByteToWideChar(codePage, 0, source.data(), sizeOf(source), units.data(), needed)));
    return units;
}

std::string toMulti(unsigned codePage, std::u16string_view source) {
    const int needed = wideCharToMultiByte(codePage, 0, source.data(), sizeOf(source), nullptr, 0);
    std::string bytes(static_cast<std::size_t>(needed), untouchedByte);
    bytes.resize(static_cast<std::size_t>(
        wideCharToMultiByte(codePage, 0, source.data(), sizeOf(source), bytes.data(), needed)));
    return bytes;
}

struct ToWideCase {
    const char* name;
    unsigned codePage;
    std::string source;
    std::u16string expected;
};

class ToWide : public testing::TestWithParam<ToWideCase> {};

TEST_P(ToWide, SizeQueryMatchesConversion) {
    const ToWideCase& row = GetParam();
    EXPECT_EQ(
        multiByteToWideChar(row.codePage, 0, row.source.data(), sizeOf(row.source), nullptr, 0),
        sizeOf(row.expected));
    EXPECT_EQ(toWide(row.codePage, row.source), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    CodePage, ToWide,
    testing::Values(
        ToWideCase{"GbkAscii", codePageGbk, "abc", u"abc"},
        ToWideCase{"GbkCharacter", codePageGbk, "\xD6\xD0", u"\u4E2D"},
        ToWideCase{"AnsiIsGbk", codePageAnsi, "\xD6\xD0", u"\u4E2D"},
        ToWideCase{"GbkEuroSign", codePageGbk, "\x80", u"\u20AC"},
        ToWideCase{"GbkByteFFIsPrivateUse", codePageGbk, "\xFF", u"\uF8F5"},
        ToWideCase{"GbkLeadByteCutOffAtEnd", codePageGbk, "a\x81", u"a\uFFFD"},
        ToWideCase{"GbkInvalidTrailByteKeepsIt", codePageGbk, "\x81\x7F", u"\uFFFD\x7F"},
        ToWideCase{"GbkEmbeddedZeroWithExplicitLength", codePageGbk, "a\0b"s, u"a\0b"s},
        ToWideCase{"Utf8Character", codePageUtf8, "\xE4\xB8\xAD", u"\u4E2D"},
        ToWideCase{"Utf8EuroSign", codePageUtf8, "\xE2\x82\xAC", u"\u20AC"},
        ToWideCase{"Utf8SupplementaryGivesSurrogatePair", codePageUtf8, "\xF0\x9F\x98\x80",
                   u"\U0001F600"},
        ToWideCase{"Utf8MalformedSequence", codePageUtf8, "a\xC3(", u"a\uFFFD("},
        ToWideCase{"Utf8CutOffAtEnd", codePageUtf8, "a\xE4\xB8", u"a\uFFFD"},
        ToWideCase{"Utf8StrayContinuationByte", codePageUtf8, "\x80", u"\uFFFD"},
        ToWideCase{"Utf8OverlongSlash", codePageUtf8, "\xC0\xAF", u"\uFFFD\uFFFD"},
        ToWideCase{"Utf8EncodedSurrogate", codePageUtf8, "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
        ToWideCase{"Utf8BeyondUnicode", codePageUtf8, "\xF4\x90\x80\x80",
                   u"\uFFFD\uFFFD\uFFFD\uFFFD"}),
    [](const auto& info) { return std::string(info.param.name); });

struct ToMultiCase {
    const char* name;
    unsigned codePage;
    std::u16string source;
    std::string expected;
};

class ToMulti : public testing::TestWithParam<ToMultiCase> {};

TEST_P(ToMulti, SizeQueryMatchesConversion) {
    const ToMultiCase& row = GetParam();
    EXPECT_EQ(
        wideCharToMultiByte(row.codePage, 0, row.source.data(), sizeOf(row.source), nullptr, 0),
        sizeOf(row.expected));
    EXPECT_EQ(toMulti(row.codePage, row.source), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    CodePage, ToMulti,
    testing::Values(
        ToMultiCase{"GbkCharacter", codePageGbk, u"\u4E2D", "\xD6\xD0"},
        ToMultiCase{"AnsiIsGbk", codePageAnsi, u"\u4E2D", "\xD6\xD0"},
        ToMultiCase{"GbkEuroSign", codePageGbk, u"\u20AC", "\x80"},
        ToMultiCase{"GbkCannotRepresentHangul", codePageGbk, u"a\uAC00b", "a?b"},
        ToMultiCase{"GbkCannotRepresentReplacementCharacter", codePageGbk, u"\uFFFD", "?"},
        ToMultiCase{"GbkIgnorableCharacterIsNotDropped", codePageGbk, u"a\u00ADb", "a?b"},
        ToMultiCase{"GbkSupplementaryIsOneQuestionMark", codePageGbk, u"\U0001F600", "?"},
        ToMultiCase{"GbkUnpairedHighSurrogate", codePageGbk,
                    u"a\xD800"
                    u"b",
                    "a?b"},
        ToMultiCase{"GbkUnpairedLowSurrogate", codePageGbk,
                    u"a\xDC00"
                    u"b",
                    "a?b"},
        ToMultiCase{"GbkHighSurrogateAtEnd", codePageGbk, u"a\xD800", "a?"},
        ToMultiCase{"Utf8Character", codePageUtf8, u"\u4E2D", "\xE4\xB8\xAD"},
        ToMultiCase{"Utf8EuroSign", codePageUtf8, u"\u20AC", "\xE2\x82\xAC"},
        ToMultiCase{"Utf8SurrogatePair", codePageUtf8, u"\U0001F600", "\xF0\x9F\x98\x80"},
        ToMultiCase{"Utf8UnpairedHighSurrogate", codePageUtf8,
                    u"a\xD800"
                    u"b",
                    "a\xEF\xBF\xBD"
                    "b"},
        ToMultiCase{"Utf8UnpairedLowSurrogate", codePageUtf8, u"\xDC00", "\xEF\xBF\xBD"},
        ToMultiCase{"Utf8EmbeddedZeroWithExplicitLength", codePageUtf8, u"a\0b"s, "a\0b"s}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CodePageTerminatedSource, CountsAndWritesTheTerminatorAndStopsAtTheFirstZero) {
    const char gbk[] = "\xD6\xD0\0tail";
    ASSERT_EQ(multiByteToWideChar(codePageGbk, 0, gbk, -1, nullptr, 0), 2);
    std::u16string units(3, untouchedUnit);
    EXPECT_EQ(multiByteToWideChar(codePageGbk, 0, gbk, -1, units.data(), 3), 2);
    EXPECT_EQ(units, u"\u4E2D\0\xA5A5"sv);

    const char16_t wide[] = u"\u20AC\0tail";
    ASSERT_EQ(wideCharToMultiByte(codePageUtf8, 0, wide, -1, nullptr, 0), 4);
    std::string bytes(5, untouchedByte);
    EXPECT_EQ(wideCharToMultiByte(codePageUtf8, 0, wide, -1, bytes.data(), 5), 4);
    EXPECT_EQ(bytes, "\xE2\x82\xAC\0\x5A"sv);
}

TEST(CodePageTerminatedSource, EmptyTextIsTheTerminatorAlone) {
    EXPECT_EQ(multiByteToWideChar(codePageUtf8, 0, "", -1, nullptr, 0), 1);
    EXPECT_EQ(wideCharToMultiByte(codePageGbk, 0, u"", -1, nullptr, 0), 1);
}

TEST(CodePageExplicitLength, WritesNoTerminatorAndNothingBeyondTheText) {
    std::u16string units(4, untouchedUnit);
    EXPECT_EQ(multiByteToWideChar(codePageGbk, 0,
                                  "\xD6\xD0"
                                  "a",
                                  3, units.data(), 4),
              2);
    EXPECT_EQ(units, u"\u4E2Da\xA5A5\xA5A5");

    std::string bytes(6, untouchedByte);
    EXPECT_EQ(wideCharToMultiByte(codePageUtf8, 0, u"\u4E2D", 1, bytes.data(), 6), 3);
    EXPECT_EQ(bytes, "\xE4\xB8\xAD\x5A\x5A\x5A");
}

TEST(CodePageExplicitLength, ZeroLengthConvertsNothing) {
    char16_t unit = untouchedUnit;
    EXPECT_EQ(multiByteToWideChar(codePageGbk, 0, "a", 0, &unit, 1), 0);
    EXPECT_EQ(unit, untouchedUnit);
    EXPECT_EQ(wideCharToMultiByte(codePageGbk, 0, u"a", 0, nullptr, 0), 0);
}

// A buffer one unit short must report failure, keep to its size and hold the part that fitted.
struct ShortOutputCase {
    const char* name;
    unsigned codePage;
    std::string bytes;
    std::u16string units;
};

class ShortOutput : public testing::TestWithParam<ShortOutputCase> {};

TEST_P(ShortOutput, ToWideGivesZeroAndFillsOnlyTheBuffer) {
    const ShortOutputCase& row = GetParam();
    const int room = sizeOf(row.units) - 1;
    std::u16string output(row.units.size() + 1, untouchedUnit);
    EXPECT_EQ(multiByteToWideChar(row.codePage, 0, row.bytes.data(), sizeOf(row.bytes),
                                  output.data(), room),
              0);
    EXPECT_EQ(output.substr(0, room), row.units.substr(0, room));
    EXPECT_EQ(output.substr(room), u"\xA5A5\xA5A5");
}

TEST_P(ShortOutput, ToMultiGivesZeroAndFillsOnlyTheBuffer) {
    const ShortOutputCase& row = GetParam();
    const int room = sizeOf(row.bytes) - 1;
    std::string output(row.bytes.size() + 1, untouchedByte);
    EXPECT_EQ(wideCharToMultiByte(row.codePage, 0, row.units.data(), sizeOf(row.units),
                                  output.data(), room),
              0);
    EXPECT_EQ(output.substr(0, room), row.bytes.substr(0, room));
    EXPECT_EQ(output.substr(room), "\x5A\x5A");
}

INSTANTIATE_TEST_SUITE_P(
    CodePage, ShortOutput,
    testing::Values(
        ShortOutputCase{"GbkAscii", codePageGbk, "abcd", u"abcd"},
        ShortOutputCase{"GbkLastCharacterDoubleByte", codePageGbk, "ab\xD6\xD0", u"ab\u4E2D"},
        ShortOutputCase{"Utf8LastCharacterThreeBytes", codePageUtf8, "a\xE2\x82\xAC", u"a\u20AC"},
        ShortOutputCase{"Utf8LastCharacterSurrogatePair", codePageUtf8, "a\xF0\x9F\x98\x80",
                        u"a\U0001F600"},
        ShortOutputCase{"LongerThanOneInternalChunk", codePageGbk, std::string(10000, '\x80'),
                        std::u16string(10000, u'\u20AC')}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CodePageSizeQuery, CountsTextsLongerThanOneInternalChunk) {
    const std::string euros(100000, '\x80');
    EXPECT_EQ(multiByteToWideChar(codePageGbk, 0, euros.data(), sizeOf(euros), nullptr, 0), 100000);
    const std::u16string units(100000, u'\u20AC');
    EXPECT_EQ(wideCharToMultiByte(codePageUtf8, 0, units.data(), sizeOf(units), nullptr, 0),
              300000);
    EXPECT_EQ(toMulti(codePageUtf8, units), [] {
        std::string utf8;
        for (int i = 0; i < 100000; ++i) {
            utf8 += "\xE2\x82\xAC";
        }
        return utf8;
    }());
}

struct RejectedCall {
    const char* name;
    unsigned codePage;
    unsigned long flags;
    bool nullSource;
    int sourceLength;
    int outputSize;
    bool nullOutput;
};

class Rejected : public testing::TestWithParam<RejectedCall> {};

TEST_P(Rejected, ToWideGivesZeroAndWritesNothing) {
    const RejectedCall& row = GetParam();
    std::u16string output(4, untouchedUnit);
    EXPECT_EQ(multiByteToWideChar(row.codePage, row.flags, row.nullSource ? nullptr : "ab",
                                  row.sourceLength, row.nullOutput ? nullptr : output.data(),
                                  row.outputSize),
              0);
    EXPECT_EQ(output, std::u16string(4, untouchedUnit));
}

TEST_P(Rejected, ToMultiGivesZeroAndWritesNothing) {
    const RejectedCall& row = GetParam();
    std::string output(4, untouchedByte);
    EXPECT_EQ(wideCharToMultiByte(row.codePage, row.flags, row.nullSource ? nullptr : u"ab",
                                  row.sourceLength, row.nullOutput ? nullptr : output.data(),
                                  row.outputSize),
              0);
    EXPECT_EQ(output, std::string(4, untouchedByte));
}

INSTANTIATE_TEST_SUITE_P(
    CodePage, Rejected,
    testing::Values(RejectedCall{"NonZeroFlags", codePageGbk, 1, false, -1, 4, false},
                    RejectedCall{"NonZeroFlagsSizeQuery", codePageUtf8, 8, false, -1, 0, true},
                    RejectedCall{"WesternCodePage", 1252, 0, false, -1, 4, false},
                    RejectedCall{"Utf16CodePage", 1200, 0, false, -1, 4, false},
                    RejectedCall{"UnknownCodePageSizeQuery", 12345, 0, false, -1, 0, true},
                    RejectedCall{"NullSource", codePageGbk, 0, true, 2, 4, false},
                    RejectedCall{"LengthBelowMinusOne", codePageGbk, 0, false, -2, 4, false},
                    RejectedCall{"NegativeOutputSize", codePageUtf8, 0, false, -1, -1, false},
                    RejectedCall{"NullOutputWithRoom", codePageGbk, 0, false, -1, 4, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CodePageRoundTrip, EveryGbkDoubleByteCodeComesBackUnchanged) {
    std::string everyCode;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail != 0x7F) {
                everyCode.push_back(static_cast<char>(lead));
                everyCode.push_back(static_cast<char>(trail));
            }
        }
    }
    const std::u16string units = toWide(codePageGbk, everyCode);
    ASSERT_EQ(units.size(), everyCode.size() / 2);
    EXPECT_EQ(std::count(units.begin(), units.end(), u'\uFFFD'), 0);
    EXPECT_EQ(toMulti(codePageGbk, units), everyCode);
}

TEST(CodePageRoundTrip, EverySingleGbkByteComesBackUnchanged) {
    std::string everyByte;
    for (int byte = 0x01; byte <= 0x80; ++byte) {
        everyByte.push_back(static_cast<char>(byte));
    }
    everyByte.push_back('\xFF');
    const std::u16string units = toWide(codePageGbk, everyByte);
    ASSERT_EQ(units.size(), everyByte.size());
    EXPECT_EQ(toMulti(codePageGbk, units), everyByte);
}

TEST(CodePageRoundTrip, EveryUnicodeScalarValueComesBackThroughUtf8) {
    std::u16string everyCharacter;
    for (char32_t value = 1; value <= 0x10FFFF; ++value) {
        if (value >= 0xD800 && value <= 0xDFFF) {
            continue;
        }
        if (value < 0x10000) {
            everyCharacter.push_back(static_cast<char16_t>(value));
        } else {
            everyCharacter.push_back(static_cast<char16_t>(0xD800 + ((value - 0x10000) >> 10)));
            everyCharacter.push_back(static_cast<char16_t>(0xDC00 + ((value - 0x10000) & 0x3FF)));
        }
    }
    const std::string utf8 = toMulti(codePageUtf8, everyCharacter);
    EXPECT_EQ(utf8.find("\xEF\xBF\xBD"), utf8.rfind("\xEF\xBF\xBD"))
        << "only U+FFFD itself may come out as the replacement character";
    EXPECT_EQ(toWide(codePageUtf8, utf8), everyCharacter);
}

// The helpers run on the worker and the main thread at once. A converter keeps the rest of a
// character that did not fit its output for the next call; shared between threads, one
// conversion picks up or drops another's rest. Texts whose characters straddle the internal
// chunks make that happen often.
TEST(CodePageThreads, ConversionsOnTwoThreadsDoNotDisturbEachOther) {
    std::string gbk = "a";
    std::u16string units = u"a";
    for (int i = 0; i < 20000; ++i) {
        gbk += "\xD6\xD0\x80";
        units += u"\u4E2D\u20AC\U0001F600";
    }
    gbk = toMulti(codePageGbk, units);
    const std::string utf8 = toMulti(codePageUtf8, units);
    const auto work = [&](int& failures) {
        for (int round = 0; round < 50; ++round) {
            failures += toWide(codePageGbk, gbk).size() == units.size() - 20000 ? 0 : 1;
            failures += toMulti(codePageGbk, units) == gbk ? 0 : 1;
            failures += toWide(codePageUtf8, utf8) == units ? 0 : 1;
            failures += toMulti(codePageUtf8, units) == utf8 ? 0 : 1;
        }
    };
    int otherFailures = 0;
    int ownFailures = 0;
    std::thread other(work, std::ref(otherFailures));
    work(ownFailures);
    other.join();
    EXPECT_EQ(otherFailures, 0);
    EXPECT_EQ(ownFailures, 0);
}

} // namespace
