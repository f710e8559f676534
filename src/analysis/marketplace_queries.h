#pragma once

#include <string>
#include <string_view>

#include "byte_array.h"
#include "marketplace_hosts.h"

inline constexpr std::string_view suggestionPattern = R"pattern(\["(.*?)")pattern";
inline constexpr std::string_view countStartMarker = R"("totalCount":)";
inline constexpr std::string_view countEndMarker = R"(},")";

// The bytes up to the first zero byte.
std::string bytesToText(const ByteArray& bytes);

// The seed keyword is GBK; it is sent as percent-encoded UTF-8.
std::string suggestionQueryUrl(std::string_view seedKeyword,
                               std::string_view suggestHost = marketplaceSuggestHost);
// The suggestion is UTF-8 as taken from the suggestion answer; its bytes are encoded as they are.
std::string searchQueryUrl(std::string_view suggestion,
                           std::string_view searchHost = marketplaceSearchHost);

std::string resultCountText(std::string_view page);
