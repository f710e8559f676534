#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "column_sort.h"
#include "fuzz_check.h"

namespace {

// The characters a number is made of, white space, and a few that end a number. No letter of
// "inf", "nan" or "0x" is among them, so strtof reads these texts by the same rule as
// textToNumber once the exponent letters d and D are written as e.
constexpr std::string_view numberAlphabet = "0123456789.+-eEdD \t\n\v\f\r,#k";

std::string asNumberText(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        text.push_back(numberAlphabet[static_cast<unsigned char>(byte) % numberAlphabet.size()]);
    }
    return text;
}

float strtofReading(std::string text) {
    for (char& character : text) {
        if (character == 'd' || character == 'D') {
            character = 'e';
        }
    }
    return std::strtof(text.c_str(), nullptr);
}

// The same characters with every one that has a full-width GBK form written in that form where
// the matching input byte says so (the byte's bits above those that picked the character).
std::string widened(std::string_view bytes, std::string_view text) {
    std::string wide;
    for (std::size_t index = 0; index < text.size(); ++index) {
        const auto character = static_cast<unsigned char>(text[index]);
        const bool widen = (static_cast<unsigned char>(bytes[index]) / numberAlphabet.size()) % 2;
        if (widen && character == ' ') {
            wide += "\xA1\xA1";
        } else if (widen && character > ' ' && character < 0x7F) {
            wide.push_back(static_cast<char>(0xA3));
            wide.push_back(static_cast<char>(character + 0x80));
        } else {
            wide.push_back(static_cast<char>(character));
        }
    }
    return wide;
}

bool sameKey(float a, float b) {
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

} // namespace

// Any bytes give a key that is not NaN. A text of number characters reads as strtof reads it,
// sign of zero included; full-width forms read as their ASCII twins; a lone lead byte at the
// very end changes nothing.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    require(!std::isnan(textToNumber(bytes)), "no text reads as NaN");

    const std::string text = asNumberText(bytes);
    const float key = textToNumber(text);
    require(sameKey(key, strtofReading(text)),
            "a text of number characters reads as strtof reads it");
    require(sameKey(textToNumber(widened(bytes, text)), key),
            "full-width forms read as their ASCII twins");
    require(sameKey(textToNumber(text + "\xB0"), key), "a lone lead byte at the end is dropped");
    return 0;
}
