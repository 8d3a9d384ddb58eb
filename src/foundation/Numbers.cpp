#include "foundation/Numbers.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace velmora {

std::string shortestDouble(double value, bool alwaysFraction)
{
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value > 0 ? "inf" : "-inf";
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, ec == std::errc() ? end : buffer);
    if (alwaysFraction && text.find_first_of(".e") == std::string::npos)
        text += ".0";
    return text;
}

std::int64_t truncateToInt64(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 9223372036854775807.0)
        return std::numeric_limits<std::int64_t>::max();
    if (value <= -9223372036854775808.0)
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(value);
}

}  // namespace velmora
