#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "byte_array.h"
#include "marketplace_hosts.h"
#include "marketplace_queries.h"

using namespace std::string_literals;

namespace {

struct TextCase {
    const char* name;
    std::string input;
    std::string expected;
};

void PrintTo(const TextCase& testCase, std::ostream* out) {
    *out << testCase.name;
}

const auto caseName = [](const auto& info) { return std::string(info.param.name); };

class SuggestionQueryUrl : public testing::TestWithParam<TextCase> {};

TEST_P(SuggestionQueryUrl, SendsTheSeedAsPercentEncodedUtf8) {
    EXPECT_EQ(suggestionQueryUrl(GetParam().input, "suggest.test"),
              "https://suggest.test/sug?code=utf-8&callback=?&q=" + GetParam().expected);
}

// Seed keywords are GBK: 女装 is C5 AE D7 B0, 新款 is D0 C2 BF EE.
INSTANTIATE_TEST_SUITE_P(
    Seeds, SuggestionQueryUrl,
    testing::Values(TextCase{"GbkSeed", "\xC5\xAE\xD7\xB0", "%E5%A5%B3%E8%A3%85"},
                    TextCase{"AlphanumericSeed", "abc123", "abc123"},
                    TextCase{"DigitsBeforeGbk", "2024\xD0\xC2\xBF\xEE", "2024%E6%96%B0%E6%AC%BE"},
                    TextCase{"Space", "a b", "a%20b"},
                    TextCase{"QuerySyntaxCharacters", "a&b=c?#", "a%26b%3Dc%3F%23"},
                    TextCase{"EmptySeed", "", ""}),
    caseName);

class SearchQueryUrl : public testing::TestWithParam<TextCase> {};

TEST_P(SearchQueryUrl, SendsTheSuggestionBytesPercentEncoded) {
    EXPECT_EQ(searchQueryUrl(GetParam().input, "search.test"),
              "https://search.test/search?q=" + GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Suggestions, SearchQueryUrl,
    testing::Values(TextCase{"Utf8Suggestion", "\xE5\xA5\xB3\xE8\xA3\x85", "%E5%A5%B3%E8%A3%85"},
                    TextCase{"BytesAreNotConvertedFromGbk", "\xC5\xAE", "%C5%AE"},
                    TextCase{"AlphanumericSuggestion", "abc123", "abc123"},
                    TextCase{"Space", "a b", "a%20b"}, TextCase{"LineBreak", "a\r\nb", "a%0D%0Ab"},
                    TextCase{"BackslashLeftByAnEscapedQuote", R"(a\)", "a%5C"},
                    TextCase{"QuerySyntaxCharacters", "a&b=c?#", "a%26b%3Dc%3F%23"},
                    TextCase{"EmptySuggestion", "", ""}),
    caseName);

TEST(QueryUrls, DefaultHostsAreTheConfiguredOnes) {
    EXPECT_EQ(suggestionQueryUrl("a"),
              "https://"s + std::string(marketplaceSuggestHost) + "/sug?code=utf-8&callback=?&q=a");
    EXPECT_EQ(searchQueryUrl("a"),
              "https://"s + std::string(marketplaceSearchHost) + "/search?q=a");
}

struct BytesCase {
    const char* name;
    ByteArray bytes;
    std::string expected;
};

void PrintTo(const BytesCase& testCase, std::ostream* out) {
    *out << testCase.name;
}

class BytesToText : public testing::TestWithParam<BytesCase> {};

TEST_P(BytesToText, KeepsTheBytesBeforeTheFirstZero) {
    EXPECT_EQ(bytesToText(GetParam().bytes), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, BytesToText,
    testing::Values(BytesCase{"EmptyBody", {}, ""}, BytesCase{"NoZeroByte", {'a', 'b', 'c'}, "abc"},
                    BytesCase{"ZeroByteInside", {'a', 0, 'b', 0}, "a"},
                    BytesCase{"ZeroByteFirst", {0, 'a'}, ""},
                    BytesCase{"BytesAbove0x7F", {0xE5, 0xA5, 0xB3, 0xFF}, "\xE5\xA5\xB3\xFF"}),
    caseName);

class ResultCountText : public testing::TestWithParam<TextCase> {};

TEST_P(ResultCountText, TakesWhatLiesBetweenTheCountMarkers) {
    EXPECT_EQ(resultCountText(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, ResultCountText,
    testing::Values(
        TextCase{"CountInAPage", R"({"pager":{"pageSize":44,"totalCount":4567},"sort":{}})",
                 "4567"},
        TextCase{"StartMarkerInUpperCase", R"({"TOTALCOUNT":4567},"x":1})", "4567"},
        TextCase{"StartMarkerInMixedCase", R"({"TotalCOUNT":4567},"x":1})", "4567"},
        TextCase{"FieldsBeforeTheEndMarkerBelongToTheCount",
                 R"({"totalCount":4567,"currentPage":1},"x":1})", R"(4567,"currentPage":1)"},
        TextCase{"EndMarkerBeforeTheStartMarkerIsIgnored", R"({"a":{},"totalCount":12},"b":1})",
                 "12"},
        TextCase{"FirstStartMarkerCounts", R"({"totalCount":1},"totalCount":2},")", "1"},
        TextCase{"NothingBetweenTheMarkers", R"({"totalCount":},"x":1})", ""},
        TextCase{"StartMarkerWithoutEndMarker", R"({"totalCount":4567}})", ""},
        TextCase{"EndMarkerWithoutStartMarker", R"({"count":4567},"x":1})", ""},
        TextCase{"EmptyPage", "", ""},
        TextCase{"LeadByteSwallowsTheMarkersQuote", "\xB0\"totalCount\":4567},\"", ""},
        TextCase{"LeadByteHidesOnlyTheFirstMarker", "\xB0\"totalCount\":1},\"\"totalCount\":2},\"",
                 "2"},
        TextCase{"Utf8TextBeforeTheMarker",
                 "{\"q\":\"\xE5\xA5\xB3\xE8\xA3\x85\",\"totalCount\":88},\"", "88"}),
    caseName);

} // namespace
