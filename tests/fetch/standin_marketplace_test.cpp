#include <chrono>
#include <cstdint>
#include <functional>
#include <netinet/in.h>
#include <regex>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fetch_fixture.h"

using namespace std::chrono_literals;
using testing::ElementsAre;
using testing::IsEmpty;
using testing::Pair;

namespace {

// The suggestions as the program reads them: group 1 of every match of \["(.*?)".
std::vector<std::string> suggestionsIn(const std::string& answer) {
    static const std::regex pattern(R"re(\["([\s\S]*?)")re");
    std::vector<std::string> found;
    for (auto match = std::sregex_iterator(answer.begin(), answer.end(), pattern);
         match != std::sregex_iterator(); ++match) {
        found.push_back((*match)[1]);
    }
    return found;
}

// The count as the program reads it: between "totalCount": and the next },".
std::string countIn(const std::string& page) {
    const std::string start = "\"totalCount\":";
    const auto from = page.find(start);
    if (from == std::string::npos) {
        return {};
    }
    const auto to = page.find("},\"", from + start.size());
    return to == std::string::npos ? std::string()
                                   : page.substr(from + start.size(), to - from - start.size());
}

// Sends raw bytes to a plain-HTTP port, says that no more will come, and reads the answer to
// its end.
std::string exchangeRaw(int port, const std::string& request) {
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    std::string answer;
    if (connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        send(socket, request.data(), request.size(), MSG_NOSIGNAL) ==
            static_cast<ssize_t>(request.size())) {
        shutdown(socket, SHUT_WR);
        char buffer[4096];
        for (ssize_t got; (got = recv(socket, buffer, sizeof buffer, 0)) > 0;) {
            answer.append(buffer, static_cast<std::size_t>(got));
        }
    }
    ::close(socket);
    return answer;
}

TEST(SuggestionAnswerBody, YieldsEachSuggestionToTheProgramsPattern) {
    const std::vector<std::string> suggestions = {"连衣裙", "连衣裙女夏", "abc 123"};
    const std::string body = suggestionAnswerBody(suggestions);

    EXPECT_TRUE(body.starts_with("{\"result\":[[\"连衣裙\",\""));
    EXPECT_EQ(suggestionsIn(body), suggestions);
}

TEST(SuggestionAnswerBody, WithoutSuggestionsYieldsNoMatch) {
    EXPECT_EQ(suggestionAnswerBody({}), "{\"result\":[]}");
    EXPECT_THAT(suggestionsIn(suggestionAnswerBody({})), IsEmpty());
}

struct CountCase {
    const char* name;
    const char* count;
};

class SearchPageBodyTest : public testing::TestWithParam<CountCase> {};

TEST_P(SearchPageBodyTest, HoldsTheCountBetweenTheMarkers) {
    EXPECT_EQ(countIn(searchPageBody(GetParam().count)), GetParam().count);
}

INSTANTIATE_TEST_SUITE_P(Counts, SearchPageBodyTest,
                         testing::Values(CountCase{"Typical", "4567"}, CountCase{"Zero", "0"},
                                         CountCase{"Empty", ""},
                                         CountCase{"BeyondSixtyFourBits", "12345678901234567890"},
                                         CountCase{"WithSeparator", "1,234"}),
                         [](const auto& info) { return std::string(info.param.name); });

class StandInTest : public testing::Test {
protected:
    std::string fetch(const std::string& url) { return text(client.fetch(url)); }

