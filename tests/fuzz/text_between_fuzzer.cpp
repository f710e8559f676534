#include <cstddef>
#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>

#include "fuzz_check.h"
#include "reference_readings.h"
#include "text_between.h"

// Any text, any two markers, any start position and either case rule: the result is what the
// plain character walk gives, so a marker is found only where a character begins, and the
// result is cut from the text right after the start marker.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const bool caseSensitive = provider.ConsumeBool();
    // Mostly small positions, which land inside the text; now and then any int at all.
    const int startPosition = provider.ConsumeBool() ? provider.ConsumeIntegral<int>()
                                                     : provider.ConsumeIntegralInRange(-2, 64);
    const std::string startMarker = provider.ConsumeRandomLengthString(16);
    const std::string endMarker = provider.ConsumeRandomLengthString(16);
    const std::string text = provider.ConsumeRemainingBytesAsString();

    const std::string between =
        textBetween(text, startMarker, endMarker, startPosition, caseSensitive);

    require(between.size() <= text.size(), "the result is never longer than the text");
    require(between.empty() || text.find(between) != std::string::npos,
            "the result is a piece of the text");
    require(between == walkTextBetween(text, startMarker, endMarker, startPosition, caseSensitive),
            "the result is the one the character walk finds");
    return 0;
}
