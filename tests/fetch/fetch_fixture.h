#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "curl_http_client.h"
#include "standin_marketplace.h"

// Limits lowered so that every fault ends within a second or two.
inline HttpClientConfig testClientConfig() {
    return {.connectTimeout = std::chrono::milliseconds(2000),
            .stallTimeout = std::chrono::milliseconds(600),
            .maxBodyBytes = std::size_t{64} << 10,
            .maxRedirects = 3,
            .caFile = testCaFile()};
}

inline std::string text(const ByteArray& bytes) {
    return {bytes.begin(), bytes.end()};
}

inline std::string suggestionUrl(const std::string& host, std::string_view encodedSeed) {
    return "https://" + host + "/sug?code=utf-8&callback=?&q=" + std::string(encodedSeed);
}

inline std::string searchUrl(const std::string& host, std::string_view encodedSuggestion) {
    return "https://" + host + "/search?q=" + std::string(encodedSuggestion);
}

// 女装 as the program sends it.
inline constexpr std::string_view encodedWomenswear = "%E5%A5%B3%E8%A3%85";
inline const std::string womenswear = "女装";

template <class Work> std::chrono::milliseconds timeOf(Work&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start);
}
