#include <chrono>
#include <cstdlib>
#include <functional>
#include <netinet/in.h>
#include <optional>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fetch_fixture.h"
#include "marketplace_hosts.h"

using namespace std::chrono_literals;
using testing::IsEmpty;
using testing::UnorderedElementsAre;

namespace {

// A proxy configured on the machine must never carry a fetch to the stand-in.
class DirectToLoopback : public testing::Environment {
public:
    void SetUp() override { setenv("no_proxy", "127.0.0.1,localhost", 1); }
};
const auto* const directToLoopback = testing::AddGlobalTestEnvironment(new DirectToLoopback);

// Sets environment variables for one scope and puts back what was there.
class ScopedEnvironment {
public:
    void set(const char* name, std::optional<std::string> value) {
        const char* old = std::getenv(name);
        m_saved.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
        if (value) {
            setenv(name, value->c_str(), 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnvironment() {
        for (auto entry = m_saved.rbegin(); entry != m_saved.rend(); ++entry) {
            if (entry->second) {
                setenv(entry->first, entry->second->c_str(), 1);
            } else {
                unsetenv(entry->first);
            }
        }
    }

private:
    std::vector<std::pair<const char*, std::optional<std::string>>> m_saved;
};

// Accepts TCP connections into its backlog and never speaks: a TLS handshake there never ends.
class SilentListener {
public:
    SilentListener() : m_socket(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        bind(m_socket, reinterpret_cast<sockaddr*>(&address), size);
        listen(m_socket, 8);
        getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &size);
        m_port = ntohs(address.sin_port);
    }
    ~SilentListener() { ::close(m_socket); }
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;
    int port() const { return m_port; }

private:
    int m_socket;
    int m_port = 0;
};

const std::vector<std::string> womenswearSuggestions = {"连衣裙", "连衣裙女夏"};

class FetchTest : public testing::Test {
protected:
    FetchTest() {
        marketplace.setSuggestions(womenswear, womenswearSuggestions);
        // A trickle that lasts about a second in all, with never more than 150 ms between bytes.
        marketplace.setTrickle(10, 150ms);
    }

    std::string fetchWomenswear() {
        return text(client.fetch(suggestionUrl(marketplace.host(), encodedWomenswear)));
    }

    const std::string normalAnswer = suggestionAnswerBody(womenswearSuggestions);
    StandInMarketplace marketplace;
    CurlHttpClient client{testClientConfig()};
};

TEST_F(FetchTest, RequestIsTheMarketplaceClientsOwn) {
    EXPECT_EQ(fetchWomenswear(), normalAnswer);

    const auto requests = marketplace.requests();
    ASSERT_EQ(requests.size(), 1u);
    const RecordedRequest& request = requests[0];
    EXPECT_EQ(request.requestLine, "GET /sug?code=utf-8&callback=?&q=%E5%A5%B3%E8%A3%85 HTTP/1.0");
    EXPECT_TRUE(request.overTls);
    EXPECT_EQ(request.header("Host"), marketplace.host());
    EXPECT_EQ(request.header("User-Agent"), "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)");
    EXPECT_EQ(request.header("Accept"), "*/*");
    EXPECT_EQ(request.header("Cache-Control"), "no-cache");
    EXPECT_EQ(request.header("Pragma"), "no-cache");
    EXPECT_FALSE(request.hasHeader("Referer"));
    EXPECT_FALSE(request.hasHeader("Accept-Encoding"));
    std::vector<std::string> names;
    for (const auto& [name, value] : request.headers) {
        names.push_back(name);
    }
    EXPECT_THAT(names,
                UnorderedElementsAre("Host", "User-Agent", "Accept", "Cache-Control", "Pragma"));
}

TEST(FreshConnections, EveryFetchHasAConnectionOfItsOwnThoughKeepAliveIsOffered) {
    StandInMarketplace marketplace({.keepAlive = true});
    marketplace.setSuggestions(womenswear, womenswearSuggestions);
    CurlHttpClient client(testClientConfig());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(text(client.fetch(suggestionUrl(marketplace.host(), encodedWomenswear))),
                  suggestionAnswerBody(womenswearSuggestions));
    }

    const auto requests = marketplace.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_NE(requests[0].clientPort, requests[1].clientPort);
    EXPECT_NE(requests[1].clientPort, requests[2].clientPort);
}

TEST_F(FetchTest, LaterConnectionsResumeTheTlsSession) {
    fetchWomenswear();
    fetchWomenswear();
    fetchWomenswear();

    const auto requests = marketplace.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_FALSE(requests[0].tlsSessionResumed);
    EXPECT_TRUE(requests[1].tlsSessionResumed);
    EXPECT_TRUE(requests[2].tlsSessionResumed);
}

struct FaultCase {
    const char* name;
    StandInFault fault;
    std::function<std::string(const std::string& normalAnswer)> expected;
};

class FaultTest : public FetchTest, public testing::WithParamInterface<FaultCase> {};

TEST_P(FaultTest, GivesItsDefinedResult) {
    marketplace.setFault(GetParam().fault);
    EXPECT_EQ(fetchWomenswear(), GetParam().expected(normalAnswer));
}

std::string nothing(const std::string&) {
    return {};
}

INSTANTIATE_TEST_SUITE_P(
    StandInFaults, FaultTest,
    testing::Values(
        FaultCase{"NotFoundStatusStillGivesTheBody", StandInFault::NotFound,
                  [](const std::string&) { return notFoundPageBody(); }},
        FaultCase{"ResetMidBodyGivesTheBytesSentBefore", StandInFault::ResetMidBody,
                  [](const std::string& answer) { return answer.substr(0, answer.size() / 2); }},
        FaultCase{"ZeroByteIsKeptInTheBody", StandInFault::ZeroByteInBody,
                  [](std::string answer) { return answer.insert(answer.size() / 2, 1, '\0'); }},
        FaultCase{"RedirectToHttpsIsFollowed", StandInFault::RedirectToHttps,
                  [](const std::string& answer) { return answer; }},
        FaultCase{"RedirectToHttpIsRefused", StandInFault::RedirectToHttp, nothing},
        FaultCase{"RedirectLoopGivesNothing", StandInFault::RedirectLoop, nothing},
        FaultCase{"NeverAnsweringGivesNothing", StandInFault::NeverAnswers, nothing},
        FaultCase{"TrickleLongerThanTheStallLimitInAllIsRead", StandInFault::Trickle,
                  [](const std::string& answer) { return answer; }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FetchTest, RedirectToHttpsArrivesAtTheNewPlace) {
    marketplace.setFault(StandInFault::RedirectToHttps);
    fetchWomenswear();

    const auto requests = marketplace.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].requestLine,
              "GET /moved/sug?code=utf-8&callback=?&q=%E5%A5%B3%E8%A3%85 HTTP/1.0");
    EXPECT_TRUE(requests[1].overTls);
}

TEST_F(FetchTest, RedirectToHttpSendsNoPlainRequest) {
    marketplace.setFault(StandInFault::RedirectToHttp);
    fetchWomenswear();

    const auto requests = marketplace.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].overTls);
}

