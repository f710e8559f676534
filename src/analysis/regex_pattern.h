#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct RegexGroup {
    std::size_t offset = 0;
    std::size_t length = 0;
    bool tookPart = false;
};

// One match: group 0 (the whole match), then each capture group in order. It holds no text:
// a group's text is cut from the searched text when asked for.
struct RegexMatch {
    std::vector<RegexGroup> groups;
};

using MatchList = std::vector<RegexMatch>;

// A compiled byte-wise regular expression (PCRE2 8-bit, no UTF mode, DOTALL).
class RegexPattern {
public:
    RegexPattern();
    ~RegexPattern();
    RegexPattern(RegexPattern&&) noexcept;
    RegexPattern& operator=(RegexPattern&&) noexcept;

    bool usable() const;

private:
    friend bool compilePattern(RegexPattern&, std::string_view, bool);
    friend MatchList findAll(const RegexPattern&, std::string_view);
    struct Compiled;
    std::unique_ptr<Compiled> m_compiled;
};

// Replaces what the pattern held; false (and no usable pattern) when source is not valid.
bool compilePattern(RegexPattern& pattern, std::string_view source, bool caseSensitive = true);
// Leftmost, non-overlapping matches over text up to its first zero byte.
MatchList findAll(const RegexPattern& pattern, std::string_view text);
// The group's bytes cut from text (the text that was searched); empty when it took no part.
std::string groupText(const RegexMatch& match, std::string_view text, int group);
