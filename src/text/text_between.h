#pragma once

#include <string>
#include <string_view>

// The bytes between the first startMarker at or after the 1-based startPosition and the first
// endMarker after it; empty when either is missing. The quote placeholder "#引号" (GBK) in a
// marker stands for a double quote. The search walks the text character by character (a byte
// of 0x80 or more leads a two-byte character), so a marker is never found starting on a second
// byte. Without caseSensitive, A-Z and a-z compare equal byte by byte. An empty marker is never
// found. A startPosition below 1 counts as 1.
std::string textBetween(std::string_view text, std::string_view startMarker,
                        std::string_view endMarker, int startPosition = 1,
                        bool caseSensitive = false);