TEST_F(FetchTest, RedirectLoopEndsAfterTheRedirectLimit) {
    marketplace.setFault(StandInFault::RedirectLoop);
    fetchWomenswear();

    EXPECT_EQ(marketplace.requests().size(),
              static_cast<std::size_t>(testClientConfig().maxRedirects) + 1);
}

TEST_F(FetchTest, SilentServerIsLeftAfterTheStallLimit) {
    marketplace.setFault(StandInFault::NeverAnswers);
    const auto stall = testClientConfig().stallTimeout;

    std::string body;
    const auto took = timeOf([&] { body = fetchWomenswear(); });

    EXPECT_THAT(body, IsEmpty());
    EXPECT_GE(took, stall);
    EXPECT_LT(took, stall + 2s);
}

TEST_F(FetchTest, LatencyWithinTheStallLimitIsWaitedFor) {
    marketplace.setLatency(testClientConfig().stallTimeout / 2);
    EXPECT_EQ(fetchWomenswear(), normalAnswer);
}

TEST(ConnectTimeout, CoversTheTlsHandshake) {
    SilentListener silent;
    auto config = testClientConfig();
    config.connectTimeout = 500ms;
    config.stallTimeout = 10s;
    CurlHttpClient client(config);

    ByteArray body;
    const auto took = timeOf([&] {
        body = client.fetch(
            suggestionUrl("127.0.0.1:" + std::to_string(silent.port()), encodedWomenswear));
    });

    EXPECT_THAT(body, IsEmpty());
    // libcurl rounds its own clock: a millisecond early is still the time-out at work.
    EXPECT_GE(took, config.connectTimeout - 10ms);
    EXPECT_LT(took, config.connectTimeout + 2s);
}

