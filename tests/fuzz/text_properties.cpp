#include "text_properties.h"

#include <cstddef>
#include <cstdint>

bool isWellFormedUtf8(std::string_view bytes) {
    std::size_t index = 0;
    while (index < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[index]);
        std::size_t length = 0;
        std::uint32_t codePoint = 0;
        std::uint32_t smallest = 0;
        if (lead < 0x80) {
            ++index;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            codePoint = lead & 0x1Fu;
            smallest = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            codePoint = lead & 0x0Fu;
            smallest = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            codePoint = lead & 0x07u;
            smallest = 0x10000;
        } else {
            return false;
        }
        if (bytes.size() - index < length) {
            return false;
        }
        for (std::size_t offset = 1; offset < length; ++offset) {
            const auto trail = static_cast<unsigned char>(bytes[index + offset]);
            if ((trail & 0xC0) != 0x80) {
                return false;
            }
            codePoint = (codePoint << 6) | (trail & 0x3Fu);
        }
        if (codePoint < smallest || codePoint > 0x10FFFF ||
            (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
            return false;
        }
        index += length;
    }
    return true;
}

bool isWellFormedUtf16(std::u16string_view units) {
    for (std::size_t index = 0; index < units.size(); ++index) {
        const char16_t unit = units[index];
        if (unit >= 0xDC00 && unit <= 0xDFFF) {
            return false;
        }
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (index + 1 == units.size() || units[index + 1] < 0xDC00 ||
                units[index + 1] > 0xDFFF) {
                return false;
            }
            ++index;
        }
    }
    return true;
}

namespace {

bool isGbkLead(unsigned char byte) {
    return byte >= 0x81 && byte <= 0xFE;
}

bool isGbkTrail(unsigned char byte) {
    return byte >= 0x40 && byte <= 0xFE && byte != 0x7F;
}

// 63 trail bytes from 0x40 to 0x7E, then 127 from 0x80 to 0xFE.
constexpr unsigned gbkTrailCount = 190;

unsigned char gbkTrail(unsigned index) {
    return static_cast<unsigned char>(index < 63 ? 0x40 + index : 0x80 + (index - 63));
}

} // namespace

bool isWellFormedGbk(std::string_view bytes) {
    std::size_t index = 0;
    while (index < bytes.size()) {
        const auto byte = static_cast<unsigned char>(bytes[index]);
        if (!isGbkLead(byte)) {
            ++index;
            continue;
        }
        if (index + 1 == bytes.size() ||
            !isGbkTrail(static_cast<unsigned char>(bytes[index + 1]))) {
            return false;
        }
        index += 2;
    }
    return true;
}

std::string wellFormedGbkFrom(std::string_view bytes) {
    std::string gbk;
    gbk.reserve(bytes.size() + 1);
    std::size_t index = 0;
    while (index < bytes.size()) {
        const auto byte = static_cast<unsigned char>(bytes[index++]);
        if (byte == 0) {
            continue;
        }
        gbk.push_back(static_cast<char>(byte));
        if (isGbkLead(byte)) {
            const unsigned trailIndex =
                index < bytes.size() ? static_cast<unsigned char>(bytes[index++]) % gbkTrailCount
                                     : 0;
            gbk.push_back(static_cast<char>(gbkTrail(trailIndex)));
        }
    }
    return gbk;
}

bool isUrlSafe(unsigned char byte) {
    return byte == '-' || byte == '.' || (byte >= '0' && byte <= '9') ||
           (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
}

namespace {

int upperHexValue(char digit) {
    if (digit >= '0' && digit <= '9') {
        return digit - '0';
    }
    if (digit >= 'A' && digit <= 'F') {
        return digit - 'A' + 10;
    }
    return -1;
}

} // namespace

std::optional<std::string> percentDecode(std::string_view encoded) {
    std::string decoded;
    std::size_t index = 0;
    while (index < encoded.size()) {
        const char character = encoded[index];
        if (isUrlSafe(static_cast<unsigned char>(character))) {
            decoded.push_back(character);
            ++index;
            continue;
        }
        if (character != '%' || encoded.size() - index < 3) {
            return std::nullopt;
        }
        const int high = upperHexValue(encoded[index + 1]);
        const int low = upperHexValue(encoded[index + 2]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        decoded.push_back(static_cast<char>(high * 16 + low));
        index += 3;
    }
    return decoded;
}