    StandInMarketplace marketplace;
    CurlHttpClient client{testClientConfig()};
};

struct AnswerCase {
    const char* name;
    std::function<void(StandInMarketplace&)> arrange;
    std::string pathAndQuery;
    std::string expected;
};

class StandInAnswerTest : public StandInTest, public testing::WithParamInterface<AnswerCase> {};

TEST_P(StandInAnswerTest, AnswersAsArranged) {
    GetParam().arrange(marketplace);
    EXPECT_EQ(fetch("https://" + marketplace.host() + GetParam().pathAndQuery),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, StandInAnswerTest,
    testing::Values(AnswerCase{"SuggestionsForAPercentEncodedSeed",
                               [](StandInMarketplace& m) {
                                   m.setSuggestions("女装", {"连衣裙", "半身裙"});
                               },
                               "/sug?code=utf-8&callback=?&q=%E5%A5%B3%E8%A3%85",
                               suggestionAnswerBody({"连衣裙", "半身裙"})},
                    AnswerCase{"EmptySuggestionListAnswersNone",
                               [](StandInMarketplace& m) { m.setSuggestions("abc", {}); },
                               "/sug?code=utf-8&callback=?&q=abc", "{\"result\":[]}"},
                    AnswerCase{"SuggestionBodyOverridesTheList",
                               [](StandInMarketplace& m) {
                                   m.setSuggestions("abc", {"x"});
                                   m.setSuggestionBody("abc", "[\"whole\"");
                               },
                               "/sug?code=utf-8&callback=?&q=abc", "[\"whole\""},
                    AnswerCase{"PercentSpaceInTheSeed",
                               [](StandInMarketplace& m) { m.setSuggestions("a b", {"x"}); },
                               "/sug?code=utf-8&callback=?&q=a%20b", suggestionAnswerBody({"x"})},
                    AnswerCase{"PlusAsSpaceInTheSeed",
                               [](StandInMarketplace& m) { m.setSuggestions("a b", {"x"}); },
                               "/sug?code=utf-8&callback=?&q=a+b", suggestionAnswerBody({"x"})},
                    AnswerCase{"CountForAPercentEncodedSuggestion",
                               [](StandInMarketplace& m) { m.setCount("连衣裙", "4567"); },
                               "/search?q=%E8%BF%9E%E8%A1%A3%E8%A3%99", searchPageBody("4567")},
                    AnswerCase{"SearchBodyOverridesTheCount",
                               [](StandInMarketplace& m) {
                                   m.setCount("abc", "1");
                                   m.setSearchBody("abc", "no count here");
                               },
                               "/search?q=abc", "no count here"},
                    AnswerCase{"UnknownPathIsNotFound", [](StandInMarketplace&) {},
                               "/item.htm?id=1", notFoundPageBody()}),
    [](const auto& info) { return std::string(info.param.name); });

struct FaultBodyCase {
    const char* name;
    std::function<void(StandInMarketplace&)> arrange;
    std::string pathAndQuery;
    std::function<std::string()> expected;
};

class StandInFaultBodyTest : public StandInTest,
                             public testing::WithParamInterface<FaultBodyCase> {};

TEST_P(StandInFaultBodyTest, AnswersWithTheFaultsBody) {
    marketplace.setSuggestions("abc", {"连衣裙", "x"});
    marketplace.setCount("连衣裙", "4567");
    GetParam().arrange(marketplace);
    EXPECT_EQ(fetch("https://" + marketplace.host() + GetParam().pathAndQuery),
              GetParam().expected());
}

const std::string abcSuggestions = "/sug?code=utf-8&callback=?&q=abc";
const std::string dressSearch = "/search?q=%E8%BF%9E%E8%A1%A3%E8%A3%99";

INSTANTIATE_TEST_SUITE_P(
    Faults, StandInFaultBodyTest,
    testing::Values(
        FaultBodyCase{"RandomBodyOfTheDefaultSeedAndSize",
                      [](StandInMarketplace& m) { m.setFault(StandInFault::RandomBody); },
                      abcSuggestions, [] { return randomBody(1, 4096); }},
        FaultBodyCase{"RandomBodyOfTheGivenSeedAndSize",
                      [](StandInMarketplace& m) {
                          m.setFault(StandInFault::RandomBody);
                          m.setRandomBody(7, 1000);
                      },
                      dressSearch, [] { return randomBody(7, 1000); }},
        FaultBodyCase{"ZeroBodyOfTheDefaultSize",
                      [](StandInMarketplace& m) { m.setFault(StandInFault::ZeroBody); },
                      abcSuggestions, [] { return std::string(4096, '\0'); }},
        FaultBodyCase{"ZeroBodyOfTheGivenSize",
                      [](StandInMarketplace& m) {
                          m.setFault(StandInFault::ZeroBody);
                          m.setZeroBodyBytes(3);
                      },
                      dressSearch, [] { return std::string(3, '\0'); }},
        FaultBodyCase{"EmptyBody",
                      [](StandInMarketplace& m) { m.setFault(StandInFault::EmptyBody); },
                      abcSuggestions, [] { return std::string(); }},
        FaultBodyCase{"InvalidUtf8SpoilsEachListedSuggestionByItsIndex",
                      [](StandInMarketplace& m) { m.setFault(StandInFault::InvalidUtf8); },
                      abcSuggestions,
                      [] {
                          return suggestionAnswerBody(
                              {invalidUtf8Suggestion("连衣裙", 0), invalidUtf8Suggestion("x", 1)});
                      }},
        FaultBodyCase{"InvalidUtf8SpoilsGeneratedSuggestions",
                      [](StandInMarketplace& m) { m.setFault(StandInFault::InvalidUtf8); },
                      "/sug?code=utf-8&callback=?&q=%E5%A5%B3%E8%A3%85",
                      [] {
                          StandInMarketplace clean;
                          CurlHttpClient client(testClientConfig());
                          const auto body =
                              text(client.fetch("https://" + clean.host() +
                                                "/sug?code=utf-8&callback=?&q=%E5%A5%B3%E8%A3%85"));
                          std::vector<std::string> spoiled = suggestionsIn(body);
                          for (std::size_t i = 0; i < spoiled.size(); ++i) {
                              spoiled[i] = invalidUtf8Suggestion(spoiled[i], i);
                          }
                          return suggestionAnswerBody(spoiled);
                      }},
        FaultBodyCase{"InvalidUtf8LeavesAWholeBodyAsSet",
                      [](StandInMarketplace& m) {
                          m.setFault(StandInFault::InvalidUtf8);
                          m.setSuggestionBody("abc", "[\"whole\"");
                      },
                      abcSuggestions, [] { return std::string("[\"whole\""); }},
        FaultBodyCase{"InvalidUtf8LeavesSearchPagesAlone",
                      [](StandInMarketplace& m) { m.setFault(StandInFault::InvalidUtf8); },
                      dressSearch, [] { return searchPageBody("4567"); }},
        FaultBodyCase{"HugePaddedBodyIsTheAnswerThenSpaces",
                      [](StandInMarketplace& m) {
                          m.setFault(StandInFault::HugePaddedBody);
                          m.setHugeBodyBytes(40'000);
                      },
                      abcSuggestions,
                      [] {
                          const std::string answer = suggestionAnswerBody({"连衣裙", "x"});
                          return answer + std::string(40'000 - answer.size(), ' ');
                      }},
        FaultBodyCase{"HugePaddedBodyShorterThanTheAnswerCutsIt",
                      [](StandInMarketplace& m) {
                          m.setFault(StandInFault::HugePaddedBody);
                          m.setHugeBodyBytes(10);
                      },
                      abcSuggestions,
                      [] {
                          return suggestionAnswerBody({"连衣裙", "x"}).substr(0, 10);
                      }},
        FaultBodyCase{"FaultForSuggestionsOnlyLeavesSearchPagesAlone",
                      [](StandInMarketplace& m) {
                          m.setFault(StandInFault::NotFound, StandInService::Suggestions);
                      },
                      dressSearch, [] { return searchPageBody("4567"); }},
        FaultBodyCase{"FaultForSuggestionsOnlyShapesSuggestionAnswers",
                      [](StandInMarketplace& m) {
                          m.setFault(StandInFault::NotFound, StandInService::Suggestions);
                      },
                      abcSuggestions, [] { return notFoundPageBody(); }},
        FaultBodyCase{"FaultForSearchOnlyLeavesSuggestionAnswersAlone",
                      [](StandInMarketplace& m) {
                          m.setFault(StandInFault::EmptyBody, StandInService::Search);
                      },
                      abcSuggestions,
                      [] {
                          return suggestionAnswerBody({"连衣裙", "x"});
                      }},
        FaultBodyCase{"FaultForSearchOnlyShapesSearchPages",
                      [](StandInMarketplace& m) {
                          m.setFault(StandInFault::EmptyBody, StandInService::Search);
                      },
                      dressSearch, [] { return std::string(); }},
        FaultBodyCase{"FaultForOneServiceKeepsTheOthersEarlierFault",
                      [](StandInMarketplace& m) {
                          m.setFault(StandInFault::EmptyBody);
                          m.setFault(StandInFault::None, StandInService::Search);
                      },
                      abcSuggestions, [] { return std::string(); }},
        FaultBodyCase{"FaultForAllServicesReplacesOneServicesFault",
                      [](StandInMarketplace& m) {
                          m.setFault(StandInFault::EmptyBody, StandInService::Search);
                          m.setFault(StandInFault::None, StandInService::All);
                      },
                      dressSearch, [] { return searchPageBody("4567"); }},
        FaultBodyCase{"RedirectedRequestKeepsItsServicesFault",
                      [](StandInMarketplace& m) {
                          m.setFault(StandInFault::RedirectToHttps, StandInService::Search);
                      },
                      dressSearch, [] { return searchPageBody("4567"); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RandomBody, IsTheMersenneTwisterStreamLeastSignificantByteFirst) {
    // The standard fixes the 10000th number of std::mt19937_64 under its default seed 5489.
    const std::string body = randomBody(5489, 10'000 * 8);
    std::uint64_t tenThousandth = 0;
    for (int i = 7; i >= 0; --i) {
        tenThousandth = tenThousandth << 8 | static_cast<unsigned char>(body[9'999 * 8 + i]);
    }
    EXPECT_EQ(tenThousandth, 9981545732273789042ULL);
}

TEST(RandomBody, SameSeedSameBytesOtherSeedOtherBytes) {
    EXPECT_EQ(randomBody(3, 1001), randomBody(3, 1001));
    EXPECT_EQ(randomBody(3, 1001).size(), 1001u);
    EXPECT_EQ(randomBody(3, 1001).substr(0, 500), randomBody(3, 500));
    EXPECT_NE(randomBody(3, 64), randomBody(4, 64));
    EXPECT_EQ(randomBody(3, 0), "");
}

struct InvalidUtf8Case {
    const char* name;
    std::size_t index;
    std::string expected;
};

class InvalidUtf8SuggestionTest : public testing::TestWithParam<InvalidUtf8Case> {};

TEST_P(InvalidUtf8SuggestionTest, SpoilsTheSuggestionAsItsIndexSays) {
    EXPECT_EQ(invalidUtf8Suggestion("连衣裙", GetParam().index), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, InvalidUtf8SuggestionTest,
    testing::Values(InvalidUtf8Case{"StrayContinuationByteAfter", 0, "连衣裙\x80"},
                    InvalidUtf8Case{"CutOffSequenceAfter", 1, "连衣裙\xE4\xB8"},
                    InvalidUtf8Case{"OverlongSlashBefore", 2, "\xC0\xAF连衣裙"},
                    InvalidUtf8Case{"EncodedSurrogateAfter", 3, "连衣裙\xED\xA0\x80"},
                    InvalidUtf8Case{"ByteFFBefore", 4, "\xFF连衣裙"},
                    InvalidUtf8Case{"BeyondUnicodeAfter", 5, "连衣裙\xF4\x90\x80\x80"},
                    InvalidUtf8Case{"SeventhStartsAgainWithTheFirstKind", 6, "连衣裙\x80"},
                    InvalidUtf8Case{"LargeIndexCyclesThroughTheKinds", 4 + 6 * 1000, "\xFF连衣裙"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(InvalidUtf8Suggestion, EmptySuggestionBecomesTheInvalidBytesAlone) {
    EXPECT_EQ(invalidUtf8Suggestion("", 1), "\xE4\xB8");
}

TEST_F(StandInTest, HugePaddedBodyIsCutByTheClientAtItsLimit) {
    marketplace.setFault(StandInFault::HugePaddedBody);
    marketplace.setHugeBodyBytes(std::size_t{64} << 30);
    marketplace.setSuggestions("abc", {"x"});

    std::string body;
    const auto took =
        timeOf([&] { body = fetch("https://" + marketplace.host() + abcSuggestions); });

    const std::string answer = suggestionAnswerBody({"x"});
    ASSERT_EQ(body.size(), testClientConfig().maxBodyBytes);
    EXPECT_EQ(body.substr(0, answer.size()), answer);
    EXPECT_EQ(body.find_first_not_of(' ', answer.size()), std::string::npos);
    EXPECT_LT(took, 5s);
}

TEST_F(StandInTest, SeedWithoutEntryGetsSuggestionsThatExtendIt) {
    const std::string body = fetch(suggestionUrl(marketplace.host(), encodedWomenswear));

    const auto suggestions = suggestionsIn(body);
    EXPECT_GE(suggestions.size(), 4u);
    EXPECT_LE(suggestions.size(), 10u);
    for (const auto& suggestion : suggestions) {
        EXPECT_TRUE(suggestion.starts_with(womenswear) && suggestion != womenswear) << suggestion;
    }
    EXPECT_EQ(std::set(suggestions.begin(), suggestions.end()).size(), suggestions.size());
}

TEST_F(StandInTest, EmptySeedGetsNoSuggestion) {
    EXPECT_EQ(fetch(suggestionUrl(marketplace.host(), "")), "{\"result\":[]}");
}

TEST_F(StandInTest, GeneratedAnswersAreTheSameInEveryStandIn) {
    StandInMarketplace other;
    for (const auto& url : {"/sug?code=utf-8&callback=?&q=%E5%A5%B3%E8%A3%85",
                            "/search?q=%E8%BF%9E%E8%A1%A3%E8%A3%99"}) {
        EXPECT_EQ(fetch("https://" + marketplace.host() + url),
                  fetch("https://" + other.host() + url))
            << url;
    }
}

TEST_F(StandInTest, SuggestionWithoutEntryGetsADecimalCount) {
    const std::string count = countIn(fetch(searchUrl(marketplace.host(), "%E8%BF%9E")));

    ASSERT_THAT(count, testing::Not(IsEmpty()));
    EXPECT_EQ(count.find_first_not_of("0123456789"), std::string::npos) << count;
}

TEST_F(StandInTest, HeadersAreRecordedInArrivalOrder) {
    exchangeRaw(marketplace.plainHttpPort(),
                "GET /sug?q=x HTTP/1.0\r\nZeta: 1\r\nAlpha:  two \r\nzeta: 3\r\n\r\n");

    const auto requests = marketplace.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].requestLine, "GET /sug?q=x HTTP/1.0");
    EXPECT_FALSE(requests[0].overTls);
    EXPECT_THAT(requests[0].headers,
                ElementsAre(Pair("Zeta", "1"), Pair("Alpha", "two"), Pair("zeta", "3")));
    EXPECT_EQ(requests[0].header("ZETA"), "1");
    EXPECT_TRUE(requests[0].hasHeader("alpha"));
    EXPECT_FALSE(requests[0].hasHeader("Zet"));
}

TEST_F(StandInTest, PlainTwinServesTheSameAnswers) {
    marketplace.setSuggestions("abc", {"x", "y"});

    const std::string answer =
        exchangeRaw(marketplace.plainHttpPort(), "GET /sug?code=utf-8&callback=?&q=abc HTTP/1.0"
                                                 "\r\nHost: 127.0.0.1\r\n\r\n");

    EXPECT_TRUE(answer.starts_with("HTTP/1.1 200 OK\r\n")) << answer;
    EXPECT_TRUE(answer.ends_with("\r\n\r\n" + suggestionAnswerBody({"x", "y"}))) << answer;
}

TEST(StandInKeepAlive, ServesFurtherRequestsOnTheSameConnection) {
    StandInMarketplace marketplace({.keepAlive = true});
    marketplace.setSuggestions("abc", {"x"});
    const std::string request = "GET /sug?code=utf-8&callback=?&q=abc HTTP/1.1\r\n\r\n";

    const std::string answers = exchangeRaw(marketplace.plainHttpPort(), request + request);

    const auto requests = marketplace.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].clientPort, requests[1].clientPort);
    const std::string body = suggestionAnswerBody({"x"});
    EXPECT_NE(answers.find("Connection: keep-alive"), std::string::npos) << answers;
    EXPECT_EQ(answers.find(body), answers.size() / 2 - body.size()) << answers;
    EXPECT_TRUE(answers.ends_with(body)) << answers;
}

TEST_F(StandInTest, ClearedRequestsAreForgotten) {
    fetch(suggestionUrl(marketplace.host(), "abc"));
    marketplace.clearRequests();

    EXPECT_THAT(marketplace.requests(), IsEmpty());
    EXPECT_FALSE(marketplace.waitForRequests(1, 50ms));
}

TEST_F(StandInTest, LatencyDelaysTheAnswer) {
    marketplace.setLatency(300ms);
    EXPECT_GE(timeOf([&] { fetch(suggestionUrl(marketplace.host(), "abc")); }), 300ms);
}

TEST(StandInLifetime, StopsAtOnceWhileARequestHangs) {
    auto config = testClientConfig();
    config.stallTimeout = 30s;
    CurlHttpClient client(config);
    auto marketplace = std::make_unique<StandInMarketplace>();
    marketplace->setFault(StandInFault::NeverAnswers);
    const std::string url = suggestionUrl(marketplace->host(), "abc");

    std::thread fetching([&] { client.fetch(url); });
    ASSERT_TRUE(marketplace->waitForRequests(1, 5s));
    const auto took = timeOf([&] { marketplace.reset(); });
    fetching.join();

    EXPECT_LT(took, 1s);
}

TEST(StandInLifetime, PortInUseIsRefused) {
    StandInMarketplace first;
    EXPECT_THROW(StandInMarketplace({.port = first.port()}), std::runtime_error);
}

} // namespace
