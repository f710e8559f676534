#pragma once

#include <cstdint>
#include <vector>

// A counted sequence of bytes (HTTP bodies, UTF-16 arrays); unlike a text it may hold zeros.
using ByteArray = std::vector<std::uint8_t>;
