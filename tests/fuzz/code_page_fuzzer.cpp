#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "code_page.h"
#include "fuzz_check.h"
#include "text_properties.h"

namespace {

// Room behind an output that no conversion may touch.
constexpr std::size_t guardSize = 16;

template <typename Unit> constexpr Unit canary() {
    if constexpr (sizeof(Unit) == 1) {
        return static_cast<Unit>(0xA5);
    } else {
        return static_cast<Unit>(0xFDD0);
    }
}

template <typename Unit> bool guardIntact(const std::vector<Unit>& buffer, std::size_t from) {
    return std::all_of(buffer.begin() + static_cast<std::ptrdiff_t>(from), buffer.end(),
                       [](Unit unit) { return unit == canary<Unit>(); });
}

// Runs one conversion, given as convert(output, outputSize), with every kind of output: none
// (the size query); exactly the queried size, and one unit less, on the heap, so that the address
// sanitizer sees a write past them from our code or through memcpy; larger and smaller outputs
// followed by a canary, which also catches a write past the given size from ICU's own,
// uninstrumented code. Gives what the conversion wrote.
template <typename Unit, typename Convert>
std::basic_string<Unit> convertEveryWay(Convert convert) {
    const int needed = convert(nullptr, 0);
    require(needed >= 0, "a size query never gives a negative size");
    if (needed == 0) {
        return {};
    }
    const auto size = static_cast<std::size_t>(needed);

    const auto exact = std::make_unique<Unit[]>(size);
    require(convert(exact.get(), needed) == needed,
            "a conversion into the queried size gives the queried size");
    std::basic_string<Unit> converted(exact.get(), size);

    std::vector<Unit> larger(size + guardSize, canary<Unit>());
    require(convert(larger.data(), static_cast<int>(larger.size())) == needed,
            "a conversion into a larger output gives the queried size");
    require(std::equal(converted.begin(), converted.end(), larger.begin()),
            "a larger output receives the same units");
    require(guardIntact(larger, size), "a conversion writes nothing beyond what it needs");

    if (needed > 1) {
        const auto tooSmall = std::make_unique<Unit[]>(size - 1);
        require(convert(tooSmall.get(), needed - 1) == 0, "an output that is too small gives 0");
        std::vector<Unit> guarded(size - 1 + guardSize, canary<Unit>());
        require(convert(guarded.data(), needed - 1) == 0, "an output that is too small gives 0");
        require(guardIntact(guarded, size - 1), "a conversion never writes beyond the output size");
    }
    return converted;
}

std::u16string toWide(unsigned codePage, std::string_view source) {
    return convertEveryWay<char16_t>([&](char16_t* output, int outputSize) {
        return multiByteToWideChar(codePage, 0, source.data(), static_cast<int>(source.size()),
                                   output, outputSize);
    });
}

std::string toMultiByte(unsigned codePage, std::u16string_view source) {
    return convertEveryWay<char>([&](char* output, int outputSize) {
        return wideCharToMultiByte(codePage, 0, source.data(), static_cast<int>(source.size()),
                                   output, outputSize);
    });
}

bool isGbkCodePage(unsigned codePage) {
    return codePage == codePageAnsi || codePage == codePageGbk;
}

bool isKnownCodePage(unsigned codePage) {
    return isGbkCodePage(codePage) || codePage == codePageUtf8;
}

template <typename Unit> std::basic_string_view<Unit> upToZero(std::basic_string_view<Unit> text) {
    return text.substr(0, text.find(Unit{0}));
}

void checkMultiByteToWideChar(unsigned codePage, bool terminated, const std::string& source) {
    const int sourceLength = terminated ? -1 : static_cast<int>(source.size());
    const std::u16string units = convertEveryWay<char16_t>([&](char16_t* output, int outputSize) {
        return multiByteToWideChar(codePage, 0, source.c_str(), sourceLength, output, outputSize);
    });
    const std::string_view read = terminated ? upToZero(std::string_view(source)) : source;
    if (!isKnownCodePage(codePage)) {
        require(units.empty(), "an unknown code page converts nothing");
        return;
    }
    require(units.empty() == (read.empty() && !terminated),
            "every text gives units, and so does the terminator alone");
    std::u16string_view text(units);
    if (terminated) {
        require(text.back() == 0 && text.find(u'\0') == text.size() - 1,
                "the terminator is converted, and it is the only zero");
        text.remove_suffix(1);
    }
    require(isWellFormedUtf16(text), "the units are well-formed UTF-16");
    if (codePage == codePageUtf8 && isWellFormedUtf8(read)) {
        require(toMultiByte(codePage, text) == read, "well-formed UTF-8 comes back unchanged");
    }
    if (isGbkCodePage(codePage) && isWellFormedGbk(read)) {
        require(toMultiByte(codePage, text) == read, "well-formed GBK comes back unchanged");
    }
}

void checkWideCharToMultiByte(unsigned codePage, bool terminated, const std::u16string& source) {
    const int sourceLength = terminated ? -1 : static_cast<int>(source.size());
    const std::string bytes = convertEveryWay<char>([&](char* output, int outputSize) {
        return wideCharToMultiByte(codePage, 0, source.c_str(), sourceLength, output, outputSize);
    });
    const std::u16string_view read = terminated ? upToZero(std::u16string_view(source)) : source;
    if (!isKnownCodePage(codePage)) {
        require(bytes.empty(), "an unknown code page converts nothing");
        return;
    }
    require(bytes.empty() == (read.empty() && !terminated),
            "every text gives bytes, and so does the terminator alone");
    std::string_view text(bytes);
    if (terminated) {
        require(text.back() == 0 && text.find('\0') == text.size() - 1,
                "the terminator is converted, and it is the only zero");
        text.remove_suffix(1);
    }
    if (codePage == codePageUtf8) {
        require(isWellFormedUtf8(text), "the result is well-formed UTF-8");
        if (isWellFormedUtf16(read)) {
            require(toWide(codePage, text) == read, "well-formed UTF-16 comes back unchanged");
        }
    } else {
        require(isWellFormedGbk(text), "the result is well-formed GBK");
    }
}

} // namespace

// Any bytes or UTF-16 units, in any code page, counted to the terminator or by length, repeated
// so that long texts cross the size query's chunks. Every kind of output gets what the size
// query promised and nothing beyond its size, and well-formed text makes the round trip.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    unsigned codePage = 0;
    switch (provider.ConsumeIntegralInRange(0, 3)) {
    case 0:
        codePage = codePageAnsi;
        break;
    case 1:
        codePage = codePageGbk;
        break;
    case 2:
        codePage = codePageUtf8;
        break;
    default:
        codePage = provider.ConsumeIntegral<unsigned>();
        break;
    }
    const bool wide = provider.ConsumeBool();
    const bool terminated = provider.ConsumeBool();
    const int repeats = provider.ConsumeIntegralInRange(1, 8);
    const std::string bytes = provider.ConsumeRemainingBytesAsString();

    if (wide) {
        std::u16string units;
        for (std::size_t index = 0; index + 1 < bytes.size(); index += 2) {
            units.push_back(
                static_cast<char16_t>(static_cast<unsigned char>(bytes[index]) |
                                      static_cast<unsigned char>(bytes[index + 1]) << 8));
        }
        std::u16string source;
        for (int count = 0; count < repeats; ++count) {
            source += units;
        }
        checkWideCharToMultiByte(codePage, terminated, source);
    } else {
        std::string source;
        for (int count = 0; count < repeats; ++count) {
            source += bytes;
        }
        checkMultiByteToWideChar(codePage, terminated, source);
    }
    return 0;
}
