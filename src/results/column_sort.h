#pragma once

#include <string_view>

class ResultListModel;

// The numeric key of a cell text: full-width forms mapped to ASCII, then the longest leading
// decimal number (exponent letters e, E, d, D), rounded to the nearest 32-bit float; 0 when the
// text does not begin with a number. Beyond the float range the key is +-infinity, below half
// the smallest float +-0, as rounding to nearest gives.
float textToNumber(std::string_view text);

// Orders every row ascending by textToNumber of its cell in column; rows with equal keys end in
// the reverse of their order before the call. Rows move whole; no row is selected afterwards.
// A column that does not exist reads as empty cells, so every key is 0 and the order reverses.
void sortByColumn(ResultListModel& model, int column);
