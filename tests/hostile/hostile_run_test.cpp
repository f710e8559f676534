// Whole analysis runs against a marketplace that misbehaves: every run ends with the rows and
// the message that its answers define, within the client's limits, and memory stays bounded.

#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "analysis_run.h"
#include "fake_analysis_view.h"
#include "hostile_support.h"

using namespace std::chrono_literals;
using testing::ElementsAreArray;
using testing::IsEmpty;

namespace {

// Title, keyword, count: comparable and printable as they stand.
using Row = std::tuple<std::string, std::string, std::string>;

std::vector<Row> rowsOf(const FakeAnalysisView& view) {
    std::vector<Row> rows;
    for (const auto& row : view.rows) {
        rows.emplace_back(row.title, row.keyword, row.count);
    }
    return rows;
}

constexpr std::size_t gibibyte = std::size_t{1} << 30;
// Only against a hang: every case ends far sooner.
constexpr auto hangBound = 60s;

// Seed keywords whose suggestions and counts the stand-in knows.
const std::map<std::string, std::vector<std::string>> suggestionsOf = {{"a", {"a1", "a2"}},
                                                                       {"b", {"b1"}}};
const std::map<std::string, std::string> countOf = {{"a1", "101"}, {"a2", "102"}, {"b1", "201"}};

std::string normalAnswer(const std::string& seed) {
    return suggestionAnswerBody(suggestionsOf.at(seed));
}

std::string normalPage(const std::string& suggestion) {
    const auto found = countOf.find(suggestion);
    return searchPageBody(found != countOf.end() ? found->second : "");
}

struct ExpectedRun {
    std::vector<Row> rows;
    bool completed = true;
};

using Shape = std::function<std::string(const std::string& normalBody)>;

// The run's own walk, done by hand: seeds in order, every suggestion a numbered row with its
// count, an end at the first answer without a suggestion. The keywords here are ASCII, so the
// GBK keyword of a row is its suggestion.
ExpectedRun expectedRun(const std::vector<std::string>& seeds, const Shape& answer,
                        const Shape& page) {
    ExpectedRun expected;
    for (const std::string& seed : seeds) {
        const auto suggestions = suggestionsIn(answer(normalAnswer(seed)));
        if (suggestions.empty()) {
            expected.completed = false;
            return expected;
        }
        for (const std::string& suggestion : suggestions) {
            expected.rows.emplace_back(std::to_string(expected.rows.size() + 1), suggestion,
                                       countIn(page(normalPage(suggestion))));
        }
    }
    return expected;
}

const Shape unchanged = [](const std::string& body) { return body; };
const Shape nothing = [](const std::string&) { return std::string(); };
const Shape firstHalf = [](const std::string& body) { return body.substr(0, body.size() / 2); };

Shape bytes(std::string body) {
    return [body = std::move(body)](const std::string&) { return body; };
}

void expectEndedAs(const FakeAnalysisView& view, const ExpectedRun& expected) {
    EXPECT_THAT(rowsOf(view), ElementsAreArray(expected.rows));
    ASSERT_EQ(view.messages.size(), 1u);
    if (expected.completed) {
        EXPECT_EQ(view.messages[0].text, completedMessage);
        EXPECT_EQ(view.messages[0].icon, MessageIcon::Information);
        EXPECT_THAT(view.buttonWrites, ElementsAreArray(ButtonsStopped));
    } else {
        EXPECT_EQ(view.messages[0].text, noMatchMessage);
        EXPECT_EQ(view.messages[0].icon, MessageIcon::Error);
        EXPECT_THAT(view.buttonWrites, IsEmpty());
    }
}

struct RunOutcome {
    std::chrono::milliseconds took;
    long peakKiB;
};

RunOutcome runWholly(FakeAnalysisView& view, HttpFetcher& http, MarketplaceHosts hosts) {
    RunState state;
    state.matchResults.create();
    restartPeakResident();
    const auto took = timeOf([&] { AnalysisRun(view, http, state, std::move(hosts))(); });
    return {took, peakResidentKiB()};
}

MarketplaceHosts hostsOf(const StandInMarketplace& marketplace) {
    return {marketplace.host(), marketplace.host()};
}

void reportRun(const std::string& name, const RunOutcome& outcome) {
    reportFigure(name + "_ms", outcome.took.count(), "ms");
    reportFigure(name + "_peak_rss_kib", outcome.peakKiB, "KiB");
}

struct HostileCase {
    const char* name;
    // Each huge answer costs seconds under a sanitizer: those cases ask for one seed only.
    std::vector<std::string> seeds = {"a", "b"};
    StandInFault fault = StandInFault::None;
    StandInService service = StandInService::All;
    std::function<void(StandInMarketplace&)> tune = [](StandInMarketplace&) {};
    // What the run receives in place of each normal suggestion answer and search page.
    Shape answer = unchanged;
    Shape page = unchanged;
    StandInCertificate certificate = StandInCertificate::TestCa;
    std::function<void(const std::vector<RecordedRequest>&)> alsoCheck =
        [](const std::vector<RecordedRequest>&) {};
};

void PrintTo(const HostileCase& hostile, std::ostream* out) {
    *out << hostile.name;
}

class HostileRunTest : public testing::TestWithParam<HostileCase> {};

TEST_P(HostileRunTest, EndsWithItsDefinedRowsAndMessage) {
    const HostileCase& hostile = GetParam();
    StandInMarketplace marketplace({.certificate = hostile.certificate});
    for (const auto& [seed, suggestions] : suggestionsOf) {
        marketplace.setSuggestions(seed, suggestions);
    }
    for (const auto& [suggestion, count] : countOf) {
        marketplace.setCount(suggestion, count);
    }
    marketplace.setFault(hostile.fault, hostile.service);
    hostile.tune(marketplace);
    CurlHttpClient http(hostileClientConfig());
    FakeAnalysisView view;
    for (const std::string& seed : hostile.seeds) {
        view.keywords += seed + "\r\n";
    }

    const RunOutcome outcome = runWholly(view, http, hostsOf(marketplace));

    expectEndedAs(view, expectedRun(hostile.seeds, hostile.answer, hostile.page));
    EXPECT_LT(outcome.took, hangBound);
    EXPECT_LT(outcome.peakKiB, boundedPeakKiB);
    hostile.alsoCheck(marketplace.requests());
    reportRun(hostile.name, outcome);
}

void allOverTls(const std::vector<RecordedRequest>& requests) {
    for (const RecordedRequest& request : requests) {
        EXPECT_TRUE(request.overTls) << request.requestLine;
    }
}

std::function<void(const std::vector<RecordedRequest>&)> requestCount(std::size_t expected) {
    return [expected](const std::vector<RecordedRequest>& requests) {
        EXPECT_EQ(requests.size(), expected);
    };
}

// One request and every redirect the client follows.
const std::size_t requestsPerLoop = static_cast<std::size_t>(HttpClientConfig{}.maxRedirects) + 1;

INSTANTIATE_TEST_SUITE_P(
    StandInFaults, HostileRunTest,
    testing::Values(
        HostileCase{.name = "SilentSuggestionService",
                    .fault = StandInFault::NeverAnswers,
                    .service = StandInService::Suggestions,
                    .answer = nothing},
        HostileCase{.name = "SilentSearchPage",
                    .fault = StandInFault::NeverAnswers,
                    .service = StandInService::Search,
                    .page = nothing},
        HostileCase{.name = "SuggestionAnswerResetHalfWay",
                    .fault = StandInFault::ResetMidBody,
                    .service = StandInService::Suggestions,
                    .answer = firstHalf},
        HostileCase{.name = "SearchPageResetHalfWay",
                    .fault = StandInFault::ResetMidBody,
                    .service = StandInService::Search,
                    .page = firstHalf},
        // Copies of the page: the count of the first copy is read.
        HostileCase{.name = "GibibyteSearchPageCutAtTheDefaultLimit",
                    .seeds = {"b"},
                    .fault = StandInFault::HugeBody,
                    .service = StandInService::Search,
                    .tune = [](StandInMarketplace& m) { m.setHugeBodyBytes(gibibyte); }},
        // The answer, then spaces that hold no suggestion.
        HostileCase{.name = "GibibyteSuggestionAnswerCutAtTheDefaultLimit",
                    .seeds = {"b"},
                    .fault = StandInFault::HugePaddedBody,
                    .service = StandInService::Suggestions,
                    .tune = [](StandInMarketplace& m) { m.setHugeBodyBytes(gibibyte); }},
        HostileCase{.name = "RandomSuggestionAnswerSeed1",
                    .fault = StandInFault::RandomBody,
                    .service = StandInService::Suggestions,
                    .tune = [](StandInMarketplace& m) { m.setRandomBody(1, 64 << 10); },
                    .answer = bytes(randomBody(1, 64 << 10))},
        HostileCase{.name = "RandomSuggestionAnswerSeed2",
                    .fault = StandInFault::RandomBody,
                    .service = StandInService::Suggestions,
                    .tune = [](StandInMarketplace& m) { m.setRandomBody(2, 64 << 10); },
                    .answer = bytes(randomBody(2, 64 << 10))},
        HostileCase{.name = "RandomSearchPage",
                    .fault = StandInFault::RandomBody,
                    .service = StandInService::Search,
                    .tune = [](StandInMarketplace& m) { m.setRandomBody(3, 64 << 10); },
                    .page = bytes(randomBody(3, 64 << 10))},
        HostileCase{.name = "ZeroBytesSuggestionAnswer",
                    .fault = StandInFault::ZeroBody,
                    .service = StandInService::Suggestions,
                    .answer = bytes(std::string(4096, '\0'))},
        HostileCase{.name = "ZeroBytesSearchPage",
                    .fault = StandInFault::ZeroBody,
                    .service = StandInService::Search,
                    .page = bytes(std::string(4096, '\0'))},
        HostileCase{
            .name = "ZeroByteInTheMiddleOfTheSuggestionAnswer",
            .fault = StandInFault::ZeroByteInBody,
            .service = StandInService::Suggestions,
            .answer = [](std::string body) { return body.insert(body.size() / 2, 1, '\0'); }},
        HostileCase{.name = "EmptySuggestionAnswer",
                    .fault = StandInFault::EmptyBody,
                    .service = StandInService::Suggestions,
                    .answer = nothing},
        HostileCase{.name = "EmptySearchPage",
                    .fault = StandInFault::EmptyBody,
                    .service = StandInService::Search,
                    .page = nothing},
        HostileCase{.name = "CertificateFromAnotherCa",
                    .answer = nothing,
                    .certificate = StandInCertificate::OtherCa,
                    .alsoCheck = requestCount(0)},
        HostileCase{.name = "SuggestionAnswerRedirectedToPlainHttp",
                    .fault = StandInFault::RedirectToHttp,
                    .service = StandInService::Suggestions,
                    .answer = nothing,
                    .alsoCheck = allOverTls},
        HostileCase{.name = "SearchPageRedirectedToPlainHttp",
                    .fault = StandInFault::RedirectToHttp,
                    .service = StandInService::Search,
                    .page = nothing,
                    .alsoCheck = allOverTls},
        HostileCase{.name = "SuggestionAnswerRedirectedToHttpsIsFollowed",
                    .fault = StandInFault::RedirectToHttps,
                    .service = StandInService::Suggestions},
        HostileCase{.name = "SuggestionAnswerRedirectedInALoop",
                    .fault = StandInFault::RedirectLoop,
                    .service = StandInService::Suggestions,
                    .answer = nothing,
                    .alsoCheck = requestCount(requestsPerLoop)},
        // Both suggestion answers arrive; each of the three search pages loops.
        HostileCase{.name = "SearchPageRedirectedInALoop",
                    .fault = StandInFault::RedirectLoop,
                    .service = StandInService::Search,
                    .page = nothing,
                    .alsoCheck = requestCount(2 + 3 * requestsPerLoop)},
        HostileCase{.name = "SuggestionAnswerNotFound",
                    .fault = StandInFault::NotFound,
                    .service = StandInService::Suggestions,
                    .answer = bytes(notFoundPageBody())},
        HostileCase{.name = "SearchPageNotFound",
                    .fault = StandInFault::NotFound,
                    .service = StandInService::Search,
                    .page = bytes(notFoundPageBody())}),
    [](const auto& info) { return std::string(info.param.name); });

struct InvalidUtf8Case {
    const char* name;
    std::size_t index;
    // The GBK keyword of the row: every malformed piece is "?", as utf8ToGbk defines it.
    std::string keyword;
};

void PrintTo(const InvalidUtf8Case& kind, std::ostream* out) {
    *out << kind.name;
}

class InvalidUtf8RunTest : public testing::TestWithParam<InvalidUtf8Case> {};

// 连衣裙 in GBK.
const std::string dressGbk = "\xc1\xac\xd2\xc2\xc8\xb9";

TEST_P(InvalidUtf8RunTest, RowKeywordIsTheDefinedGbkAndTheCountIsTheSpoiltSuggestions) {
    StandInMarketplace marketplace;
    constexpr std::size_t kinds = 6;
    marketplace.setSuggestions("a", std::vector<std::string>(kinds, "连衣裙"));
    for (std::size_t i = 0; i < kinds; ++i) {
        marketplace.setCount(invalidUtf8Suggestion("连衣裙", i), std::to_string(100 + i));
    }
    marketplace.setFault(StandInFault::InvalidUtf8);
    CurlHttpClient http(hostileClientConfig());
    FakeAnalysisView view;
    view.keywords = "a";

    runWholly(view, http, hostsOf(marketplace));

    ASSERT_EQ(view.rows.size(), kinds);
    // The count shows that the search query carried the spoilt bytes as they came.
    EXPECT_EQ(rowsOf(view)[GetParam().index],
              Row(std::to_string(GetParam().index + 1), GetParam().keyword,
                  std::to_string(100 + GetParam().index)));
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, completedMessage);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, InvalidUtf8RunTest,
    testing::Values(InvalidUtf8Case{"StrayContinuationByteAfter", 0, dressGbk + "?"},
                    InvalidUtf8Case{"CutOffSequenceBeforeTheQuote", 1, dressGbk + "?"},
                    InvalidUtf8Case{"OverlongSlashBefore", 2, "??" + dressGbk},
                    InvalidUtf8Case{"EncodedSurrogateAfter", 3, dressGbk + "???"},
                    InvalidUtf8Case{"ByteFFBefore", 4, "?" + dressGbk},
                    InvalidUtf8Case{"BeyondUnicodeAfter", 5, dressGbk + "????"}),
    [](const auto& info) { return std::string(info.param.name); });

