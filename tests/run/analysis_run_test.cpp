#include <algorithm>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "analysis_run.h"
#include "curl_http_client.h"
#include "fake_analysis_view.h"
#include "standin_marketplace.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// GBK texts of the run's messages.
const std::string completed = "\xb7\xd6\xce\xf6\xcd\xea\xb1\xcf\xa3\xa1";
const std::string noMatch =
    "\xc6\xa5\xc5\xe4\xca\xa7\xb0\xdc\xa3\xac\xc7\xeb\xbc\xec\xbc\xec\xb2\xe9\xd5\xfd\xd4\xf2"
    "\xd3\xef\xbe\xe4\xca\xc7\xb7\xf1\xd3\xd0\xce\xf3\xa3\xac\xca\xfd\xc1\xbf\xa3\xba\x30";

std::vector<std::string> titles(const FakeAnalysisView& view) {
    std::vector<std::string> result;
    for (const auto& row : view.rows)
        result.push_back(row.title);
    return result;
}

std::vector<std::string> keywords(const FakeAnalysisView& view) {
    std::vector<std::string> result;
    for (const auto& row : view.rows)
        result.push_back(row.keyword);
    return result;
}

class AnalysisRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        state.matchResults.create();
        marketplace.setSuggestions("a", {"a1", "a2", "a3"});
        marketplace.setSuggestions("b", {"b1", "b2"});
        marketplace.setSuggestions("c", {"c1"});
    }

    void run() { AnalysisRun(view, http, state, {marketplace.host(), marketplace.host()})(); }

    std::vector<std::string> suggestionQueries() const {
        std::vector<std::string> lines;
        for (const auto& request : marketplace.requests())
            if (request.requestLine.starts_with("GET /sug"))
                lines.push_back(request.requestLine);
        return lines;
    }

    void expectCompletedWithButtonsStopped() const {
        ASSERT_EQ(view.messages.size(), 1u);
        EXPECT_EQ(view.messages[0].text, completed);
        EXPECT_EQ(view.messages[0].icon, MessageIcon::Information);
        EXPECT_THAT(view.buttonWrites, ::testing::ElementsAreArray(ButtonsStopped));
        // The buttons change only once the message has been closed.
        EXPECT_EQ(std::find(view.events.begin(), view.events.end(), "button") -
                      std::find(view.events.begin(), view.events.end(), "message"),
                  1);
    }

    StandInMarketplace marketplace;
    CurlHttpClient http{{.connectTimeout = std::chrono::seconds(5),
                         .stallTimeout = std::chrono::seconds(5),
                         .caFile = testCaFile()}};
    RunState state;
    FakeAnalysisView view;
};

TEST_F(AnalysisRunTest, NumbersRowsAcrossSeedsAndFromOneAgainInTheNextRun) {
    marketplace.setCount("a2", "4567");
    view.keywords = "a\r\nb";
    run();
    EXPECT_THAT(titles(view), ElementsAre("1", "2", "3", "4", "5"));
    EXPECT_THAT(keywords(view), ElementsAre("a1", "a2", "a3", "b1", "b2"));
    EXPECT_EQ(view.rows[1].count, "4567");
    expectCompletedWithButtonsStopped();

    FakeAnalysisView again;
    again.keywords = "c\r\n";
    AnalysisRun(again, http, state, {marketplace.host(), marketplace.host()})();
    EXPECT_THAT(titles(again), ElementsAre("1"));
}

TEST_F(AnalysisRunTest, EmptyBoxQueriesNothingAndCompletes) {
    run();
    EXPECT_THAT(marketplace.requests(), IsEmpty());
    EXPECT_THAT(view.rows, IsEmpty());
    expectCompletedWithButtonsStopped();
}

TEST_F(AnalysisRunTest, EmptyLineIsQueriedAsAnEmptySeed) {
    marketplace.setSuggestions("", {"hot"});
    view.keywords = "a\r\n\r\nb\r\n";
    run();
    const auto queries = suggestionQueries();
    ASSERT_EQ(queries.size(), 3u);
    EXPECT_EQ(queries[1], "GET /sug?code=utf-8&callback=?&q= HTTP/1.0");
    expectCompletedWithButtonsStopped();
}

TEST_F(AnalysisRunTest, ChineseSeedIsSentAsUtf8AndListedAsGbk) {
    // 女装 in GBK; its suggestion 女装夏 comes back in UTF-8 and is listed in GBK.
    view.keywords = "\xc5\xae\xd7\xb0";
    marketplace.setSuggestions("女装", {"女装夏"});
    run();
    EXPECT_EQ(suggestionQueries().at(0),
              "GET /sug?code=utf-8&callback=?&q=%E5%A5%B3%E8%A3%85 HTTP/1.0");
    EXPECT_THAT(keywords(view), ElementsAre("\xc5\xae\xd7\xb0\xcf\xc4"));
}

TEST_F(AnalysisRunTest, StopDuringFirstSeedListsAllItsSuggestionsThenEnds) {
    view.keywords = "a\r\nb\r\nc";
    view.onRowAppended = [this](const FakeAnalysisView::Row&) { state.stopRequested = 1; };
    run();
    EXPECT_THAT(keywords(view), ElementsAre("a1", "a2", "a3"));
    EXPECT_EQ(suggestionQueries().size(), 1u);
    EXPECT_EQ(state.stopRequested, 0);
    expectCompletedWithButtonsStopped();
}

