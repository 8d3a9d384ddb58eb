#include "join/intake/MediaKind.h"

#include <algorithm>

namespace velmora {

std::string mediaKindText(MediaKind kind)
{
    switch (kind) {
    case MediaKind::audio: return "Audio";
    case MediaKind::video: return "Video";
    case MediaKind::audioVideo: return "Audio & Video";
    case MediaKind::unknown: break;
    }
    return "Unknown";
}

MediaKind mediaKindOf(bool video, bool audio)
{
    if (video && audio)
        return MediaKind::audioVideo;
    if (video)
        return MediaKind::video;
    if (audio)
        return MediaKind::audio;
    return MediaKind::unknown;
}

JoinMedia joinMediaOf(const std::vector<MediaKind>& kinds)
{
    const bool allAudio = !kinds.empty() &&
                          std::all_of(kinds.begin(), kinds.end(), [](MediaKind k) { return k == MediaKind::audio; });
    return allAudio ? JoinMedia::audio : JoinMedia::video;
}

std::string joinMediaName(JoinMedia media)
{
    return media == JoinMedia::audio ? "Audio" : "Video";
}

}  // namespace velmora