struct BodyLimitCase {
    const char* name;
    std::size_t sentBytes;
    std::size_t keptBytes;
};

class BodyLimitTest : public FetchTest, public testing::WithParamInterface<BodyLimitCase> {};

TEST_P(BodyLimitTest, KeepsTheBodyUpToTheLimit) {
    marketplace.setFault(StandInFault::HugeBody);
    marketplace.setHugeBodyBytes(GetParam().sentBytes);

    const std::string body = fetchWomenswear();

    ASSERT_EQ(body.size(), GetParam().keptBytes);
    for (std::size_t i = 0; i < body.size(); ++i) {
        ASSERT_EQ(body[i], normalAnswer[i % normalAnswer.size()]) << "at byte " << i;
    }
}

constexpr std::size_t bodyLimit = std::size_t{64} << 10;

INSTANTIATE_TEST_SUITE_P(
    HugeBodies, BodyLimitTest,
    testing::Values(BodyLimitCase{"FarBeyondTheLimit", 64 * bodyLimit, bodyLimit},
                    BodyLimitCase{"OneByteOver", bodyLimit + 1, bodyLimit},
                    BodyLimitCase{"ExactlyAtTheLimit", bodyLimit, bodyLimit},
                    BodyLimitCase{"OneByteUnder", bodyLimit - 1, bodyLimit - 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FetchTest, HugeBodyIsAbandonedAtTheCut) {
    marketplace.setFault(StandInFault::HugeBody);
    // Far more than loopback TLS carries in the time allowed, unless the client hangs up.
    marketplace.setHugeBodyBytes(std::size_t{64} << 30);

    std::string body;
    const auto took = timeOf([&] { body = fetchWomenswear(); });

    EXPECT_EQ(body.size(), bodyLimit);
    EXPECT_LT(took, 5s);
}

struct CertificateCase {
    const char* name;
    StandInCertificate certificate;
    std::string hostName;
    bool trustTestCa;
    bool answered;
};

class CertificateTest : public testing::TestWithParam<CertificateCase> {};

TEST_P(CertificateTest, IsVerified) {
    StandInMarketplace marketplace({.certificate = GetParam().certificate});
    marketplace.setSuggestions(womenswear, womenswearSuggestions);
    auto config = testClientConfig();
    if (!GetParam().trustTestCa) {
        config.caFile.clear();
    }
    CurlHttpClient client(config);

    const std::string host = GetParam().hostName + ":" + std::to_string(marketplace.port());
    const std::string body = text(client.fetch(suggestionUrl(host, encodedWomenswear)));

    EXPECT_EQ(body, GetParam().answered ? suggestionAnswerBody(womenswearSuggestions) : "");
}

INSTANTIATE_TEST_SUITE_P(
    Certificates, CertificateTest,
    testing::Values(
        CertificateCase{"TestCaByAddress", StandInCertificate::TestCa, "127.0.0.1", true, true},
        CertificateCase{"TestCaByName", StandInCertificate::TestCa, "localhost", true, true},
        CertificateCase{"UntrustedCa", StandInCertificate::OtherCa, "127.0.0.1", true, false},
        CertificateCase{"WrongHostName", StandInCertificate::WrongName, "127.0.0.1", true, false},
        CertificateCase{"TestCaUnknownToTheSystemStore", StandInCertificate::TestCa, "127.0.0.1",
                        false, false}),
    [](const auto& info) { return std::string(info.param.name); });

struct UnusableUrlCase {
    const char* name;
    std::function<std::string(const StandInMarketplace&)> url;
};

class UnusableUrlTest : public FetchTest, public testing::WithParamInterface<UnusableUrlCase> {};

TEST_P(UnusableUrlTest, GivesNothingAndSendsNothing) {
    const std::string url = GetParam().url(marketplace);

    std::string body;
    const auto took = timeOf([&] { body = text(client.fetch(url)); });

    EXPECT_THAT(body, IsEmpty());
    EXPECT_THAT(marketplace.requests(), IsEmpty());
    EXPECT_LT(took, 2s);
}

INSTANTIATE_TEST_SUITE_P(
    Urls, UnusableUrlTest,
    testing::Values(
        UnusableUrlCase{"PlainHttp",
                        [](const StandInMarketplace& m) {
                            return "http://127.0.0.1:" + std::to_string(m.plainHttpPort()) +
                                   "/sug?code=utf-8&callback=?&q=" + std::string(encodedWomenswear);
                        }},
        UnusableUrlCase{"OtherScheme",
                        [](const StandInMarketplace& m) { return "ftp://" + m.host() + "/sug"; }},
        UnusableUrlCase{"NoScheme", [](const StandInMarketplace&) { return "not a url"; }},
        UnusableUrlCase{"Empty", [](const StandInMarketplace&) { return ""; }},
        UnusableUrlCase{"NoHost", [](const StandInMarketplace&) { return "https://"; }},
        UnusableUrlCase{"PortOutOfRange",
                        [](const StandInMarketplace&) { return "https://127.0.0.1:99999/sug"; }},
        UnusableUrlCase{"ConnectionRefused",
                        [](const StandInMarketplace&) {
                            return suggestionUrl("127.0.0.1:" + std::to_string(unusedPort()),
                                                 encodedWomenswear);
                        }}),
    [](const auto& info) { return std::string(info.param.name); });

struct ProxyCase {
    const char* name;
    std::optional<std::string> noProxy;
    bool reachesTheStandIn;
};

class ProxyTest : public FetchTest, public testing::WithParamInterface<ProxyCase> {};

TEST_P(ProxyTest, FollowsTheEnvironment) {
    ScopedEnvironment environment;
    // Nothing listens at the proxy's address: a fetch sent through it fails.
    environment.set("https_proxy", "http://127.0.0.1:" + std::to_string(unusedPort()));
    environment.set("no_proxy", GetParam().noProxy);
    environment.set("NO_PROXY", std::nullopt);

    const std::string body = fetchWomenswear();

    EXPECT_EQ(body, GetParam().reachesTheStandIn ? normalAnswer : "");
    EXPECT_EQ(marketplace.requests().size(), GetParam().reachesTheStandIn ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Environment, ProxyTest,
                         testing::Values(ProxyCase{"ProxyCarriesTheFetch", std::nullopt, false},
                                         ProxyCase{"NoProxyExemptsTheHost", "127.0.0.1", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FetchTest, ConcurrentFetchesThroughOneClientEachGetTheirOwnAnswer) {
    constexpr int threadCount = 4;
    constexpr int fetchesEach = 5;
    for (int t = 0; t < threadCount; ++t) {
        marketplace.setSuggestions("seed" + std::to_string(t), {"word" + std::to_string(t)});
    }

    std::vector<std::vector<std::string>> bodies(threadCount);
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < fetchesEach; ++i) {
                bodies[t].push_back(text(
                    client.fetch(suggestionUrl(marketplace.host(), "seed" + std::to_string(t)))));
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }

    for (int t = 0; t < threadCount; ++t) {
        EXPECT_THAT(bodies[t], testing::Each(suggestionAnswerBody({"word" + std::to_string(t)})))
            << "thread " << t;
    }
}

TEST(FetchUrl, TrustsTheConfiguredCaFile) {
    StandInMarketplace marketplace;
    marketplace.setSuggestions(womenswear, womenswearSuggestions);

    const std::string body = text(fetchUrl(suggestionUrl(marketplace.host(), encodedWomenswear)));

    const bool configuredForTheStandIn = marketplaceCaFile == testCaFile();
    EXPECT_EQ(body, configuredForTheStandIn ? suggestionAnswerBody(womenswearSuggestions) : "");
}

} // namespace
