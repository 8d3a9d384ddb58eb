#include "join/intake/PlaylistWriter.h"

#include <cmath>

#include <QSaveFile>

#include "foundation/Paths.h"

namespace velmora {
namespace {

std::vector<std::string> components(const std::string& path)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string part = path.substr(start, end - start);
        if (!part.empty() && part != ".")
            parts.push_back(part);
        start = end + 1;
    }
    return parts;
}

// A title on one line; the comma after the seconds is the only separator.
std::string oneLine(std::string text)
{
    for (char& c : text) {
        if (c == '\n' || c == '\r')
            c = ' ';
    }
    return text;
}

}  // namespace

std::string playlistRelativePath(const std::string& path, const std::string& folder)
{
    const std::vector<std::string> target = components(path), base = components(folder);
    size_t shared = 0;
    while (shared < target.size() && shared < base.size() && target[shared] == base[shared])
        ++shared;
    // Only "/" in common: a path of "../" all the way up says nothing a reader
    // could keep when the playlist moves.
    if (shared == 0 || shared == target.size())
        return path;
    std::string relative;
    for (size_t i = shared; i < base.size(); ++i)
        relative += "../";
    for (size_t i = shared; i < target.size(); ++i)
        relative += target[i] + (i + 1 < target.size() ? "/" : "");
    return relative;
}

std::string m3u8Text(const std::vector<PlaylistItem>& items, const std::string& playlistPath)
{
    const std::string folder = parentDirectory(playlistPath);
    std::string text = "#EXTM3U\n";
    for (const PlaylistItem& item : items) {
        const long seconds = std::isfinite(item.seconds) && item.seconds > 0 ? std::lround(item.seconds) : -1;
        text += "#EXTINF:" + std::to_string(seconds) + "," + oneLine(item.title) + "\n";
        text += playlistRelativePath(item.path, folder) + "\n";
    }
    return text;
}

std::optional<std::string> writeM3u8(const std::vector<PlaylistItem>& items, const std::string& playlistPath)
{
    QSaveFile file(toQString(playlistPath));
    const std::string text = m3u8Text(items, playlistPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), static_cast<qint64>(text.size())) < 0 ||
        !file.commit())
        return "cannot write " + playlistPath + ": " + file.errorString().toStdString();
    return std::nullopt;
}

}  // namespace velmora