// Every search query is refused at once: ten thousand searches over TLS would cost the suite
// minutes under a sanitizer, and they are no part of what the huge answer puts to the test.
TEST(TenThousandSuggestions, AreListedInOrderThoughEverySearchIsRefused) {
    constexpr int suggestionCount = 10'000;
    StandInMarketplace marketplace;
    std::vector<std::string> suggestions;
    for (int i = 0; i < suggestionCount; ++i) {
        suggestions.push_back("连衣裙" + std::to_string(i));
    }
    marketplace.setSuggestions("a", suggestions);
    CurlHttpClient http(hostileClientConfig());
    FakeAnalysisView view;
    view.keywords = "a";

    const RunOutcome outcome =
        runWholly(view, http, {marketplace.host(), "127.0.0.1:" + std::to_string(unusedPort())});

    const std::vector<Row> listed = rowsOf(view);
    ASSERT_EQ(listed.size(), static_cast<std::size_t>(suggestionCount));
    for (int i = 0; i < suggestionCount; ++i) {
        ASSERT_EQ(listed[static_cast<std::size_t>(i)],
                  Row(std::to_string(i + 1), dressGbk + std::to_string(i), ""));
    }
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, completedMessage);
    EXPECT_EQ(marketplace.requests().size(), 1u);
    EXPECT_LT(outcome.took, hangBound);
    EXPECT_LT(outcome.peakKiB, boundedPeakKiB);
    reportRun("TenThousandSuggestions", outcome);
}

} // namespace
