#include "app/CoverPicture.h"

#include <sys/wait.h>

#include <chrono>

#include <QFile>

#include "foundation/ChildProcess.h"
#include "foundation/Paths.h"
#include "foundation/Resources.h"

namespace velmora::app {
namespace {

// A cover is a few hundred kilobytes at most; a larger one is not shown.
constexpr qint64 kLargestPicture = 32 * 1024 * 1024;

}  // namespace

QByteArray coverPictureBytes(const CoverChoice& cover)
{
    if (cover.origin == CoverOrigin::none || cover.path.empty())
        return {};
    if (!cover.streamIndex) {
        QFile file(toQString(cover.path));
        if (!file.open(QIODevice::ReadOnly) || file.size() > kLargestPicture)
            return {};
        return file.readAll();
    }
    const std::optional<std::string> encoder = resourcePath(kCreatorToolResource);
    if (!encoder)
        return {};
    ChildProcess process(*encoder, {"-v", "error", "-nostdin", "-i", cover.path, "-map",
                                    cover.mapSpecifier(0), "-c", "copy", "-frames:v", "1", "-f", "image2pipe", "-"});
    process.setStandardOutput(ChildProcess::Output::pipe);
    process.setStandardError(ChildProcess::Output::discard);
    process.setTimeLimit(std::chrono::seconds(20));
    if (!process.start())
        return {};
    QByteArray bytes;
    process.readStandardOutput([&](const char* data, size_t size) {
        if (bytes.size() < kLargestPicture)
            bytes.append(data, static_cast<qsizetype>(size));
    });
    const int status = process.waitForExit();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || bytes.size() >= kLargestPicture)
        return {};
    return bytes;
}

}  // namespace velmora::app
