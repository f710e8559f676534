#include <cstddef>
#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "split_text.h"

namespace {

std::size_t characterLength(char leadByte) {
    return static_cast<unsigned char>(leadByte) >= 0x80 ? 2 : 1;
}

} // namespace

// Any text and separator. The pieces, each followed by one separator, tile the text from its
// start; the last piece is followed by nothing, or by one separator that ends the text (the
// trailing separator adds no empty piece). Walking the text one character at a time, every
// separator between pieces stands where a character begins, and no separator begins at a
// character inside a piece.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const std::string separator = provider.ConsumeRandomLengthString(8);
    const std::string text = provider.ConsumeRemainingBytesAsString();
    const std::string_view whole(text);

    const TextList pieces = splitText(text, separator);

    if (text.empty()) {
        require(pieces.empty(), "an empty text gives no piece");
        return 0;
    }
    if (separator.empty()) {
        require(pieces.size() == 1 && pieces.front() == text,
                "an empty separator leaves the text whole");
        return 0;
    }
    std::size_t position = 0;
    for (std::size_t index = 0; index < pieces.size(); ++index) {
        const std::string& piece = pieces[index];
        require(whole.substr(position).starts_with(piece), "each piece stands where it should");
        const std::size_t pieceEnd = position + piece.size();
        while (position < pieceEnd) {
            require(!whole.substr(position).starts_with(separator),
                    "no separator begins at a character inside a piece");
            position += characterLength(whole[position]);
        }
        const bool last = index + 1 == pieces.size();
        if (last && pieceEnd == whole.size()) {
            require(!piece.empty(), "a trailing separator adds no empty piece");
            // A lead byte at the very end has no second byte, so the walk may step past it.
            position = pieceEnd;
            break;
        }
        require(position == pieceEnd, "a piece ends where a character ends");
        require(whole.substr(position).starts_with(separator), "a separator follows each piece");
        position += separator.size();
        if (last) {
            require(position == whole.size(),
                    "only a separator that ends the text may follow the last piece");
        }
    }
    require(position == whole.size(), "the pieces and separators cover the whole text");
    return 0;
}
