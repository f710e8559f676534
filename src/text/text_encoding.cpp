#include "text_encoding.h"

#include <array>
#include <climits>
#include <cstddef>
#include <string>

#include "code_page.h"

namespace {

constexpr std::array<bool, 256> urlSafeBytes = [] {
    std::array<bool, 256> safe{};
    safe['-'] = true;
    safe['.'] = true;
    for (int byte = '0'; byte <= '9'; ++byte) {
        safe[byte] = true;
    }
    for (int byte = 'A'; byte <= 'Z'; ++byte) {
        safe[byte] = true;
        safe[byte - 'A' + 'a'] = true;
    }
    return safe;
}();

std::string_view upToFirstZero(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

} // namespace

std::string urlEncode(std::string_view text, bool keepAlphanumerics, bool convertToUtf8) {
    const std::string utf8 = convertToUtf8 ? gbkToUtf8(text) : std::string();
    const std::string_view source = convertToUtf8 ? std::string_view(utf8) : upToFirstZero(text);
    static constexpr char hexDigits[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(source.size() * 3);
    for (const char character : source) {
        const auto byte = static_cast<unsigned char>(character);
        if (keepAlphanumerics && urlSafeBytes[byte]) {
            encoded.push_back(character);
        } else {
            encoded.push_back('%');
            encoded.push_back(hexDigits[byte >> 4]);
            encoded.push_back(hexDigits[byte & 0x0F]);
        }
    }
    return encoded;
}

std::string gbkToUtf8(std::string_view gbk) {
    return fromUtf16(toUtf16(gbk, codePageGbk), codePageUtf8);
}

std::string utf8ToGbk(std::string_view utf8) {
    return fromUtf16(toUtf16(utf8), codePageGbk);
}

ByteArray toUtf16(std::string_view text, unsigned codePage) {
    const std::string_view source = upToFirstZero(text);
    if (source.empty()) {
        return ByteArray(sizeof(char16_t), 0);
    }
    if (source.size() > static_cast<std::size_t>(INT_MAX)) {
        return {};
    }
    const int sourceLength = static_cast<int>(source.size());
    // Counted in the conversion's own code page: a count in the ANSI code page falls short for
    // text that yields more units there (invalid UTF-8, for one) and would cut it.
    const int needed = multiByteToWideChar(codePage, 0, source.data(), sourceLength, nullptr, 0);
    if (needed == 0) {
        return {};
    }
    std::u16string units(static_cast<std::size_t>(needed), u'\0');
    units.resize(static_cast<std::size_t>(
        multiByteToWideChar(codePage, 0, source.data(), sourceLength, units.data(), needed)));
    ByteArray utf16((units.size() + 1) * sizeof(char16_t), 0);
    for (std::size_t index = 0; index < units.size(); ++index) {
        utf16[2 * index] = static_cast<std::uint8_t>(units[index] & 0xFF);
        utf16[2 * index + 1] = static_cast<std::uint8_t>(units[index] >> 8);
    }
    return utf16;
}

std::string fromUtf16(const ByteArray& utf16, unsigned codePage) {
    std::u16string units;
    units.reserve(utf16.size() / 2);
    for (std::size_t index = 0; index + 1 < utf16.size(); index += 2) {
        const auto unit = static_cast<char16_t>(utf16[index] | (utf16[index + 1] << 8));
        if (unit == 0) {
            break;
        }
        units.push_back(unit);
    }
    if (units.empty() || units.size() > static_cast<std::size_t>(INT_MAX)) {
        return {};
    }
    const int unitCount = static_cast<int>(units.size());
    // Counted in the target code page itself: a GBK count doubled still falls short of UTF-8 for
    // characters of one GBK byte but three UTF-8 bytes, such as the euro sign.
    const int needed = wideCharToMultiByte(codePage, 0, units.data(), unitCount, nullptr, 0);
    if (needed == 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(needed), '\0');
    text.resize(static_cast<std::size_t>(
        wideCharToMultiByte(codePage, 0, units.data(), unitCount, text.data(), needed)));
    return text;
}
