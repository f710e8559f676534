#pragma once

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "curl_http_client.h"
#include "standin_marketplace.h"

// A run that held the whole of a 1 GiB body, or its text, would pass this; one that cuts it at
// the client's limit stays far below, even with the shadow memory of a sanitizer.
inline constexpr long boundedPeakKiB = 2L << 20;

// GBK texts of the run's messages.
inline const std::string completedMessage = "\xb7\xd6\xce\xf6\xcd\xea\xb1\xcf\xa3\xa1";
inline const std::string noMatchMessage =
    "\xc6\xa5\xc5\xe4\xca\xa7\xb0\xdc\xa3\xac\xc7\xeb\xbc\xec\xbc\xec\xb2\xe9\xd5\xfd\xd4\xf2"
    "\xd3\xef\xbe\xe4\xca\xc7\xb7\xf1\xd3\xd0\xce\xf3\xa3\xac\xca\xfd\xc1\xbf\xa3\xba\x30";

// The real limits but for time: a silent server costs a second, not half a minute.
inline HttpClientConfig hostileClientConfig() {
    return {.connectTimeout = std::chrono::seconds(2),
            .stallTimeout = std::chrono::seconds(1),
            .caFile = testCaFile()};
}

inline std::string_view upToFirstZero(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

// The suggestions as the run reads them, found without a regular-expression engine: in the text
// up to its first zero byte, the bytes between every [" and the next ".
inline std::vector<std::string> suggestionsIn(std::string_view answer) {
    answer = upToFirstZero(answer);
    std::vector<std::string> found;
    for (std::size_t at = answer.find("[\""); at != std::string_view::npos;
         at = answer.find("[\"", at)) {
        const std::size_t from = at + 2;
        const std::size_t to = answer.find('"', from);
        if (to == std::string_view::npos) {
            break;
        }
        found.emplace_back(answer.substr(from, to - from));
        at = to + 1;
    }
    return found;
}

// The count as the run reads it from pages whose markers stand in ASCII surroundings: between
// "totalCount": and the next },".
inline std::string countIn(std::string_view page) {
    page = upToFirstZero(page);
    constexpr std::string_view start = "\"totalCount\":";
    const std::size_t from = page.find(start);
    if (from == std::string_view::npos) {
        return {};
    }
    const std::size_t to = page.find("},\"", from + start.size());
    return to == std::string_view::npos
               ? std::string()
               : std::string(page.substr(from + start.size(), to - from - start.size()));
}

// The process's peak resident memory (VmHWM) in KiB; -1 when the kernel does not tell.
inline long peakResidentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmHWM:")) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

// Starts the peak over from the present resident size, so that the next reading covers only
// what follows (Linux 4.0 and later).
inline void restartPeakResident() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// A figure for the record: in the XML report, and on the console for a plain run.
inline void reportFigure(const std::string& name, long long value, std::string_view unit = {}) {
    testing::Test::RecordProperty(name, std::to_string(value));
    std::printf("[ figure   ] %s: %lld%s%.*s\n", name.c_str(), value, unit.empty() ? "" : " ",
                static_cast<int>(unit.size()), unit.data());
    std::fflush(stdout);
}

template <class Work> std::chrono::milliseconds timeOf(Work&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start);
}
