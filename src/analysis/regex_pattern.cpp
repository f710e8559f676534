#include "regex_pattern.h"

#include <cstdint>
#include <utility>

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

namespace {

struct CodeRelease {
    void operator()(pcre2_code* code) const noexcept { pcre2_code_free(code); }
};
using CodeOwner = std::unique_ptr<pcre2_code, CodeRelease>;

struct MatchDataRelease {
    void operator()(pcre2_match_data* data) const noexcept { pcre2_match_data_free(data); }
};
using MatchDataOwner = std::unique_ptr<pcre2_match_data, MatchDataRelease>;

// Texts end at their first zero byte; what follows is never searched nor cut from.
std::string_view upToZero(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

} // namespace

struct RegexPattern::Compiled {
    CodeOwner code;
    std::uint32_t captureCount = 0;
};

RegexPattern::RegexPattern() = default;
RegexPattern::~RegexPattern() = default;
RegexPattern::RegexPattern(RegexPattern&&) noexcept = default;
RegexPattern& RegexPattern::operator=(RegexPattern&&) noexcept = default;

bool RegexPattern::usable() const {
    return m_compiled != nullptr;
}

bool compilePattern(RegexPattern& pattern, std::string_view source, bool caseSensitive) {
    pattern.m_compiled.reset();
    source = upToZero(source);

    // Matching is byte-wise: a (*UTF) or (*UCP) at the head of a pattern must not switch on
    // Unicode rules, which would reject the answer's bytes or fold cases beyond ASCII.
    std::uint32_t options = PCRE2_DOTALL | PCRE2_NEVER_UTF | PCRE2_NEVER_UCP;
    if (!caseSensitive) {
        options |= PCRE2_CASELESS;
    }
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    // This PCRE2 rejects a null pattern pointer even with length zero; an empty view may hold one.
    const char* bytes = source.empty() ? "" : source.data();
    CodeOwner code(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(bytes), source.size(), options,
                                 &errorCode, &errorOffset, nullptr));
    if (!code) {
        return false;
    }
    std::uint32_t captureCount = 0;
    pcre2_pattern_info(code.get(), PCRE2_INFO_CAPTURECOUNT, &captureCount);
    pattern.m_compiled = std::make_unique<RegexPattern::Compiled>(
        RegexPattern::Compiled{std::move(code), captureCount});
    return true;
}

MatchList findAll(const RegexPattern& pattern, std::string_view text) {
    MatchList matches;
    const std::string_view subject = upToZero(text);
    // An empty answer stands for a failed fetch: it yields nothing, even for a pattern that
    // matches empty text.
    if (!pattern.m_compiled || subject.empty()) {
        return matches;
    }
    const pcre2_code* code = pattern.m_compiled->code.get();
    const std::size_t groupCount = pattern.m_compiled->captureCount + std::size_t{1};
    // Made per search so that one compiled pattern may serve searches on several threads. When
    // it cannot be made, the first search reports PCRE2_ERROR_NULL and nothing is found.
    MatchDataOwner data(pcre2_match_data_create_from_pattern(code, nullptr));

    const auto* subjectBytes = reinterpret_cast<PCRE2_SPTR>(subject.data());
    std::size_t start = 0;
    std::uint32_t options = 0;
    while (start <= subject.size()) {
        const int rc =
            pcre2_match(code, subjectBytes, subject.size(), start, options, data.get(), nullptr);
        if (rc == PCRE2_ERROR_NOMATCH && options != 0) {
            // No non-empty match where the empty one stood: step one byte on, as Perl's /g does.
            ++start;
            options = 0;
            continue;
        }
        if (rc < 0) {
            // No further match, or the engine gave up (a match limit): keep what was found.
            break;
        }
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data.get());
        RegexMatch& match = matches.emplace_back();
        match.groups.resize(groupCount);
        for (std::size_t group = 0; group < groupCount && group < static_cast<std::size_t>(rc);
             ++group) {
            const PCRE2_SIZE begin = ovector[2 * group];
            const PCRE2_SIZE end = ovector[2 * group + 1];
            if (begin != PCRE2_UNSET) {
                match.groups[group] = RegexGroup{begin, end - begin, true};
            }
        }
        start = ovector[1];
        // After an empty match the next search begins at the same byte but may not be empty
        // there, so a pattern that can match empty text never repeats itself.
        options = ovector[0] == ovector[1] ? PCRE2_NOTEMPTY_ATSTART | PCRE2_ANCHORED : 0;
    }
    return matches;
}

std::string groupText(const RegexMatch& match, std::string_view text, int group) {
    if (group < 0 || static_cast<std::size_t>(group) >= match.groups.size()) {
        return {};
    }
    const RegexGroup& found = match.groups[static_cast<std::size_t>(group)];
    const std::string_view searched = upToZero(text);
    if (!found.tookPart || found.offset > searched.size() ||
        found.length > searched.size() - found.offset) {
        return {};
    }
    return std::string(searched.substr(found.offset, found.length));
}
