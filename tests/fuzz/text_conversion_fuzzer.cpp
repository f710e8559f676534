#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>
#include <string_view>

#include "byte_array.h"
#include "code_page.h"
#include "fuzz_check.h"
#include "text_encoding.h"
#include "text_properties.h"

namespace {

std::u16string unitsOf(const ByteArray& utf16) {
    std::u16string units;
    for (std::size_t index = 0; index + 1 < utf16.size(); index += 2) {
        units.push_back(static_cast<char16_t>(utf16[index] | utf16[index + 1] << 8));
    }
    return units;
}

// A UTF-16 array holds its units, then one zero unit, then nothing but zero bytes.
std::u16string checkedUtf16Array(const ByteArray& utf16) {
    require(utf16.size() >= 2 && utf16.size() % 2 == 0,
            "a UTF-16 array holds whole units, the zero unit at least");
    const std::u16string units = unitsOf(utf16);
    const std::size_t zero = units.find(u'\0');
    require(zero != std::u16string::npos, "a UTF-16 array ends in a zero unit");
    for (std::size_t index = 2 * zero; index < utf16.size(); ++index) {
        require(utf16[index] == 0, "only zero bytes follow the zero unit");
    }
    return units.substr(0, zero);
}

std::size_t gbkCharacterCount(std::string_view gbk) {
    std::size_t count = 0;
    for (std::size_t index = 0; index < gbk.size(); ++count) {
        const auto byte = static_cast<unsigned char>(gbk[index]);
        index += byte >= 0x81 && byte <= 0xFE ? 2 : 1;
    }
    return count;
}

void checkAnyText(const std::string& text, unsigned otherCodePage) {
    const std::string_view read = std::string_view(text).substr(0, text.find('\0'));

    const std::string utf8 = gbkToUtf8(text);
    require(utf8.empty() == read.empty(), "gbkToUtf8 gives text for every text but the empty one");
    require(utf8.find('\0') == std::string::npos, "gbkToUtf8 gives no zero byte");
    require(isWellFormedUtf8(utf8), "gbkToUtf8 gives well-formed UTF-8 for any bytes");

    const std::string gbk = utf8ToGbk(text);
    require(gbk.empty() == read.empty(), "utf8ToGbk gives text for every text but the empty one");
    require(gbk.find('\0') == std::string::npos, "utf8ToGbk gives no zero byte");
    require(isWellFormedGbk(gbk), "utf8ToGbk gives well-formed GBK for any bytes");

    for (const unsigned codePage : {codePageGbk, codePageUtf8}) {
        const std::u16string units = checkedUtf16Array(toUtf16(text, codePage));
        require(units.empty() == read.empty(),
                "toUtf16 gives units for every text but the empty one");
        require(isWellFormedUtf16(units), "toUtf16 gives well-formed UTF-16 for any bytes");
    }
    if (otherCodePage != codePageAnsi && otherCodePage != codePageGbk &&
        otherCodePage != codePageUtf8) {
        const ByteArray none = toUtf16(text, otherCodePage);
        require(std::all_of(none.begin(), none.end(), [](std::uint8_t byte) { return byte == 0; }),
                "toUtf16 in an unknown code page gives no unit");
        require(fromUtf16(ByteArray(text.begin(), text.end()), otherCodePage).empty(),
                "fromUtf16 in an unknown code page gives the empty text");
    }

    // The bytes as a UTF-16 array of any content (unpaired surrogates, zero units anywhere or
    // none), and again with an odd byte at the end.
    ByteArray array(text.begin(), text.end());
    if (array.size() % 2 == 1) {
        array.pop_back();
    }
    ByteArray withOddByte = array;
    withOddByte.push_back(0x41);
    for (const unsigned codePage : {codePageAnsi, codePageGbk, codePageUtf8}) {
        const std::string converted = fromUtf16(array, codePage);
        require(converted.find('\0') == std::string::npos, "fromUtf16 gives no zero byte");
        require(codePage == codePageUtf8 ? isWellFormedUtf8(converted) : isWellFormedGbk(converted),
                "fromUtf16 gives well-formed text in its code page for any units");
        require(fromUtf16(withOddByte, codePage) == converted, "a trailing odd byte is no unit");
    }
}

void checkRoundTrip(const std::string& gbk) {
    const std::string utf8 = gbkToUtf8(gbk);
    require(utf8ToGbk(utf8) == gbk, "GBK comes back unchanged from UTF-8");
    require(gbkToUtf8(utf8ToGbk(utf8)) == utf8, "UTF-8 of GBK characters comes back unchanged");

    const ByteArray utf16 = toUtf16(gbk, codePageGbk);
    require(checkedUtf16Array(utf16).size() == gbkCharacterCount(gbk),
            "every GBK character is one UTF-16 unit");
    require(fromUtf16(utf16, codePageGbk) == gbk && fromUtf16(utf16) == gbk,
            "GBK comes back unchanged from UTF-16");
    require(fromUtf16(utf16, codePageUtf8) == utf8, "gbkToUtf8 goes through UTF-16");

    bool ascii = true;
    for (const char byte : gbk) {
        ascii = ascii && static_cast<unsigned char>(byte) < 0x80;
    }
    if (ascii) {
        require(utf8 == gbk, "ASCII passes gbkToUtf8 unchanged");
    }
}

} // namespace

// Any bytes through every conversion give well-formed text in the target code page; the
// well-formed GBK made from them, repeated so that long texts cross the size query's chunks,
// comes back unchanged from UTF-8 and from UTF-16.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const int repeats = provider.ConsumeIntegralInRange(1, 4);
    const unsigned otherCodePage = provider.ConsumeIntegral<std::uint16_t>();
    const std::string text = provider.ConsumeRemainingBytesAsString();

    checkAnyText(text, otherCodePage);

    const std::string gbk = wellFormedGbkFrom(text);
    std::string repeated;
    for (int count = 0; count < repeats; ++count) {
        repeated += gbk;
    }
    checkRoundTrip(repeated);
    return 0;
}
