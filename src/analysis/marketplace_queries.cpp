#include "marketplace_queries.h"

#include <algorithm>

#include "text_between.h"
#include "text_encoding.h"

std::string bytesToText(const ByteArray& bytes) {
    const auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    return std::string(bytes.begin(), end);
}

std::string suggestionQueryUrl(std::string_view seedKeyword, std::string_view suggestHost) {
    std::string url = "https://";
    url += suggestHost;
    url += "/sug?code=utf-8&callback=?&q=";
    url += urlEncode(seedKeyword, true, true);
    return url;
}

std::string searchQueryUrl(std::string_view suggestion, std::string_view searchHost) {
    std::string url = "https://";
    url += searchHost;
    url += "/search?q=";
    url += urlEncode(suggestion, true);
    return url;
}

std::string resultCountText(std::string_view page) {
    return textBetween(page, countStartMarker, countEndMarker, 1, false);
}
