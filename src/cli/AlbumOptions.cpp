#include "cli/AlbumOptions.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "foundation/Paths.h"
#include "join/metadata/CoverArt.h"

namespace velmora::cli {
namespace {

// Why the file cannot be the cover, or nothing. Only a regular file is
// opened: reading a FIFO or a device could wait for ever.
std::optional<std::string> coverProblem(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return "--cover cannot read " + path + ": " + std::strerror(errno);
    if (S_ISDIR(info.st_mode))
        return "--cover " + path + " is a folder, not a picture";
    if (!S_ISREG(info.st_mode))
        return "--cover " + path + " is not a regular file";
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return "--cover cannot read " + path + ": " + std::strerror(errno);
    ::close(fd);
    if (pictureCodec(path).empty())
        return "--cover " + path + " is not a JPEG or PNG picture";
    return std::nullopt;
}

std::string formatText(const OutputFormat& format)
{
    return format.extension.empty() ? std::string("an output without an extension") : "." + format.extension + " output";
}

}  // namespace

std::variant<AlbumRequest, std::string> readAlbumOptions(const CommandLine& line)
{
    AlbumRequest request;
    if (line.has("--chapters") && line.has("--no-chapters"))
        return std::string("--chapters and --no-chapters exclude each other");
    if (line.has("--chapters"))
        request.chapters = true;
    else if (line.has("--no-chapters"))
        request.chapters = false;
    request.cueSheet = line.has("--cue");
    request.overrides.title = line.value("--title");
    request.overrides.artist = line.value("--artist");
    request.overrides.album = line.value("--album");
    if (const auto cover = line.value("--cover")) {
        if (const auto problem = coverProblem(*cover))
            return *problem;
        request.overrides.coverPath = absolutePath(*cover);
    }
    return request;
}

std::vector<std::string> applyAlbumRequest(const AlbumRequest& request, const std::string& outputPath, bool videoJoin,
                                           JoinOptions& options)
{
    const OutputFormat format = outputFormatOf(outputPath);
    options.chapters = request.chapters.value_or(chaptersByDefault(outputPath));
    options.cueSheet = request.cueSheet;
    options.overrides = request.overrides;
    std::vector<std::string> notes;
    // A cue sheet asked for as well holds the chapters the format cannot.
    if (request.chapters == true && chapterSupport(format) == ChapterSupport::none && !request.cueSheet)
        notes.push_back(formatText(format) + " holds no chapters; --cue writes them to a cue sheet beside it");
    if (request.overrides.coverPath) {
        if (videoJoin)
            notes.push_back("a video join takes no cover picture; --cover is left out");
        else if (coverSupport(format) == CoverSupport::none)
            notes.push_back(formatText(format) + " holds no cover picture; --cover is left out");
    }
    return notes;
}

}  // namespace velmora::cli
