#include "join/intake/Playlist.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <QByteArray>

#include "foundation/Paths.h"

namespace velmora {
namespace {

// A playlist is a few kilobytes; anything past this is not one.
constexpr size_t kMaxPlaylistBytes = 64 * 1024 * 1024;

std::string trimmed(std::string line)
{
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.pop_back();
    size_t start = 0;
    while (start < line.size() && (line[start] == ' ' || line[start] == '\t'))
        ++start;
    return line.substr(start);
}

}  // namespace

std::vector<std::string> playlistEntries(const std::string& text, const std::string& folder)
{
    std::vector<std::string> paths;
    size_t start = 0;
    // A byte-order mark may open an M3U8 file.
    if (text.rfind("\xEF\xBB\xBF", 0) == 0)
        start = 3;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = trimmed(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == '#')
            continue;
        std::string path = line;
        if (line.rfind("file://", 0) == 0) {
            // Percent-decoded bytes, not a QString: the name need not be UTF-8.
            path = QByteArray::fromPercentEncoding(QByteArray::fromStdString(line.substr(7))).toStdString();
            if (path.rfind("localhost/", 0) == 0)
                path.erase(0, 9);
        }
        if (path.empty())
            continue;
        paths.push_back(path.front() == '/' ? path : folder + "/" + path);
    }
    return paths;
}

PlaylistEntries readPlaylist(const std::string& path)
{
    PlaylistEntries result;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        result.error = "cannot read " + path + ": " + std::strerror(errno);
        return result;
    }
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            result.error = "cannot read " + path + ": " + std::strerror(errno);
            break;
        }
        if (got == 0)
            break;
        text.append(buffer, static_cast<size_t>(got));
        if (text.size() > kMaxPlaylistBytes) {
            result.error = path + " is too large for a playlist";
            break;
        }
    }
    ::close(fd);
    if (result.error)
        return result;
    result.paths = playlistEntries(text, parentDirectory(absolutePath(path)));
    return result;
}

bool isPlaylistPath(const std::string& path)
{
    const std::string extension = lowerExtension(path);
    return extension == "m3u" || extension == "m3u8";
}

std::vector<std::string> expandPlaylists(const std::vector<std::string>& paths)
{
    std::vector<std::string> expanded;
    for (const std::string& path : paths) {
        const PlaylistEntries entries = isPlaylistPath(path) ? readPlaylist(path) : PlaylistEntries{{}, "not a playlist"};
        if (entries.error)
            expanded.push_back(path);
        else
            expanded.insert(expanded.end(), entries.paths.begin(), entries.paths.end());
    }
    return expanded;
}

}  // namespace velmora
