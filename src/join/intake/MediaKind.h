#pragma once
// What a file holds, decided once when it enters the list, and what a list
// joins into. The list, the alerts and `list` show the kind's text.

#include <string>
#include <vector>

namespace velmora {

enum class MediaKind { audio, video, audioVideo, unknown };

// "Audio", "Video", "Audio & Video" or "Unknown".
std::string mediaKindText(MediaKind kind);
// The kind of a file with picture tracks, sound tracks, both or neither.
MediaKind mediaKindOf(bool video, bool audio);
// Whether the file has a picture: silent clips and clips with sound alike.
inline bool hasPicture(MediaKind kind)
{
    return kind == MediaKind::video || kind == MediaKind::audioVideo;
}

// What a list joins into: the texts of the dialogs and alerts follow it.
enum class JoinMedia { audio, video };

// Audio when every row is sound alone; video for anything else (an empty
// list counts as video, as its proposed name is ".mp4").
JoinMedia joinMediaOf(const std::vector<MediaKind>& kinds);
// "Audio" or "Video", as the dialog and alert texts name them.
std::string joinMediaName(JoinMedia media);

}  // namespace velmora
