#include "split_text.h"

#include <cstddef>

TextList splitText(std::string_view text, std::string_view separator) {
    TextList pieces;
    if (separator.empty()) {
        if (!text.empty()) {
            pieces.emplace_back(text);
        }
        return pieces;
    }
    std::size_t pieceBegin = 0;
    std::size_t index = 0;
    while (index < text.size()) {
        if (text.substr(index).starts_with(separator)) {
            pieces.emplace_back(text.substr(pieceBegin, index - pieceBegin));
            index += separator.size();
            pieceBegin = index;
            continue;
        }
        index += static_cast<unsigned char>(text[index]) >= 0x80 ? 2 : 1;
    }
    if (pieceBegin < text.size()) {
        pieces.emplace_back(text.substr(pieceBegin));
    }
    return pieces;
}
