#include "foundation/ClockText.h"

#include <cmath>
#include <cstdio>

namespace velmora {

std::string clockText(double seconds)
{
    if (!std::isfinite(seconds) || seconds < 0)
        seconds = 0;
    const long long total = std::llround(seconds);
    const long long h = total / 3600, m = (total / 60) % 60, s = total % 60;
    char text[48];
    if (h > 0)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", h, m, s);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", m, s);
    return text;
}

std::string durationClockText(double seconds)
{
    if (!std::isfinite(seconds) || seconds < 0)
        seconds = 0;
    const long long tenths = std::llround(seconds * 10);
    if (tenths >= 600 || tenths % 10 == 0)
        return clockText(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "0:%02lld.%lld", tenths / 10, tenths % 10);
    return text;
}

}  // namespace velmora
