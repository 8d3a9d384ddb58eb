#include "join/metadata/FfMetadata.h"

#include <cmath>
#include <cstdio>

#include "foundation/ByteText.h"

namespace velmora {
namespace {

long long milliseconds(double seconds)
{
    return std::isfinite(seconds) && seconds > 0.0 ? std::llround(seconds * 1000.0) : 0;
}

void appendTag(std::string& text, std::string_view key, std::string_view value)
{
    // Bytes of the inputs' tags that are not UTF-8 go back as they were.
    text += escapeFfmetadata(restoreCarriedBytes(key));
    text += '=';
    text += escapeFfmetadata(restoreCarriedBytes(value));
    text += '\n';
}

}  // namespace

std::string escapeFfmetadata(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        if (c == '\0')
            continue;
        if (c == '=' || c == ';' || c == '#' || c == '\\' || c == '\n' || c == '\r')
            escaped += '\\';
        escaped += c;
    }
    // ffmpeg's reader takes any backslash before a line end as an escape, an
    // escaped backslash too, and would run this line into the next one. A NUL
    // after it ends the value where it is: the reader keeps the NUL in the
    // line, and reads the line as a C string.
    if (!escaped.empty() && escaped.back() == '\\')
        escaped += '\0';
    return escaped;
}

std::string ffmetadataText(const AlbumMetadata& album, const std::vector<OutputChapter>& chapters)
{
    std::string text = ";FFMETADATA1\n";
    if (album.title)
        appendTag(text, "title", *album.title);
    for (const auto& [key, value] : album.tags)
        if (key != "title")
            appendTag(text, key, value);
    for (const OutputChapter& chapter : chapters) {
        const long long start = milliseconds(chapter.start), end = milliseconds(chapter.end);
        if (end <= start)
            continue;
        text += "[CHAPTER]\nTIMEBASE=1/1000\nSTART=" + std::to_string(start) + "\nEND=" + std::to_string(end) + "\n";
        appendTag(text, "title", chapter.title);
    }
    return text;
}

std::map<std::string, std::string> vorbisChapterTags(const std::vector<OutputChapter>& chapters)
{
    std::map<std::string, std::string> tags;
    int number = 0;
    for (const OutputChapter& chapter : chapters) {
        const long long start = milliseconds(chapter.start);
        if (milliseconds(chapter.end) <= start)
            continue;
        char key[32], time[48];
        std::snprintf(key, sizeof key, "CHAPTER%03d", number++);
        std::snprintf(time, sizeof time, "%02lld:%02lld:%02lld.%03lld", start / 3600000, start / 60000 % 60,
                      start / 1000 % 60, start % 1000);
        tags[key] = time;
        tags[std::string(key) + "NAME"] = chapter.title;
    }
    return tags;
}

}  // namespace velmora
