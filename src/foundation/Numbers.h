#pragma once
#include <cstdint>
#include <string>

namespace velmora {

// Shortest decimal text that reads back as the same double ("31.25", "1e+21",
// "inf", "nan"). With alwaysFraction a whole number keeps a ".0" ("128.0").
std::string shortestDouble(double value, bool alwaysFraction = true);

// Truncation toward zero that saturates instead of overflowing; NaN gives 0.
std::int64_t truncateToInt64(double value);

}  // namespace velmora
