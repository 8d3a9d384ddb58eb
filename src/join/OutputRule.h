#pragma once
// The output type follows from the media types of the list.

#include <string>
#include <vector>

#include "join/FileRow.h"
#include "join/JoinOutcome.h"

namespace velmora {

// ".mp3" for all-audio lists, ".mp4" for all-video or all-"Audio & Video"
// lists and for an empty list, ".ext" for anything that cannot be joined.
std::string outputExtension(const std::vector<FileRow>& rows);
// Whether the rows can be joined into one file: they share one media type
// that is audio, video, or audio and video.
bool isJoinableList(const std::vector<FileRow>& rows);
// Audio when every row is "Audio"; video for anything else (an empty list
// gives ".mp4", so it counts as video too).
JoinMedia joinMedia(const std::vector<FileRow>& rows);
// "Audio" or "Video", as the dialog and alert texts name them.
std::string joinMediaName(JoinMedia media);
// "Joining Audio..." or "Joining Video...".
std::string joiningTitle(JoinMedia media);

}  // namespace velmora
