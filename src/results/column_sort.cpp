#include "column_sort.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <limits>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "result_list_model.h"

namespace {

// A character with no ASCII form; no number contains it.
constexpr int otherCharacter = 0x100;
constexpr int endOfText = -1;

// Reads a GBK text as ASCII characters, full-width forms mapped to their ASCII twins. Only as
// much of the text is mapped as the number reader looks at.
class MappedText {
public:
    explicit MappedText(std::string_view text) : m_text(text) {}

    int peek() {
        if (m_width == 0)
            map();
        return m_character;
    }

    void next() {
        peek();
        m_position += m_width;
        m_width = 0;
    }

private:
    void map() {
        if (m_position >= m_text.size()) {
            m_character = endOfText;
            return;
        }
        const auto lead = static_cast<unsigned char>(m_text[m_position]);
        if (lead < 0x80) {
            m_character = lead;
            m_width = 1;
            return;
        }
        if (m_position + 1 >= m_text.size()) {
            // A lone lead byte at the very end is dropped.
            m_character = endOfText;
            return;
        }
        const auto trail = static_cast<unsigned char>(m_text[m_position + 1]);
        m_width = 2;
        if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE)
            m_character = trail - 0x80;
        else if (lead == 0xA1 && trail == 0xA1)
            m_character = ' ';
        else if (lead == 0xA1 && trail == 0xAB)
            m_character = '~';
        else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF))
            m_character = '*';
        else
            m_character = otherCharacter;
    }

    std::string_view m_text;
    std::size_t m_position = 0;
    std::size_t m_width = 0;
    int m_character = endOfText;
};

bool isSpace(int c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool isDigit(int c) {
    return c >= '0' && c <= '9';
}

bool isExponentLetter(int c) {
    return c == 'e' || c == 'E' || c == 'd' || c == 'D';
}

// Past this an exponent only says "too large" or "too small"; capping it keeps the sum below
// from overflowing.
constexpr long long exponentCap = 1'000'000'000;

} // namespace

float textToNumber(std::string_view text) {
    MappedText in(text);
    while (isSpace(in.peek()))
        in.next();

    bool negative = false;
    if (in.peek() == '+' || in.peek() == '-') {
        negative = in.peek() == '-';
        in.next();
    }

    // The number as std::from_chars reads it: digits, at most one point, then "e" and the
    // exponent. Converting this text straight to float rounds once; through double it could
    // round twice.
    std::string number;
    bool seenPoint = false;
    bool seenDigit = false;
    // The power of ten just above the first non-zero digit, for telling overflow from underflow.
    long long magnitude = 0;
    bool seenNonZero = false;
    for (int c = in.peek();; in.next(), c = in.peek()) {
        if (isDigit(c)) {
            seenDigit = true;
            if (c != '0')
                seenNonZero = true;
            if (seenNonZero && !seenPoint)
                ++magnitude;
            else if (!seenNonZero && seenPoint)
                --magnitude;
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
        number.push_back(static_cast<char>(c));
    }
    if (!seenDigit)
        return 0.0f;

    if (isExponentLetter(in.peek())) {
        in.next();
        std::string exponent = "e";
        if (in.peek() == '+' || in.peek() == '-') {
            exponent.push_back(static_cast<char>(in.peek()));
            in.next();
        }
        long long exponentValue = 0;
        for (; isDigit(in.peek()); in.next()) {
            exponent.push_back(static_cast<char>(in.peek()));
            exponentValue = std::min(exponentValue * 10 + (in.peek() - '0'), exponentCap);
        }
        // Without digits the letter is not part of the number, which ends before it.
        if (isDigit(exponent.back())) {
            number += exponent;
            magnitude += exponent[1] == '-' ? -exponentValue : exponentValue;
        }
    }

    float value = 0.0f;
    const std::errc error = std::from_chars(number.data(), number.data() + number.size(), value).ec;
    // Rounding to nearest takes a value past the largest float to infinity and one below half
    // the smallest to zero.
    if (error == std::errc::result_out_of_range)
        value = magnitude > 0 ? std::numeric_limits<float>::infinity() : 0.0f;
    return negative ? -value : value;
}

void sortByColumn(ResultListModel& model, int column) {
    const int rows = model.rowCount();
    std::vector<std::pair<float, int>> keys;
    keys.reserve(static_cast<std::size_t>(rows));
    for (int row = 0; row < rows; ++row)
        keys.emplace_back(textToNumber(model.cellText(row, column)), row);

    // Equal keys end in the reverse of their former order, as the row-by-row rebuild leaves
    // them. Every row is ordered by its own key: the rebuild found rows by title and so
    // misplaced rows that share a title with another.
    std::sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) {
        return a.first < b.first || (a.first == b.first && a.second > b.second);
    });

    std::vector<int> order;
    order.reserve(keys.size());
    for (const auto& [key, row] : keys)
        order.push_back(row);
    model.reorderRows(order);
}
