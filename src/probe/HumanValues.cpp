#include "probe/HumanValues.h"

#include <sys/stat.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include <QLocale>
#include <QString>

#include "foundation/Diagnostics.h"
#include "foundation/Numbers.h"

namespace velmora {
namespace {

// One attribute read of the file system; prints its failure line and gives
// nothing when the size cannot be had.
std::optional<std::uint64_t> readSize(const std::string& path)
{
    struct stat info {};
    // Links are followed: a linked song shows the size of the song, not of the link.
    if (::stat(path.c_str(), &info) != 0) {
        const int error = errno;
        diagnostic("Failed to get file attributes for local path: " + path + " with error: " + std::strerror(error));
        return std::nullopt;
    }
    if (info.st_size < 0) {
        diagnostic("Failed to get a size attribute from path: " + path);
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(info.st_size);
}

// A decimal integer as the tool writes the parts of a ratio: optional sign, digits.
std::optional<double> integerPart(std::string_view text)
{
    size_t pos = 0;
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        pos = 1;
    }
    if (pos == text.size())
        return std::nullopt;
    for (size_t i = pos; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
    }
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(text.data() + pos, text.data() + text.size(), value);
    if (ptr != text.data() + text.size() || (ec != std::errc() && ec != std::errc::result_out_of_range))
        return std::nullopt;
    return negative ? -value : value;
}

}  // namespace

std::uint64_t fileSizeBytes(const std::string& path)
{
    return readSize(path).value_or(0);
}

std::string fileSizeText(const std::string& path)
{
    const auto size = readSize(path);
    if (!size)
        return "Unknown File Size";
    const std::uint64_t bytes = *size;
    return byteCountText(bytes > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())
                             ? std::numeric_limits<std::int64_t>::max()
                             : static_cast<std::int64_t>(bytes));
}

std::string byteCountText(std::int64_t bytes)
{
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat).toStdString();
}

std::string durationText(double seconds)
{
    const long long t = truncateToInt64(seconds);
    const double fraction = std::isfinite(seconds) ? std::fmod(seconds, 1.0) : 0.0;
    const long long ms = truncateToInt64(fraction * 1000.0);
    const long long hours = t / 3600;
    const long long minutes = (t / 60) % 60;
    const long long secs = t % 60;
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%02lld:%02lld:%02lld.%.3lld", hours, minutes, secs, ms);
    return buffer;
}

std::string bitrateText(std::int64_t bitsPerSecond)
{
    return shortestDouble(static_cast<double>(bitsPerSecond) / 1000.0) + "kbps";
}

std::optional<double> frameRateValue(const std::string& ratio)
{
    const size_t slash = ratio.find('/');
    if (slash == std::string::npos)
        return std::nullopt;
    const std::string_view text(ratio);
    const auto numerator = integerPart(text.substr(0, slash));
    const auto denominator = integerPart(text.substr(slash + 1));
    if (!numerator || !denominator)
        return std::nullopt;
    return *numerator / *denominator;
}

std::optional<std::string> formatFrameRate(double rate)
{
    const QLocale locale;
    QString text = locale.toString(rate, 'f', 3);
    const QString point = locale.decimalPoint();
    const QString zero = locale.zeroDigit();
    if (std::isfinite(rate) && !point.isEmpty() && text.contains(point)) {
        while (text.endsWith(zero))
            text.chop(zero.size());
        if (text.endsWith(point))
            text.chop(point.size());
    }
    if (text.isEmpty())
        return std::nullopt;
    return text.toStdString();
}

std::optional<std::string> frameRateText(const std::string& ratio)
{
    const auto rate = frameRateValue(ratio);
    if (!rate)
        return std::nullopt;
    return formatFrameRate(*rate);
}

}  // namespace velmora
