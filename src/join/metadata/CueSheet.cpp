#include "join/metadata/CueSheet.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "foundation/ByteText.h"
#include "foundation/Paths.h"

namespace velmora {
namespace {

// A quoted text of the sheet. Quotes inside become apostrophes, unless the
// text is a file name, which must stay as it is to find the file.
std::string cueText(const std::string& text, bool fileName = false)
{
    std::string result = "\"";
    for (char c : fileName ? text : restoreCarriedBytes(text)) {
        if (c == '"' && !fileName)
            result += '\'';
        else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            result += ' ';
        else
            result += c;
    }
    return result + "\"";
}

}  // namespace

std::string cueTime(double seconds)
{
    const long long frames = std::isfinite(seconds) && seconds > 0.0 ? std::llround(seconds * 75.0) : 0;
    char text[48];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", frames / (75 * 60), frames / 75 % 60, frames % 75);
    return text;
}

std::string cueFileType(const std::string& fileName)
{
    const std::string extension = lowerExtension(fileName);
    if (extension == "mp3")
        return "MP3";
    if (extension == "aif" || extension == "aiff" || extension == "aifc")
        return "AIFF";
    return "WAVE";
}

std::string cueSheetText(const std::string& audioFileName, const AlbumMetadata& album,
                         const std::vector<OutputChapter>& chapters)
{
    std::string text;
    for (const auto& [key, field] : {std::pair{"genre", "GENRE"}, std::pair{"date", "DATE"}})
        if (auto it = album.tags.find(key); it != album.tags.end())
            text += std::string("REM ") + field + " " + cueText(it->second) + "\n";
    std::string performer;
    if (auto it = album.tags.find("artist"); it != album.tags.end())
        performer = it->second;
    else if (auto it = album.tags.find("album_artist"); it != album.tags.end())
        performer = it->second;
    if (!performer.empty())
        text += "PERFORMER " + cueText(performer) + "\n";
    if (album.title)
        text += "TITLE " + cueText(*album.title) + "\n";
    text += "FILE " + cueText(audioFileName, true) + " " + cueFileType(audioFileName) + "\n";
    int number = 0;
    for (const OutputChapter& chapter : chapters) {
        char track[32];
        std::snprintf(track, sizeof track, "  TRACK %02d AUDIO\n", ++number);
        text += track;
        text += "    TITLE " + cueText(chapter.title) + "\n";
        if (!chapter.artist.empty() && chapter.artist != performer)
            text += "    PERFORMER " + cueText(chapter.artist) + "\n";
        text += "    INDEX 01 " + cueTime(chapter.start) + "\n";
    }
    return text;
}

std::string cueFileLine(const std::string& sheet)
{
    for (size_t start = 0; start < sheet.size();) {
        const size_t end = std::min(sheet.find('\n', start), sheet.size());
        if (sheet.compare(start, 5, "FILE ") == 0)
            return sheet.substr(start, end - start);
        start = end + 1;
    }
    return {};
}

}  // namespace velmora
