#include "reference_readings.h"

#include <optional>

namespace {

// "#引号" in GBK.
constexpr std::string_view quotePlaceholder = "\x23\xD2\xFD\xBA\xC5";

std::size_t characterLength(char leadByte) {
    return static_cast<unsigned char>(leadByte) >= 0x80 ? 2 : 1;
}

std::string withQuotes(std::string_view marker) {
    std::string replaced;
    std::size_t index = 0;
    while (index < marker.size()) {
        if (marker.substr(index).starts_with(quotePlaceholder)) {
            replaced.push_back('"');
            index += quotePlaceholder.size();
        } else {
            replaced.append(marker.substr(index, characterLength(marker[index])));
            index += characterLength(marker[index]);
        }
    }
    return replaced;
}

char folded(char byte, bool caseSensitive) {
    return !caseSensitive && byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte - 'A' + 'a')
                                                        : byte;
}

bool standsAt(std::string_view text, std::size_t position, std::string_view marker,
              bool caseSensitive) {
    if (text.size() - position < marker.size()) {
        return false;
    }
    for (std::size_t offset = 0; offset < marker.size(); ++offset) {
        if (folded(text[position + offset], caseSensitive) !=
            folded(marker[offset], caseSensitive)) {
            return false;
        }
    }
    return true;
}

std::optional<std::size_t> walkFind(std::string_view text, std::size_t from,
                                    std::string_view marker, bool caseSensitive) {
    if (marker.empty()) {
        return std::nullopt;
    }
    for (std::size_t position = from; position < text.size();
         position += characterLength(text[position])) {
        if (standsAt(text, position, marker, caseSensitive)) {
            return position;
        }
    }
    return std::nullopt;
}

} // namespace

std::string walkTextBetween(std::string_view text, std::string_view startMarker,
                            std::string_view endMarker, int startPosition, bool caseSensitive) {
    const std::string start = withQuotes(startMarker);
    const std::string end = withQuotes(endMarker);
    const std::size_t from = startPosition < 1 ? 0 : static_cast<std::size_t>(startPosition - 1);
    const std::optional<std::size_t> startFound = walkFind(text, from, start, caseSensitive);
    if (!startFound) {
        return {};
    }
    const std::size_t contentBegin = *startFound + start.size();
    const std::optional<std::size_t> endFound = walkFind(text, contentBegin, end, caseSensitive);
    if (!endFound) {
        return {};
    }
    return std::string(text.substr(contentBegin, *endFound - contentBegin));
}

std::vector<TextSpan> scanSuggestionSpans(std::string_view text) {
    const std::string_view searched = text.substr(0, text.find('\0'));
    std::vector<TextSpan> spans;
    std::size_t from = 0;
    while (true) {
        const std::size_t open = searched.find("[\"", from);
        if (open == std::string_view::npos) {
            break;
        }
        const std::size_t close = searched.find('"', open + 2);
        if (close == std::string_view::npos) {
            break;
        }
        spans.push_back(TextSpan{open + 2, close - (open + 2)});
        from = close + 1;
    }
    return spans;
}
