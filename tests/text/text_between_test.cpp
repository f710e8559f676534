#include <cstddef>
#include <random>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "text_between.h"

namespace {

// "#引号" in GBK, which a marker uses for a double quote.
constexpr const char* quote = "\x23\xD2\xFD\xBA\xC5";

struct TextBetweenCase {
    const char* name;
    std::string text;
    std::string startMarker;
    std::string endMarker;
    int startPosition;
    bool caseSensitive;
    std::string expected;
};

class TextBetween : public testing::TestWithParam<TextBetweenCase> {};

TEST_P(TextBetween, GivesTheTextBetweenTheMarkers) {
    const TextBetweenCase& row = GetParam();
    EXPECT_EQ(
        textBetween(row.text, row.startMarker, row.endMarker, row.startPosition, row.caseSensitive),
        row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Markers, TextBetween,
    testing::Values(
        TextBetweenCase{"Plain", "count:42;rest", "count:", ";", 1, false, "42"},
        TextBetweenCase{"CapitalMarkerFoldsWhenInsensitive", "count:42;rest", "COUNT:", ";", 1,
                        false, "42"},
        TextBetweenCase{"CapitalMarkerMissesWhenSensitive", "count:42;rest", "COUNT:", ";", 1, true,
                        ""},
        TextBetweenCase{"CapitalTextFoldsWhenInsensitive", "COUNT:42;rest", "count:", ";", 1, false,
                        "42"},
        TextBetweenCase{"SensitiveExactMatch", "Count:42;", "Count:", ";", 1, true, "42"},
        TextBetweenCase{"OnlyAsciiLettersFold", "\xC1:42;\xE1:7;", "\xE1:", ";", 1, false, "7"},
        TextBetweenCase{"SecondBytesOfDoubleByteCharactersFold", "\x81\x41=1;", "\x81\x61=", ";", 1,
                        false, "1"},
        TextBetweenCase{"QuotePlaceholderInBothMarkers", "k=\"v\"", std::string("k=") + quote,
                        quote, 1, false, "v"},
        TextBetweenCase{"QuotePlaceholderTwiceInOneMarker", "a\"\"b;", std::string(quote) + quote,
                        ";", 1, false, "b"},
        TextBetweenCase{"PlaceholderBehindLeadByteIsNotReplaced",
                        "\x81\"\xD2\xFD\xBA\xC5"
                        "x\x81#\xD2\xFD\xBA\xC5"
                        "y;",
                        std::string("\x81") + quote, ";", 1, false, "y"},
        TextBetweenCase{"MarkersSideBySide", "ab;cd", "ab", ";", 1, false, ""},
        TextBetweenCase{"EndMarkerOnlyBeforeStartMarker", ";count:42", "count:", ";", 1, false, ""},
        TextBetweenCase{"StartMarkerMissing", "count 42;", "count:", ";", 1, false, ""},
        TextBetweenCase{"StartMarkerEndsTheText", "xcount:", "count:", ";", 1, false, ""},
        TextBetweenCase{"MarkerLongerThanText", "ab", "abc", ";", 1, false, ""},
        TextBetweenCase{"FirstStartMarkerAndFirstEndMarkerAfterIt", "<1>a</><2>b</>", "<", "</>", 1,
                        false, "1>a"},
        TextBetweenCase{"StartPositionSkipsEarlierMarker", "<1>a</><2>b</>", "<", "</>", 2, false,
                        "/><2>b"},
        TextBetweenCase{"StartPositionAtSecondMarker", "k=1;k=2;", "k=", ";", 5, false, "2"},
        TextBetweenCase{"StartPositionOnMarkerItself", "k=1;k=2;", "k=", ";", 1, false, "1"},
        TextBetweenCase{"StartPositionZeroCountsAsOne", "k=1;", "k=", ";", 0, false, "1"},
        TextBetweenCase{"StartPositionNegativeCountsAsOne", "k=1;", "k=", ";", -7, false, "1"},
        TextBetweenCase{"StartPositionJustPastTheEnd", "k=1;", "k=", ";", 5, false, ""},
        TextBetweenCase{"StartPositionFarBeyondTheEnd", "k=1;", "k=", ";", 1000, false, ""},
        // The walk pairs E4 B8 and then AD with the quote, as it does in any text.
        TextBetweenCase{"Utf8ThirdByteSwallowsTheQuote", "\xE4\xB8\xAD\"v\"w;", "\"", ";", 1, false,
                        "w"},
        TextBetweenCase{"MarkerNotFoundOnSecondByte", "\xB0\x3Ax:1;", ":", ";", 1, false, "1"},
        TextBetweenCase{"EndMarkerNotFoundOnSecondByte", "k=\xB0;1;", "k=", ";", 1, false,
                        "\xB0;1"},
        TextBetweenCase{"StartPositionOnSecondByteIsTakenAsCharacterStart", "\xB0:1;", ":", ";", 2,
                        false, "1"},
        TextBetweenCase{"EvenRunOfLeadBytesBeforeMarker", "\x81\x81:1;", ":", ";", 1, false, "1"},
        TextBetweenCase{"OddRunOfLeadBytesBeforeMarker", "\x81\x81\x81:1;:2;", ":", ";", 1, false,
                        "2"},
        TextBetweenCase{"SecondFullMatchInOneDoubleByteRun", "\xB0\xA1\xA1\xA1\xA1x;", "\xA1\xA1",
                        ";", 1, false, "\xA1x"},
        TextBetweenCase{"RunOfLeadBytesCountedFromStartPosition", "\x81\x81:1;:2;", ":", ";", 2,
                        false, "2"},
        TextBetweenCase{"LeadByteAtVeryEndOfText", "k=1;\x81", "k=", ";", 1, false, "1"},
        TextBetweenCase{"MarkerWithDoubleByteCharacter", "\xD6\xD0=1;", "\xD6\xD0=", ";", 1, false,
                        "1"},
        TextBetweenCase{"EmptyStartMarker", "k=1;", "", ";", 1, false, ""},
        TextBetweenCase{"EmptyEndMarker", "k=1;", "k=", "", 1, false, ""},
        TextBetweenCase{"EmptyText", "", "k=", ";", 1, false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// A page of GBK and ASCII in which the marker's first letter is common, in both cases.
TEST(TextBetweenLongPage, FindsMarkersNearTheEndOfAMegabyte) {
    std::string page;
    while (page.size() < (1u << 20)) {
        page += "<div class=\"Count\">\xD6\xD0\xCE\xC4 c: C</div>\n";
    }
    page += "\"count\":\"1234\"";
    EXPECT_EQ(textBetween(page, std::string("COUNT") + quote + ":" + quote, quote), "1234");
    EXPECT_EQ(textBetween(page, "\"count\":\"", "\"", 1, true), "1234");
}

// The walk of the search, one character after the other, kept plain as the model the search
// must agree with.
std::size_t walkFind(std::string_view text, std::size_t from, std::string_view marker,
                     bool caseSensitive) {
    const auto fold = [caseSensitive](char byte) {
        return !caseSensitive && byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte + 32) : byte;
    };
    for (std::size_t index = from; !marker.empty() && index + marker.size() <= text.size();) {
        std::size_t offset = 0;
        while (offset < marker.size() && fold(text[index + offset]) == fold(marker[offset])) {
            ++offset;
        }
        if (offset == marker.size()) {
            return index;
        }
        index += static_cast<unsigned char>(text[index]) >= 0x80 ? 2 : 1;
    }
    return std::string_view::npos;
}

std::string walkTextBetween(std::string_view text, std::string_view startMarker,
                            std::string_view endMarker, int startPosition, bool caseSensitive) {
    const std::size_t from = startPosition < 1 ? 0 : static_cast<std::size_t>(startPosition - 1);
    const std::size_t start = walkFind(text, from, startMarker, caseSensitive);
    if (start == std::string_view::npos) {
        return {};
    }
    const std::size_t contentBegin = start + startMarker.size();
    const std::size_t end = walkFind(text, contentBegin, endMarker, caseSensitive);
    if (end == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(contentBegin, end - contentBegin));
}

std::string hex(std::string_view bytes) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out;
    for (const char byte : bytes) {
        out += digits[static_cast<unsigned char>(byte) >> 4];
        out += digits[static_cast<unsigned char>(byte) & 0x0F];
        out += ' ';
    }
    return out;
}

// Texts crowded with lead bytes and marker pieces, so that matches fall on second bytes, on
// both parities of long double-byte runs, and next to the start position.
TEST(TextBetweenAgainstWalk, AgreesWithTheCharacterWalkOnRandomTexts) {
    std::mt19937 random(20240601);
    constexpr std::string_view alphabet = "aA=;\x81\xA1\xB0";
    const auto randomText = [&](std::size_t minLength, std::size_t maxLength) {
        std::string text(std::uniform_int_distribution<std::size_t>(minLength, maxLength)(random),
                         ' ');
        for (char& byte : text) {
            byte = alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() -
                                                                              1)(random)];
        }
        return text;
    };
    for (int round = 0; round < 50000; ++round) {
        const std::string text = randomText(0, 40);
        const std::string startMarker = randomText(1, 3);
        const std::string endMarker = randomText(1, 2);
        const int startPosition =
            std::uniform_int_distribution<int>(0, static_cast<int>(text.size()) + 1)(random);
        const bool caseSensitive = random() % 2 == 0;
        ASSERT_EQ(textBetween(text, startMarker, endMarker, startPosition, caseSensitive),
                  walkTextBetween(text, startMarker, endMarker, startPosition, caseSensitive))
            << "text " << hex(text) << "| start " << hex(startMarker) << "| end " << hex(endMarker)
            << "| position " << startPosition << " caseSensitive " << caseSensitive;
    }
}

} // namespace
