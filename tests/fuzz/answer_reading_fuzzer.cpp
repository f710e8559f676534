#include <cstddef>
#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "byte_array.h"
#include "fuzz_check.h"
#include "marketplace_hosts.h"
#include "marketplace_queries.h"
#include "reference_readings.h"
#include "regex_pattern.h"
#include "text_encoding.h"
#include "text_properties.h"

namespace {

std::string upToZero(const ByteArray& bytes) {
    std::string text;
    for (const std::uint8_t byte : bytes) {
        if (byte == 0) {
            break;
        }
        text.push_back(static_cast<char>(byte));
    }
    return text;
}

// The query of a URL that begins with the given prefix, decoded.
std::optional<std::string> decodedQuery(std::string_view url, std::string_view prefix) {
    if (!url.starts_with(prefix)) {
        return std::nullopt;
    }
    return percentDecode(url.substr(prefix.size()));
}

bool isAscii(std::string_view text) {
    for (const char byte : text) {
        if (static_cast<unsigned char>(byte) >= 0x80) {
            return false;
        }
    }
    return true;
}

void checkSuggestion(const std::string& suggestion) {
    const std::string searchPrefix = "https://" + std::string(marketplaceSearchHost) + "/search?q=";
    const std::optional<std::string> query = decodedQuery(searchQueryUrl(suggestion), searchPrefix);
    require(query.has_value(), "the search URL is the prefix and a percent-encoded query");
    require(*query == suggestion, "the search URL carries the suggestion's bytes as they are");

    const std::string gbk = utf8ToGbk(suggestion);
    require(gbk.empty() == suggestion.empty(), "a suggestion gives a GBK keyword unless empty");
    require(gbk.find('\0') == std::string::npos, "a GBK keyword holds no zero byte");
    require(isWellFormedGbk(gbk), "a GBK keyword is well-formed GBK");
    if (isAscii(suggestion)) {
        require(gbk == suggestion, "an ASCII suggestion is its own GBK keyword");
    }

    const std::string suggestPrefix =
        "https://" + std::string(marketplaceSuggestHost) + "/sug?code=utf-8&callback=?&q=";
    const std::optional<std::string> seedQuery =
        decodedQuery(suggestionQueryUrl(gbk), suggestPrefix);
    require(seedQuery.has_value(), "the suggestion URL is the prefix and a percent-encoded query");
    require(*seedQuery == gbkToUtf8(gbk), "the suggestion URL carries the keyword as UTF-8");
}

} // namespace

// One suggestion answer and one search page of any bytes, read as the analysis run reads them:
// the answer's text, its suggestions, the search URL and the GBK keyword of each, and the count
// text of the page.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const std::string answerBody = provider.ConsumeRandomLengthString();
    const std::string pageBody = provider.ConsumeRemainingBytesAsString();

    const std::string answer = bytesToText(ByteArray(answerBody.begin(), answerBody.end()));
    require(answer == upToZero(ByteArray(answerBody.begin(), answerBody.end())),
            "an answer is its body up to the first zero byte");

    RegexPattern pattern;
    require(compilePattern(pattern, suggestionPattern, false), "the suggestion pattern compiles");
    const MatchList matches = findAll(pattern, answer);
    const std::vector<TextSpan> expected = scanSuggestionSpans(answer);
    require(matches.size() == expected.size(), "every suggestion in the answer is found");
    for (std::size_t index = 0; index < matches.size(); ++index) {
        const std::string suggestion = groupText(matches[index], answer, 1);
        require(suggestion == answer.substr(expected[index].offset, expected[index].length),
                "each suggestion is the quoted text after [\"");
        checkSuggestion(suggestion);
    }

    const std::string page = bytesToText(ByteArray(pageBody.begin(), pageBody.end()));
    require(page == upToZero(ByteArray(pageBody.begin(), pageBody.end())),
            "a page is its body up to the first zero byte");
    require(resultCountText(page) ==
                walkTextBetween(page, countStartMarker, countEndMarker, 1, false),
            "the count text is the one the character walk finds between the count markers");
    return 0;
}
