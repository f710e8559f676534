#include <cstddef>
#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "text_encoding.h"
#include "text_properties.h"

// Any text with any options: the result holds only URL-safe bytes and %XX escapes, and decoding
// it gives the source bytes back (the text up to its first zero byte, or its UTF-8 form).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const bool keepAlphanumerics = provider.ConsumeBool();
    const bool convertToUtf8 = provider.ConsumeBool();
    const std::string text = provider.ConsumeRemainingBytesAsString();

    const std::string encoded = urlEncode(text, keepAlphanumerics, convertToUtf8);

    const std::string source = convertToUtf8
                                   ? gbkToUtf8(text)
                                   : std::string(std::string_view(text).substr(0, text.find('\0')));
    const std::optional<std::string> decoded = percentDecode(encoded);
    require(decoded.has_value(), "the result holds only URL-safe bytes and %XX escapes");
    require(*decoded == source, "decoding the result gives the source bytes back");
    if (keepAlphanumerics) {
        std::size_t escapes = 0;
        for (const char byte : source) {
            escapes += isUrlSafe(static_cast<unsigned char>(byte)) ? 0 : 1;
        }
        require(encoded.size() == source.size() + 2 * escapes,
                "exactly the bytes that are not URL-safe are escaped");
    } else {
        require(encoded.size() == 3 * source.size(),
                "without keepAlphanumerics every byte is escaped");
    }
    return 0;
}
