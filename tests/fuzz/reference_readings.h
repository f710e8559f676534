#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Plain, slow readings of the rules, written without the shortcuts of the code under test, so
// that a fuzzer can compare the two on any input.

// textBetween read literally: the quote placeholder "#引号" replaced in each marker on a walk by
// characters, then each marker searched by walking the text one character at a time from the
// start position (a byte of 0x80 or more takes the next byte with it), trying a match only where
// a character begins. An empty marker is never found.
std::string walkTextBetween(std::string_view text, std::string_view startMarker,
                            std::string_view endMarker, int startPosition, bool caseSensitive);

// Where a group stands in the searched text.
struct TextSpan {
    std::size_t offset = 0;
    std::size_t length = 0;
    bool operator==(const TextSpan&) const = default;
};

// Group 1 of every match of the suggestion pattern \["(.*?)" in the text up to its first zero
// byte, found by plain searching: the leftmost [" from where the last match ended, then the
// nearest " after it. The pattern holds no letter, so its case option changes nothing.
std::vector<TextSpan> scanSuggestionSpans(std::string_view text);
