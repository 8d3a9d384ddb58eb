#include "join/plan/OutputSize.h"

#include <sys/statvfs.h>

#include <QLocale>

#include "foundation/Paths.h"

namespace velmora {

std::uint64_t estimatedOutputBytes(const OutputFormat& format, const AudioForm& form, const QualitySettings& quality,
                                   double seconds)
{
    const QualitySettings q = sanitised(quality);
    double bitsPerSecond = 0.0;
    switch (format.encoder) {
    case AudioEncoder::mp3: bitsPerSecond = (q.mp3Bitrate > 0 ? q.mp3Bitrate : 320) * 1000.0; break;
    case AudioEncoder::aac: bitsPerSecond = q.aacBitrate * 1000.0 * std::max(1, form.channels / 2); break;
    case AudioEncoder::opus: bitsPerSecond = q.opusBitrate * 1000.0 * std::max(1, form.channels / 2); break;
    default:
        // PCM at the kept depth (FLAC compresses, but a noisy part barely does).
        bitsPerSecond = static_cast<double>(form.sampleRate) * form.channels * (form.bits > 16 ? 32 : 16);
        break;
    }
    constexpr double kOverhead = 1.02;  // container and index
    return static_cast<std::uint64_t>(bitsPerSecond / 8.0 * std::max(seconds, 0.0) * kOverhead) + (1u << 20);
}

std::optional<std::string> spaceProblem(const std::string& outputPath, std::uint64_t neededBytes)
{
    const std::string folder = parentDirectory(outputPath);
    struct statvfs fs {};
    if (::statvfs(folder.c_str(), &fs) != 0)
        return std::nullopt;
    const std::uint64_t free = static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize;
    if (free >= neededBytes)
        return std::nullopt;
    const QLocale locale = QLocale::system();
    return "The joined file needs about " +
           locale.formattedDataSize(static_cast<qint64>(neededBytes), 1, QLocale::DataSizeTraditionalFormat).toStdString() +
           ", but only " +
           locale.formattedDataSize(static_cast<qint64>(free), 1, QLocale::DataSizeTraditionalFormat).toStdString() +
           " is free in " + folder + ". Free some space there, or choose another folder.";
}

}  // namespace velmora
