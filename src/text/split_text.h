#pragma once

#include <string>
#include <string_view>
#include <vector>

using TextList = std::vector<std::string>;

// Splits at every separator that begins on a character boundary (a byte of 0x80 or more leads a
// two-byte character). A trailing separator adds no empty element; an empty text gives no element.
// An empty separator is never found, so a text that is not empty stays whole.
TextList splitText(std::string_view text, std::string_view separator);
