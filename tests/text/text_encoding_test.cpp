#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "text_encoding.h"

using namespace std::string_literals;

namespace {

std::string repeated(std::string_view piece, int times) {
    std::string text;
    text.reserve(piece.size() * static_cast<std::size_t>(times));
    for (int i = 0; i < times; ++i) {
        text += piece;
    }
    return text;
}

struct UrlEncodeCase {
    const char* name;
    std::string text;
    bool keepAlphanumerics;
    bool convertToUtf8;
    std::string expected;
};

class UrlEncode : public testing::TestWithParam<UrlEncodeCase> {};

TEST_P(UrlEncode, GivesTheEscapedText) {
    const UrlEncodeCase& row = GetParam();
    EXPECT_EQ(urlEncode(row.text, row.keepAlphanumerics, row.convertToUtf8), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    TextEncoding, UrlEncode,
    testing::Values(UrlEncodeCase{"PunctuationBesidesHyphenAndDotEscaped", "a b/c_d~e.f-9*+", true,
                                  false, "a%20b%2Fc%5Fd%7Ee.f-9%2A%2B"},
                    UrlEncodeCase{"LettersEscapedWithoutKeep", "ab", false, false, "%61%62"},
                    UrlEncodeCase{"ControlByteWithKeep", "\n", true, false, "%0A"},
                    UrlEncodeCase{"ControlByteWithoutKeep", "\n", false, false, "%0A"},
                    UrlEncodeCase{"GbkBytesAsTheyAre", "\xD6\xD0", true, false, "%D6%D0"},
                    UrlEncodeCase{"GbkConvertedToUtf8", "\xD6\xD0", true, true, "%E4%B8%AD"},
                    UrlEncodeCase{"ConvertedWithoutKeepEscapesLetters", "a\xD6\xD0", false, true,
                                  "%61%E4%B8%AD"},
                    UrlEncodeCase{"EuroSignConvertedToUtf8", "\x80", true, true, "%E2%82%AC"},
                    UrlEncodeCase{"HighestByte", "\xFF", true, false, "%FF"},
                    UrlEncodeCase{"UpperCaseHexDigits", "\xAB\xCD\xEF", true, false, "%AB%CD%EF"},
                    UrlEncodeCase{"EmptyText", "", true, true, ""},
                    UrlEncodeCase{"EndsAtFirstZeroByte", "a\0b"s, true, false, "a"},
                    UrlEncodeCase{"EndsAtFirstZeroByteWhenConverted", "a\0b"s, true, true, "a"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UrlEncodeSafeBytes, OnlyHyphenDotDigitsAndLettersStayUnchanged) {
    const std::string_view safe =
        "-.0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    for (int value = 1; value <= 0xFF; ++value) {
        const std::string byte(1, static_cast<char>(value));
        const std::string encoded = urlEncode(byte, true);
        if (safe.find(byte) != std::string_view::npos) {
            EXPECT_EQ(encoded, byte) << "byte " << value;
        } else {
            EXPECT_EQ(encoded.size(), 3u) << "byte " << value;
            EXPECT_EQ(encoded[0], '%') << "byte " << value;
        }
    }
}

struct SameTextCase {
    const char* name;
    std::string gbk;
    std::string utf8;
};

class GbkAndUtf8 : public testing::TestWithParam<SameTextCase> {};

TEST_P(GbkAndUtf8, GbkToUtf8) {
    EXPECT_EQ(gbkToUtf8(GetParam().gbk), GetParam().utf8);
}

TEST_P(GbkAndUtf8, Utf8ToGbk) {
    EXPECT_EQ(utf8ToGbk(GetParam().utf8), GetParam().gbk);
}

// The euro sign is one byte in GBK but three in UTF-8: a buffer sized from the GBK text cuts
// a text made mostly of euro signs.
INSTANTIATE_TEST_SUITE_P(TextEncoding, GbkAndUtf8,
                         testing::Values(SameTextCase{"Empty", "", ""},
                                         SameTextCase{"Ascii", "count:42;rest", "count:42;rest"},
                                         SameTextCase{"Character", "\xD6\xD0", "\xE4\xB8\xAD"},
                                         SameTextCase{"EuroSign", "\x80", "\xE2\x82\xAC"},
                                         SameTextCase{"ManyEuroSigns", std::string(5000, '\x80'),
                                                      repeated("\xE2\x82\xAC", 5000)},
                                         SameTextCase{
                                             "LongMixedText",
                                             repeated("\xD6\xD0\xCE\xC4 abc\x80"
                                                      "123\xA1\xA3\n",
                                                      20000),
                                             repeated("\xE4\xB8\xAD\xE6\x96\x87 abc\xE2\x82\xAC"
                                                      "123\xE3\x80\x82\n",
                                                      20000)}),
                         [](const auto& info) { return std::string(info.param.name); });

struct OneWayCase {
    const char* name;
    std::string text;
    std::string expected;
};

class GbkToUtf8OneWay : public testing::TestWithParam<OneWayCase> {};

TEST_P(GbkToUtf8OneWay, GivesTheDefinedText) {
    EXPECT_EQ(gbkToUtf8(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    TextEncoding, GbkToUtf8OneWay,
    testing::Values(OneWayCase{"LeadByteCutOffAtEnd", "a\x81", "a\xEF\xBF\xBD"},
                    OneWayCase{"InvalidTrailByte",
                               "\x81\x7F"
                               "b",
                               "\xEF\xBF\xBD\x7F"
                               "b"},
                    OneWayCase{"EndsAtFirstZeroByte", "\xD6\xD0\0\xD6\xD0"s, "\xE4\xB8\xAD"}),
    [](const auto& info) { return std::string(info.param.name); });

class Utf8ToGbkOneWay : public testing::TestWithParam<OneWayCase> {};

TEST_P(Utf8ToGbkOneWay, GivesTheDefinedText) {
    EXPECT_EQ(utf8ToGbk(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    TextEncoding, Utf8ToGbkOneWay,
    testing::Values(OneWayCase{"InvalidByte",
                               "a\xFF"
                               "b",
                               "a?b"},
                    OneWayCase{"CutOffSequence", "a\xE4\xB8", "a?"},
                    OneWayCase{"HangulNotInGbk", "\xEA\xB0\x80", "?"},
                    OneWayCase{"SupplementaryNotInGbk", "\xF0\x9F\x98\x80", "?"},
                    OneWayCase{"ManyInvalidBytes", std::string(3000, '\xFF'),
                               std::string(3000, '?')},
                    OneWayCase{"InvalidPairsKeepEveryReplacement", repeated("\x81\x81", 1000),
                               std::string(2000, '?')},
                    OneWayCase{"EndsAtFirstZeroByte", "\xE4\xB8\xAD\0\xE4\xB8\xAD"s, "\xD6\xD0"}),
    [](const auto& info) { return std::string(info.param.name); });

struct ToUtf16Case {
    const char* name;
    std::string text;
    unsigned codePage;
    ByteArray expected;
};

class ToUtf16 : public testing::TestWithParam<ToUtf16Case> {};

TEST_P(ToUtf16, GivesTheUnitsAndOneZeroUnit) {
    EXPECT_EQ(toUtf16(GetParam().text, GetParam().codePage), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    TextEncoding, ToUtf16,
    testing::Values(ToUtf16Case{"GbkCharacter", "\xD6\xD0", 936, {0x2D, 0x4E, 0x00, 0x00}},
                    ToUtf16Case{"AnsiCodePageIsGbk", "\xD6\xD0", 0, {0x2D, 0x4E, 0x00, 0x00}},
                    ToUtf16Case{"Utf8Character", "\xE4\xB8\xAD", 65001, {0x2D, 0x4E, 0x00, 0x00}},
                    ToUtf16Case{"Utf8SurrogatePair",
                                "\xF0\x9F\x98\x80",
                                65001,
                                {0x3D, 0xD8, 0x00, 0xDE, 0x00, 0x00}},
                    // Two GBK characters but four replacement characters as UTF-8: a count taken in
                    // the ANSI code page would cut them.
                    ToUtf16Case{"InvalidUtf8KeepsEveryReplacement",
                                "\x81\x81\x81\x81",
                                65001,
                                {0xFD, 0xFF, 0xFD, 0xFF, 0xFD, 0xFF, 0xFD, 0xFF, 0x00, 0x00}},
                    ToUtf16Case{"EmptyText", "", 936, {0x00, 0x00}},
                    ToUtf16Case{"EmptyTextUnknownCodePage", "", 1252, {0x00, 0x00}},
                    ToUtf16Case{"UnknownCodePage", "abc", 1252, {}},
                    ToUtf16Case{"EndsAtFirstZeroByte", "a\0b"s, 936, {0x61, 0x00, 0x00, 0x00}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ToUtf16Defaults, OmittedCodePageReadsUtf8) {
    EXPECT_EQ(toUtf16("\xE4\xB8\xAD"), (ByteArray{0x2D, 0x4E, 0x00, 0x00}));
}

struct FromUtf16Case {
    const char* name;
    ByteArray utf16;
    unsigned codePage;
    std::string expected;
};

class FromUtf16 : public testing::TestWithParam<FromUtf16Case> {};

TEST_P(FromUtf16, GivesTheText) {
    EXPECT_EQ(fromUtf16(GetParam().utf16, GetParam().codePage), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    TextEncoding, FromUtf16,
    testing::Values(
        FromUtf16Case{"GbkCharacter", {0x2D, 0x4E, 0x00, 0x00}, 936, "\xD6\xD0"},
        FromUtf16Case{"Utf8Character", {0x2D, 0x4E, 0x00, 0x00}, 65001, "\xE4\xB8\xAD"},
        FromUtf16Case{"NoZeroUnitReadsToTheEnd", {0x41, 0x00, 0x42, 0x00}, 936, "AB"},
        FromUtf16Case{"StopsAtFirstZeroUnit", {0x41, 0x00, 0x00, 0x00, 0x42, 0x00}, 936, "A"},
        FromUtf16Case{
            "ZeroBytesInsideAUnitDoNotStopIt", {0x00, 0x4E, 0x00, 0x00}, 65001, "\xE4\xB8\x80"},
        FromUtf16Case{"TrailingOddByteIgnored", {0x41, 0x00, 0x42}, 936, "A"},
        FromUtf16Case{"EmptyArray", {}, 936, ""},
        FromUtf16Case{"ZeroUnitAlone", {0x00, 0x00}, 65001, ""},
        FromUtf16Case{"UnpairedSurrogateToGbk", {0x41, 0x00, 0x00, 0xD8, 0x00, 0x00}, 936, "A?"},
        FromUtf16Case{"UnpairedSurrogateToUtf8", {0x00, 0xDC, 0x00, 0x00}, 65001, "\xEF\xBF\xBD"},
        FromUtf16Case{"UnknownCodePage", {0x41, 0x00, 0x00, 0x00}, 1252, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FromUtf16Defaults, OmittedCodePageWritesGbk) {
    EXPECT_EQ(fromUtf16(ByteArray{0xAC, 0x20, 0x2D, 0x4E, 0x00, 0x00}), "\x80\xD6\xD0");
}

} // namespace