TEST_F(AnalysisRunTest, StopLeftPendingEndsTheNextRunBeforeItsFirstQuery) {
    view.keywords = "a";
    view.onMessage = [this](const FakeAnalysisView::Message&) { state.stopRequested = 1; };
    run();
    ASSERT_EQ(state.stopRequested, 1);
    marketplace.clearRequests();

    FakeAnalysisView next;
    next.keywords = "b";
    AnalysisRun(next, http, state, {marketplace.host(), marketplace.host()})();
    EXPECT_THAT(marketplace.requests(), IsEmpty());
    EXPECT_THAT(next.rows, IsEmpty());
    ASSERT_EQ(next.messages.size(), 1u);
    EXPECT_EQ(next.messages[0].text, completed);
    EXPECT_EQ(state.stopRequested, 0);
}

TEST_F(AnalysisRunTest, PendingStopOutlivesARunWithoutSeeds) {
    state.stopRequested = 1;
    run();
    EXPECT_EQ(view.messages.at(0).text, completed);
    EXPECT_EQ(state.stopRequested, 1);
}

TEST_F(AnalysisRunTest, SeedWithoutSuggestionsFailsKeepingEarlierRowsAndButtons) {
    marketplace.setSuggestions("b", {});
    view.keywords = "a\r\nb\r\nc";
    run();
    EXPECT_THAT(keywords(view), ElementsAre("a1", "a2", "a3"));
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, noMatch);
    EXPECT_EQ(view.messages[0].icon, MessageIcon::Error);
    EXPECT_THAT(view.buttonWrites, IsEmpty());
    EXPECT_EQ(suggestionQueries().size(), 2u);
    EXPECT_THAT(*state.matchResults.current(), IsEmpty());
}

TEST_F(AnalysisRunTest, UnreachableSuggestionServiceFailsLikeAnAnswerWithoutSuggestions) {
    view.keywords = "a";
    const std::string nowhere = "127.0.0.1:" + std::to_string(unusedPort());
    AnalysisRun(view, http, state, {nowhere, nowhere})();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, noMatch);
    EXPECT_THAT(view.rows, IsEmpty());
}

TEST_F(AnalysisRunTest, PageWithoutCountMarkersGivesAnEmptyCount) {
    marketplace.setSearchBody("a2", "<html><body>no results here</body></html>");
    view.keywords = "a";
    run();
    ASSERT_EQ(view.rows.size(), 3u);
    EXPECT_EQ(view.rows[1].title, "2");
    EXPECT_EQ(view.rows[1].keyword, "a2");
    EXPECT_EQ(view.rows[1].count, "");
    EXPECT_NE(view.rows[0].count, "");
}

TEST_F(AnalysisRunTest, FailedSearchQueryStillListsTheRow) {
    view.keywords = "a";
    const std::string nowhere = "127.0.0.1:" + std::to_string(unusedPort());
    AnalysisRun(view, http, state, {marketplace.host(), nowhere})();
    EXPECT_THAT(keywords(view), ElementsAre("a1", "a2", "a3"));
    EXPECT_EQ(view.rows[0].count, "");
    expectCompletedWithButtonsStopped();
}

TEST_F(AnalysisRunTest, MatchResultsHoldTheLastSeedsMatches) {
    view.keywords = "a\r\nb";
    run();
    EXPECT_EQ(state.matchResults.current()->size(), 2u);
}

TEST_F(AnalysisRunTest, ReleasedMatchResultsStayReleasedWhileTheRunGoesOn) {
    view.keywords = "a\r\nb";
    view.onRowAppended = [this](const FakeAnalysisView::Row&) { state.matchResults.release(); };
    run();
    EXPECT_THAT(keywords(view), ElementsAre("a1", "a2", "a3", "b1", "b2"));
    EXPECT_EQ(state.matchResults.current(), nullptr);
}

} // namespace

namespace {

struct ProgressCase {
    const char* name;
    const char* keywords;
    bool stopDuringFirst;
    std::vector<std::string> progress;
};

void PrintTo(const ProgressCase& progressCase, std::ostream* out) {
    *out << progressCase.name;
}

class AnalysisRunProgressTest : public AnalysisRunTest,
                                public ::testing::WithParamInterface<ProgressCase> {};

TEST_P(AnalysisRunProgressTest, ReportsEachSeedAndTheEndWhicheverWayItEnds) {
    marketplace.setSuggestions("none", {});
    view.keywords = GetParam().keywords;
    if (GetParam().stopDuringFirst)
        view.onRowAppended = [this](const FakeAnalysisView::Row&) { state.stopRequested = 1; };
    run();
    EXPECT_EQ(view.progress, GetParam().progress);
    EXPECT_EQ(view.events.back(), "progress");
}

INSTANTIATE_TEST_SUITE_P(
    Endings, AnalysisRunProgressTest,
    ::testing::Values(ProgressCase{"Completed", "a\r\nb", false, {"1/2:a", "2/2:b", "end"}},
                      ProgressCase{"Stopped", "a\r\nb\r\nc", true, {"1/3:a", "end"}},
                      ProgressCase{"Failed", "a\r\nnone\r\nb", false, {"1/3:a", "2/3:none", "end"}},
                      ProgressCase{"NoSeeds", "", false, {"end"}}),
    [](const ::testing::TestParamInfo<ProgressCase>& info) { return info.param.name; });

} // namespace
