#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "byte_array.h"
#include "http_fetcher.h"
#include "marketplace_queries.h"
#include "regex_pattern.h"

using namespace std::string_literals;

namespace {

// Answers the URLs it knows with their bodies and every other one as a failed request does.
class KnownPages final : public HttpFetcher {
public:
    explicit KnownPages(std::map<std::string, std::string> bodies) : m_bodies(std::move(bodies)) {}

    ByteArray fetch(const std::string& url) override {
        m_requests.push_back(url);
        const auto found = m_bodies.find(url);
        return found == m_bodies.end() ? ByteArray{}
                                       : ByteArray(found->second.begin(), found->second.end());
    }

    const std::vector<std::string>& requests() const { return m_requests; }

private:
    std::map<std::string, std::string> m_bodies;
    std::vector<std::string> m_requests;
};

struct Row {
    std::string suggestion;
    std::string count;
    bool operator==(const Row&) const = default;
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << testing::PrintToString(row.suggestion) << " -> " << testing::PrintToString(row.count);
}

constexpr const char* suggestHost = "suggest.test";
constexpr const char* searchHost = "search.test";

// One seed keyword read the way the analysis run reads it, with the queries in the same order.
std::vector<Row> readSeed(const std::string& seed, HttpFetcher& fetcher) {
    const std::string answer = bytesToText(fetcher.fetch(suggestionQueryUrl(seed, suggestHost)));
    RegexPattern pattern;
    EXPECT_TRUE(compilePattern(pattern, suggestionPattern, false));
    std::vector<Row> rows;
    for (const RegexMatch& match : findAll(pattern, answer)) {
        std::string suggestion = groupText(match, answer, 1);
        const std::string page = bytesToText(fetcher.fetch(searchQueryUrl(suggestion, searchHost)));
        rows.push_back(Row{std::move(suggestion), resultCountText(page)});
    }
    return rows;
}

const std::string womensWearSuggestUrl =
    "https://suggest.test/sug?code=utf-8&callback=?&q=%E5%A5%B3%E8%A3%85";
const std::string summerWearSearchUrl =
    "https://search.test/search?q=%E5%A5%B3%E8%A3%85%E5%A4%8F%E5%AD%A3";
const std::string coatSearchUrl =
    "https://search.test/search?q=%E5%A5%B3%E8%A3%85%E5%A4%96%E5%A5%97";

std::string searchPage(const std::string& count) {
    return R"({"mods":{"pager":{"data":{"pageSize":44,"totalCount":)" + count +
           R"(},"status":"show"}}})";
}

struct ReadingCase {
    const char* name;
    std::string seed; // GBK
    std::map<std::string, std::string> bodies;
    std::vector<Row> rows;
    std::vector<std::string> requests;
};

void PrintTo(const ReadingCase& testCase, std::ostream* out) {
    *out << testCase.name;
}

class SuggestionReading : public testing::TestWithParam<ReadingCase> {};

TEST_P(SuggestionReading, GivesOneRowPerSuggestionWithItsCount) {
    const ReadingCase& testCase = GetParam();
    KnownPages fetcher(testCase.bodies);
    EXPECT_EQ(readSeed(testCase.seed, fetcher), testCase.rows);
    EXPECT_EQ(fetcher.requests(), testCase.requests);
}

// The seed 女装 in GBK; the answer and the pages speak UTF-8, as the marketplace does.
INSTANTIATE_TEST_SUITE_P(
    Answers, SuggestionReading,
    testing::Values(
        ReadingCase{"TwoSuggestionsWithTheirCounts",
                    "\xC5\xAE\xD7\xB0",
                    {{womensWearSuggestUrl, R"({"result":[["女装夏季","152"],["女装外套","97"]]})"},
                     {summerWearSearchUrl, searchPage("1520000")},
                     {coatSearchUrl, searchPage("970")}},
                    {{"女装夏季", "1520000"}, {"女装外套", "970"}},
                    {womensWearSuggestUrl, summerWearSearchUrl, coatSearchUrl}},
        ReadingCase{"RepeatedSuggestionIsAskedForTwice",
                    "\xC5\xAE\xD7\xB0",
                    {{womensWearSuggestUrl, R"({"result":[["女装夏季","1"],["女装夏季","2"]]})"},
                     {summerWearSearchUrl, searchPage("5")}},
                    {{"女装夏季", "5"}, {"女装夏季", "5"}},
                    {womensWearSuggestUrl, summerWearSearchUrl, summerWearSearchUrl}},
        ReadingCase{"FailedSearchGivesAnEmptyCount",
                    "\xC5\xAE\xD7\xB0",
                    {{womensWearSuggestUrl, R"({"result":[["女装夏季","1"]]})"}},
                    {{"女装夏季", ""}},
                    {womensWearSuggestUrl, summerWearSearchUrl}},
        ReadingCase{"EmptyKeywordIsSearchedWithAnEmptyQuery",
                    "\xC5\xAE\xD7\xB0",
                    {{womensWearSuggestUrl, R"({"result":[["","1"]]})"},
                     {"https://search.test/search?q=", searchPage("0")}},
                    {{"", "0"}},
                    {womensWearSuggestUrl, "https://search.test/search?q="}},
        ReadingCase{"ZeroByteInTheAnswerHidesWhatFollows",
                    "\xC5\xAE\xD7\xB0",
                    {{womensWearSuggestUrl,
                      R"({"result":[["女装夏季","1"])"s + '\0' + R"(,["女装外套","2"]]})"},
                     {summerWearSearchUrl, searchPage("3")},
                     {coatSearchUrl, searchPage("4")}},
                    {{"女装夏季", "3"}},
                    {womensWearSuggestUrl, summerWearSearchUrl}},
        ReadingCase{"ZeroByteInAPageEndsIt",
                    "\xC5\xAE\xD7\xB0",
                    {{womensWearSuggestUrl, R"({"result":[["女装夏季","1"]]})"},
                     {summerWearSearchUrl, R"({"totalCount":12)"s + '\0' + R"(34},")"}},
                    {{"女装夏季", ""}},
                    {womensWearSuggestUrl, summerWearSearchUrl}},
        ReadingCase{"AnswerWithoutSuggestionsAsksNothingMore",
                    "\xC5\xAE\xD7\xB0",
                    {{womensWearSuggestUrl, R"({"result":[]})"}},
                    {},
                    {womensWearSuggestUrl}},
        ReadingCase{"FailedSuggestionQueryAsksNothingMore",
                    "\xC5\xAE\xD7\xB0",
                    {},
                    {},
                    {womensWearSuggestUrl}},
        ReadingCase{"EmptySeedIsStillAskedFor",
                    "",
                    {{"https://suggest.test/sug?code=utf-8&callback=?&q=",
                      R"({"result":[["女装外套","1"]]})"},
                     {coatSearchUrl, searchPage("7")}},
                    {{"女装外套", "7"}},
                    {"https://suggest.test/sug?code=utf-8&callback=?&q=", coatSearchUrl}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
