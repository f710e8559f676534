#include "curl_http_client.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <mutex>
#include <utility>

#include <curl/curl.h>

#include "marketplace_hosts.h"

namespace {

using Clock = std::chrono::steady_clock;

struct EasyCleanup {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiCleanup {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct ListCleanup {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// What one fetch collects; the callbacks reach it through their user pointer.
struct Transfer {
    ByteArray body;
    std::size_t maxBodyBytes = 0;
    Clock::time_point lastByte = Clock::now();
};

size_t onBody(char* data, size_t, size_t size, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    transfer.lastByte = Clock::now();
    const std::size_t room = transfer.maxBodyBytes - transfer.body.size();
    const std::size_t taken = std::min(size, room);
    transfer.body.insert(transfer.body.end(), data, data + taken);
    // Taking less than offered makes libcurl abandon the transfer.
    return taken;
}

size_t onHeader(char*, size_t, size_t size, void* user) {
    static_cast<Transfer*>(user)->lastByte = Clock::now();
    return size;
}

void initialiseCurlOnce() {
    static std::once_flag once;
    // Never paired with curl_global_cleanup: the process-wide client lives until the process
    // ends, and a fetch may still be running on the worker thread then.
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

constexpr long caCacheSeconds = 24 * 60 * 60;

} // namespace

// The easy handle is kept across fetches, with its options set once and never reset: its TLS
// session cache lets each fresh connection resume the last session. The multi handle is kept
// too, because libcurl caches the parsed CA store in it; the store is only cached when no CA
// directory is set, so CURLOPT_CAPATH is cleared (Debian's libcurl sets /etc/ssl/certs) and the
// bundle file alone is trusted. Without both, every fetch re-reads the trust store (~20 ms).
struct CurlHttpClient::Handle {
    Handle() {
        initialiseCurlOnce();
        multi.reset(curl_multi_init());
        easy.reset(curl_easy_init());
    }
    std::unique_ptr<CURLM, MultiCleanup> multi;
    std::unique_ptr<curl_slist, ListCleanup> headers;
    std::unique_ptr<CURL, EasyCleanup> easy;
};

CurlHttpClient::CurlHttpClient(HttpClientConfig config)
    : m_config(std::move(config)), m_handle(std::make_unique<Handle>()) {
    for (const char* line : {"Accept: */*", "Cache-Control: no-cache", "Pragma: no-cache"}) {
        m_handle->headers.reset(curl_slist_append(m_handle->headers.release(), line));
    }
    CURL* easy = m_handle->easy.get();
    if (easy == nullptr) {
        return;
    }
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    // libcurl 7.88 follows redirects without end unless told otherwise.
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, m_config.maxRedirects);
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(easy, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)");
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, m_handle->headers.get());
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(easy, CURLOPT_CAPATH, nullptr);
    if (!m_config.caFile.empty()) {
        curl_easy_setopt(easy, CURLOPT_CAINFO, m_config.caFile.c_str());
    }
    curl_easy_setopt(easy, CURLOPT_CA_CACHE_TIMEOUT, caCacheSeconds);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(m_config.connectTimeout.count()));
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, onHeader);
}

CurlHttpClient::~CurlHttpClient() = default;

ByteArray CurlHttpClient::fetch(const std::string& url) {
    std::lock_guard lock(m_mutex);
    CURL* easy = m_handle->easy.get();
    CURLM* multi = m_handle->multi.get();
    if (easy == nullptr || multi == nullptr ||
        curl_easy_setopt(easy, CURLOPT_URL, url.c_str()) != CURLE_OK) {
        return {};
    }
    Transfer transfer;
    transfer.maxBodyBytes = m_config.maxBodyBytes;
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &transfer);
    if (curl_multi_add_handle(multi, easy) != CURLM_OK) {
        return {};
    }
    // Driven here rather than by curl_easy_perform, which wakes only once a second while
    // nothing arrives: the stall limit is kept to the millisecond.
    const auto stallTimeout = m_config.stallTimeout;
    for (;;) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK || running == 0) {
            break;
        }
        const auto idle = Clock::now() - transfer.lastByte;
        if (idle >= stallTimeout) {
            break;
        }
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(stallTimeout - idle);
        if (curl_multi_poll(multi, nullptr, 0, static_cast<int>(wait.count()), nullptr) !=
            CURLM_OK) {
            break;
        }
    }
    // Removing the handle ends an abandoned transfer and closes its connection.
    curl_multi_remove_handle(multi, easy);
    return std::move(transfer.body);
}

CurlHttpClient& CurlHttpClient::processWide() {
    // Never destroyed: the analysis worker may still be inside a fetch when the process exits.
    static CurlHttpClient& client =
        *new CurlHttpClient(HttpClientConfig{.caFile = std::string(marketplaceCaFile)});
    return client;
}

ByteArray fetchUrl(const std::string& url) {
    return CurlHttpClient::processWide().fetch(url);
}
