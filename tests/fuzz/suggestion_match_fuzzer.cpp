#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "marketplace_queries.h"
#include "reference_readings.h"
#include "regex_pattern.h"

// Any answer body, zero bytes included, searched with the suggestion pattern as the run compiles
// it. The matches come in text order without overlapping, lie within the text up to its first
// zero byte, and each one's group 1 follows [" directly and is followed by ". They are exactly
// the matches that plain searching finds.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string answer(reinterpret_cast<const char*>(data), size);
    const std::string_view searched = std::string_view(answer).substr(0, answer.find('\0'));

    RegexPattern pattern;
    require(compilePattern(pattern, suggestionPattern, false), "the suggestion pattern compiles");
    const MatchList matches = findAll(pattern, answer);

    std::vector<TextSpan> groupSpans;
    std::size_t previousEnd = 0;
    for (const RegexMatch& match : matches) {
        require(match.groups.size() == 2, "a match holds the whole match and group 1");
        const RegexGroup& whole = match.groups[0];
        const RegexGroup& group = match.groups[1];
        require(whole.tookPart && group.tookPart, "both groups take part in every match");
        require(whole.offset >= previousEnd, "matches come in order and never overlap");
        require(whole.offset <= searched.size() && whole.length <= searched.size() - whole.offset,
                "a match lies within the text up to its first zero byte");
        require(group.offset == whole.offset + 2 && group.length + 3 == whole.length,
                "group 1 is the match without its [\" and \"");
        require(searched.substr(whole.offset, 2) == "[\"", "group 1 follows [\" directly");
        require(searched[group.offset + group.length] == '"', "group 1 is followed by \"");
        const std::string suggestion = groupText(match, answer, 1);
        require(suggestion == searched.substr(group.offset, group.length),
                "groupText cuts group 1 from the searched text");
        require(suggestion.find('"') == std::string::npos,
                "group 1 is the shortest run that a \" follows");
        require(groupText(match, answer, 2).empty() && groupText(match, answer, -1).empty(),
                "a group that does not exist gives the empty text");
        previousEnd = whole.offset + whole.length;
        groupSpans.push_back(TextSpan{group.offset, group.length});
    }
    require(groupSpans == scanSuggestionSpans(answer),
            "the matches are those that plain searching finds");
    return 0;
}
