// marketplace-standin --port N --latency-ms M: serves the stand-in marketplace on
// 127.0.0.1:N (0: a free port) until SIGINT or SIGTERM, so that the program can be tried
// offline with its host names pointed here and its CA file set to the test CA.

#include <charconv>
#include <chrono>
#include <cstdio>
#include <exception>
#include <optional>
#include <signal.h>
#include <string_view>

#include "standin_marketplace.h"

namespace {

std::optional<int> number(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0) {
        return std::nullopt;
    }
    return value;
}

int usage() {
    std::fputs("usage: marketplace-standin --port N --latency-ms M\n", stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::optional<int> port = 0;
    std::optional<int> latency = 0;
    for (int i = 1; i < argc; i += 2) {
        const std::string_view option = argv[i];
        if (i + 1 >= argc) {
            return usage();
        }
        if (option == "--port") {
            port = number(argv[i + 1]);
        } else if (option == "--latency-ms") {
            latency = number(argv[i + 1]);
        } else {
            return usage();
        }
        if (!port || !latency || *port > 65535) {
            return usage();
        }
    }

    // Blocked before the server's threads start, so that they inherit the mask and the signals
    // wait for sigwait below; the stand-in is then destroyed in order.
    sigset_t endSignals;
    sigemptyset(&endSignals);
    sigaddset(&endSignals, SIGINT);
    sigaddset(&endSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &endSignals, nullptr);

    try {
        StandInMarketplace marketplace(
            {.latency = std::chrono::milliseconds(*latency), .port = *port});
        std::printf("listening on %s\n", marketplace.host().c_str());
        std::fflush(stdout);
        int received = 0;
        sigwait(&endSignals, &received);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "marketplace-standin: %s\n", error.what());
        return 1;
    }
    return 0;
}
