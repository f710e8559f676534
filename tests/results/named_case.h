#pragma once

#include <ostream>
#include <string>

// Every row of a test table carries a unique name. It names the generated test and stands in
// for the row when GoogleTest prints a failure; bring PrintTo into the test file's namespace
// with a using-declaration so that argument-dependent lookup finds it.
namespace namedCase {

template <typename Case>
requires requires(const Case& row) {
    std::string(row.name);
}
void PrintTo(const Case& row, std::ostream* out) {
    *out << row.name;
}

inline constexpr auto testName = [](const auto& info) { return std::string(info.param.name); };

} // namespace namedCase
