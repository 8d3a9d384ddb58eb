#include "app/ClockText.h"

#include <cmath>

namespace velmora::app {

QString clockText(double seconds)
{
    if (!std::isfinite(seconds) || seconds < 0)
        seconds = 0;
    const long long total = std::llround(seconds);
    const long long h = total / 3600, m = (total / 60) % 60, s = total % 60;
    if (h > 0)
        return QStringLiteral("%1:%2:%3").arg(h).arg(m, 2, 10, QLatin1Char('0')).arg(s, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(m).arg(s, 2, 10, QLatin1Char('0'));
}

QString durationClockText(double seconds)
{
    if (!std::isfinite(seconds) || seconds < 0)
        seconds = 0;
    const long long tenths = std::llround(seconds * 10);
    if (tenths >= 600 || tenths % 10 == 0)
        return clockText(seconds);
    return QStringLiteral("0:%1.%2").arg(tenths / 10, 2, 10, QLatin1Char('0')).arg(tenths % 10);
}

}  // namespace velmora::app
