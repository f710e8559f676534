#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <benchmark/benchmark.h>

#include "text_between.h"
#include "text_encoding.h"

namespace {

constexpr std::size_t pageSize = 1u << 20;

// Markup with GBK text in it, in which the marker's first byte (a double quote) and its letters
// in either case turn up often.
constexpr std::string_view gbkChunk = "<li class=\"Count item\">\xD6\xD0\xCE\xC4\xB9\xD8\xBC\xFC"
                                      "\xB4\xCA \x80"
                                      "12.5 count</li>\n";

// Whole chunks up to at least the given size, so no character is cut.
std::string repeatedUpTo(std::string_view chunk, std::size_t size) {
    std::string text;
    text.reserve(size + chunk.size());
    while (text.size() < size) {
        text += chunk;
    }
    return text;
}

void setBytes(benchmark::State& state, std::size_t bytesPerIteration) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(bytesPerIteration));
}

void urlEncodeKeyword(benchmark::State& state) {
    const std::string keyword = "\xC1\xAC\xD2\xC2\xC8\xB9 2024 \xD0\xC2\xBF\xEE women's dress";
    for (auto _ : state) {
        benchmark::DoNotOptimize(urlEncode(keyword, true, true));
    }
    setBytes(state, keyword.size());
}
BENCHMARK(urlEncodeKeyword);

void urlEncodeMegabyte(benchmark::State& state) {
    const std::string page = repeatedUpTo(gbkChunk, pageSize);
    for (auto _ : state) {
        benchmark::DoNotOptimize(urlEncode(page, true));
    }
    setBytes(state, page.size());
}
BENCHMARK(urlEncodeMegabyte);

void textBetweenMarkerNearEnd(benchmark::State& state) {
    std::string page = repeatedUpTo(gbkChunk, pageSize - 2 * gbkChunk.size());
    page += "\"totalCount\":\"98765\"";
    page.resize(pageSize, ' ');
    const bool caseSensitive = state.range(0) != 0;
    const std::string_view startMarker = caseSensitive ? "\"totalCount\":\"" : "\"TOTALCOUNT\":\"";
    if (textBetween(page, startMarker, "\"", 1, caseSensitive) != "98765") {
        state.SkipWithError("the marker was not found");
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(textBetween(page, startMarker, "\"", 1, caseSensitive));
    }
    setBytes(state, page.size());
}
BENCHMARK(textBetweenMarkerNearEnd)->ArgName("caseSensitive")->Arg(0)->Arg(1);

// The worst case of the search: the marker matches in full at every second byte of a long
// double-byte run, where only the character boundary turns it down.
void textBetweenMatchesOnSecondBytes(benchmark::State& state) {
    std::string page = repeatedUpTo("\xD6\xD0", pageSize - 16);
    page += "x\xD0\xD6=42;";
    page.resize(pageSize, ' ');
    if (textBetween(page, "\xD0\xD6", ";") != "=42") {
        state.SkipWithError("the marker was not found");
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(textBetween(page, "\xD0\xD6", ";"));
    }
    setBytes(state, page.size());
}
BENCHMARK(textBetweenMatchesOnSecondBytes);

void gbkToUtf8Megabyte(benchmark::State& state) {
    const std::string gbk = repeatedUpTo(gbkChunk, pageSize);
    for (auto _ : state) {
        benchmark::DoNotOptimize(gbkToUtf8(gbk));
    }
    setBytes(state, gbk.size());
}
BENCHMARK(gbkToUtf8Megabyte)->Unit(benchmark::kMillisecond);

void utf8ToGbkMegabyte(benchmark::State& state) {
    const std::string utf8 = repeatedUpTo(gbkToUtf8(gbkChunk), pageSize);
    for (auto _ : state) {
        benchmark::DoNotOptimize(utf8ToGbk(utf8));
    }
    setBytes(state, utf8.size());
}
BENCHMARK(utf8ToGbkMegabyte)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
