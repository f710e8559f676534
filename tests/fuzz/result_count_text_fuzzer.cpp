#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "marketplace_queries.h"
#include "reference_readings.h"
#include "text_between.h"

namespace {

// The count markers written with the quote placeholder "#引号" (GBK) for each double quote, and
// in capital letters: both must find exactly what the plain markers find.
constexpr std::string_view placeholderStartMarker = "\x23\xD2\xFD\xBA\xC5totalCount"
                                                    "\x23\xD2\xFD\xBA\xC5:";
constexpr std::string_view placeholderEndMarker = "},\x23\xD2\xFD\xBA\xC5";
constexpr std::string_view capitalStartMarker = R"("TOTALCOUNT":)";

} // namespace

// A search page of any bytes: the count text is textBetween with the count markers, ASCII case
// ignored, and what the plain character walk finds.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string page(reinterpret_cast<const char*>(data), size);

    const std::string count = resultCountText(page);

    require(count.size() <= page.size(), "the count text is never longer than the page");
    require(count == textBetween(page, countStartMarker, countEndMarker, 1, false),
            "the count text is textBetween with the count markers");
    require(count == walkTextBetween(page, countStartMarker, countEndMarker, 1, false),
            "the count text is the one the character walk finds");
    require(count == textBetween(page, placeholderStartMarker, placeholderEndMarker, 1, false),
            "the quote placeholder in a marker stands for a double quote");
    require(count == textBetween(page, capitalStartMarker, countEndMarker, 1, false),
            "the start marker is found whatever the case of its letters");
    return 0;
}
