#pragma once

#include <string>
#include <string_view>

#include "byte_array.h"

// Texts are byte strings without zero bytes: GBK unless said otherwise. Every routine reads its
// text argument up to its first zero byte and converts the whole of it.

// Percent-encodes every byte, or with keepAlphanumerics every byte but - . 0-9 A-Z a-z, as "%XX"
// in upper-case hex. With convertToUtf8 the GBK text is converted to UTF-8 first.
std::string urlEncode(std::string_view text, bool keepAlphanumerics = false,
                      bool convertToUtf8 = false);

std::string gbkToUtf8(std::string_view gbk);
std::string utf8ToGbk(std::string_view utf8);

// UTF-16 little-endian code units followed by one zero unit; the empty text gives the zero unit
// alone. A code page that the code page layer does not know gives the empty array.
ByteArray toUtf16(std::string_view text, unsigned codePage = 65001);
// Reads the array up to its first zero unit (a trailing odd byte is no unit). A code page that
// the code page layer does not know gives the empty text.
std::string fromUtf16(const ByteArray& utf16, unsigned codePage = 0);
