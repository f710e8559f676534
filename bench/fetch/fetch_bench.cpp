#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include "curl_http_client.h"
#include "standin_marketplace.h"

namespace {

std::string fileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string defaultCaBundle() {
    CURL* easy = curl_easy_init();
    char* path = nullptr;
    curl_easy_getinfo(easy, CURLINFO_CAINFO, &path);
    std::string bundle = path != nullptr ? path : "";
    curl_easy_cleanup(easy);
    return bundle;
}

// The system's bundle with the test CA added, so that the trust store has the size that the
// program meets against the real marketplace.
class RealisticBundle {
public:
    RealisticBundle()
        : m_path(std::filesystem::temp_directory_path() /
                 ("keyword-scout-fetch-bench-" + std::to_string(getpid()) + ".pem")) {
        std::ofstream(m_path, std::ios::binary) << fileText(defaultCaBundle()) << "\n"
                                                << fileText(testCaFile());
    }
    ~RealisticBundle() { std::filesystem::remove(m_path); }
    RealisticBundle(const RealisticBundle&) = delete;
    RealisticBundle& operator=(const RealisticBundle&) = delete;
    std::string path() const { return m_path.string(); }

private:
    std::filesystem::path m_path;
};

struct Setup {
    Setup() {
        setenv("no_proxy", "127.0.0.1", 1);
        curl_global_init(CURL_GLOBAL_DEFAULT);
    }
    RealisticBundle bundle;
    StandInMarketplace marketplace;
    std::string url = "https://" + marketplace.host() + "/search?q=%E8%BF%9E%E8%A1%A3%E8%A3%99";
};

Setup& setup() {
    static Setup instance;
    return instance;
}

size_t appendTo(char* data, size_t, size_t size, void* user) {
    static_cast<std::string*>(user)->append(data, size);
    return size;
}

enum class CaPath { Cleared, DebianDefault };

// A plain libcurl loop making the same requests as the client: one easy handle, a fresh
// connection for each request, the same options.
void bareLibcurl(benchmark::State& state, CaPath caPath) {
    Setup& s = setup();
    CURL* easy = curl_easy_init();
    curl_slist* headers = nullptr;
    for (const char* line : {"Accept: */*", "Cache-Control: no-cache", "Pragma: no-cache"}) {
        headers = curl_slist_append(headers, line);
    }
    std::string body;
    curl_easy_setopt(easy, CURLOPT_URL, s.url.c_str());
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(easy, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)");
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_CAINFO, s.bundle.path().c_str());
    if (caPath == CaPath::Cleared) {
        curl_easy_setopt(easy, CURLOPT_CAPATH, nullptr);
    }
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, 15'000L);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, appendTo);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &body);
    for (auto _ : state) {
        body.clear();
        if (curl_easy_perform(easy) != CURLE_OK || body.empty()) {
            state.SkipWithError("the bare request failed");
            break;
        }
        benchmark::DoNotOptimize(body);
    }
    curl_easy_cleanup(easy);
    curl_slist_free_all(headers);
}

void BM_BareLibcurl(benchmark::State& state) {
    bareLibcurl(state, CaPath::Cleared);
}

// What every request would cost if Debian's CA directory were left set: the trust store is then
// read anew for each connection.
void BM_BareLibcurlDebianCaPath(benchmark::State& state) {
    bareLibcurl(state, CaPath::DebianDefault);
}

void BM_CurlHttpClient(benchmark::State& state) {
    Setup& s = setup();
    CurlHttpClient client({.caFile = s.bundle.path()});
    for (auto _ : state) {
        const ByteArray body = client.fetch(s.url);
        if (body.empty()) {
            state.SkipWithError("the client's request failed");
            break;
        }
        benchmark::DoNotOptimize(body);
    }
}

BENCHMARK(BM_CurlHttpClient)->Unit(benchmark::kMicrosecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_BareLibcurl)->Unit(benchmark::kMicrosecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_BareLibcurlDebianCaPath)->Unit(benchmark::kMicrosecond)->UseRealTime()->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
