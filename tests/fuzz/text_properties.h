#pragma once

#include <optional>
#include <string>
#include <string_view>

// Unicode's UTF-8: no overlong form, no surrogate, nothing beyond U+10FFFF, no cut-off sequence.
bool isWellFormedUtf8(std::string_view bytes);

// UTF-16 whose every surrogate stands in a high-low pair.
bool isWellFormedUtf16(std::u16string_view units);

// Whole windows-936 characters only: a byte below 0x80, 0x80 (the euro sign), 0xFF, or a lead
// byte 0x81-0xFE followed by a trail byte 0x40-0x7E or 0x80-0xFE. Every such character survives
// the trip to Unicode and back unchanged; nothing else can come out of a conversion to GBK.
bool isWellFormedGbk(std::string_view bytes);

// Well-formed GBK without zero bytes made from any bytes, so that every input of a fuzzer can
// serve a round trip: zero bytes are left out, a lead byte takes the next byte as its trail,
// folded into the trail ranges (a lead byte at the end gets the first trail byte, 0x40).
std::string wellFormedGbkFrom(std::string_view bytes);

// The 64 bytes that a URL may hold unescaped: - . 0-9 A-Z a-z.
bool isUrlSafe(unsigned char byte);

// Undoes percent-encoding. Nothing when the text holds a byte that is neither URL-safe nor the
// start of "%" and two upper-case hexadecimal digits.
std::optional<std::string> percentDecode(std::string_view encoded);
