#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>

#include "http_fetcher.h"

struct HttpClientConfig {
    // Covers the TCP connect and the TLS handshake.
    std::chrono::milliseconds connectTimeout{15'000};
    // A transfer that delivers no byte for this long is abandoned.
    std::chrono::milliseconds stallTimeout{30'000};
    // A longer body is cut here; the bytes up to the cut are the result.
    std::size_t maxBodyBytes = std::size_t{64} << 20;
    long maxRedirects = 10;
    // CA bundle file; empty: the system's default bundle.
    std::string caFile;
};

// A GET client on libcurl: every fetch on a fresh connection that is closed afterwards, TLS
// sessions resumed from the client's cache. Fetches through one client are serialised.
class CurlHttpClient final : public HttpFetcher {
public:
    explicit CurlHttpClient(HttpClientConfig config = {});
    ~CurlHttpClient() override;
    CurlHttpClient(const CurlHttpClient&) = delete;
    CurlHttpClient& operator=(const CurlHttpClient&) = delete;

    ByteArray fetch(const std::string& url) override;

    // The one client of the process, made by the first call with the configured CA file and
    // kept to the end of the process.
    static CurlHttpClient& processWide();

private:
    struct Handle;
    HttpClientConfig m_config;
    std::mutex m_mutex;
    std::unique_ptr<Handle> m_handle;
};

// A GET through the process-wide client.
ByteArray fetchUrl(const std::string& url);
