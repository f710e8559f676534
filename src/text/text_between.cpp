#include "text_between.h"

#include <array>
#include <cstddef>

namespace {

using FoldTable = std::array<unsigned char, 256>;

constexpr FoldTable makeFoldTable(bool foldCase) {
    FoldTable table{};
    for (int byte = 0; byte < 256; ++byte) {
        table[byte] = static_cast<unsigned char>(byte);
    }
    if (foldCase) {
        for (int byte = 'A'; byte <= 'Z'; ++byte) {
            table[byte] = static_cast<unsigned char>(byte - 'A' + 'a');
        }
    }
    return table;
}

constexpr FoldTable sameByte = makeFoldTable(false);
constexpr FoldTable lowerCaseLetters = makeFoldTable(true);

// "#引号" in GBK.
constexpr std::string_view quotePlaceholder = "\x23\xD2\xFD\xBA\xC5";

std::size_t characterLength(unsigned char leadByte) {
    return leadByte >= 0x80 ? 2 : 1;
}

std::string replaceQuotePlaceholder(std::string_view marker) {
    std::string replaced;
    replaced.reserve(marker.size());
    std::size_t index = 0;
    while (index < marker.size()) {
        if (marker.substr(index).starts_with(quotePlaceholder)) {
            replaced.push_back('"');
            index += quotePlaceholder.size();
            continue;
        }
        const std::size_t length = characterLength(static_cast<unsigned char>(marker[index]));
        replaced.append(marker.substr(index, length));
        index += length;
    }
    return replaced;
}

// Tells whether a position begins a character of the walk without walking byte by byte, whose
// step depends on the byte just loaded and so costs a full load latency per character. A byte
// below 0x80 always ends a character, so a position begins one when an even number of bytes of
// 0x80 or more stand between it and the last byte below 0x80 (or the walk's start). Positions
// are asked in rising order and each byte is looked at once.
class CharacterBoundaries {
public:
    CharacterBoundaries(const unsigned char* bytes, std::size_t walkStart)
        : m_bytes(bytes), m_runStart(walkStart), m_checkedUpTo(walkStart) {}

    bool begins(std::size_t index) {
        std::size_t back = index;
        while (back > m_checkedUpTo && m_bytes[back - 1] >= 0x80) {
            --back;
        }
        if (back > m_checkedUpTo) {
            m_runStart = back;
        }
        m_checkedUpTo = index;
        return (index - m_runStart) % 2 == 0;
    }

private:
    const unsigned char* m_bytes;
    std::size_t m_runStart;
    std::size_t m_checkedUpTo;
};

// The index of the first character at or after from where the marker begins, or npos. Most
// positions cost one table look-up of their byte; the rest of the marker and the character
// boundary are checked only where the first byte matches.
std::size_t findMarker(std::string_view text, std::size_t from, std::string_view marker,
                       const FoldTable& fold) {
    if (marker.empty() || marker.size() > text.size()) {
        return std::string_view::npos;
    }
    const auto* const bytes = reinterpret_cast<const unsigned char*>(text.data());
    const auto* const wanted = reinterpret_cast<const unsigned char*>(marker.data());
    const std::size_t lastStart = text.size() - marker.size();
    const unsigned char wantedFirst = fold[wanted[0]];
    CharacterBoundaries boundaries(bytes, from);
    for (std::size_t index = from; index <= lastStart; ++index) {
        if (fold[bytes[index]] != wantedFirst) {
            continue;
        }
        std::size_t offset = 1;
        while (offset < marker.size() && fold[bytes[index + offset]] == fold[wanted[offset]]) {
            ++offset;
        }
        if (offset == marker.size() && boundaries.begins(index)) {
            return index;
        }
    }
    return std::string_view::npos;
}

} // namespace

std::string textBetween(std::string_view text, std::string_view startMarker,
                        std::string_view endMarker, int startPosition, bool caseSensitive) {
    const std::string start = replaceQuotePlaceholder(startMarker);
    const std::string end = replaceQuotePlaceholder(endMarker);
    const FoldTable& fold = caseSensitive ? sameByte : lowerCaseLetters;
    const std::size_t from = startPosition < 1 ? 0 : static_cast<std::size_t>(startPosition) - 1;
    const std::size_t startFound = findMarker(text, from, start, fold);
    if (startFound == std::string_view::npos) {
        return {};
    }
    const std::size_t contentBegin = startFound + start.size();
    const std::size_t endFound = findMarker(text, contentBegin, end, fold);
    if (endFound == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(contentBegin, endFound - contentBegin));
}
