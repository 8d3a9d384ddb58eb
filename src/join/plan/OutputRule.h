#pragma once
// The output type follows from the media kinds of the list.

#include <string>
#include <vector>

#include "join/intake/FileRow.h"
#include "join/intake/MediaKind.h"

namespace velmora {

// ".mp3" for a list of sound files, ".mp4" for a list of clips (with sound
// or silent, in any mix) and for an empty list, ".ext" for anything that
// cannot be joined.
std::string outputExtension(const std::vector<FileRow>& rows);
// Whether the rows can be joined into one file: all sound files, or all
// clips.
bool isJoinableList(const std::vector<FileRow>& rows);
// What the rows join into.
JoinMedia joinMedia(const std::vector<FileRow>& rows);
// "Joining Audio..." or "Joining Video...".
std::string joiningTitle(JoinMedia media);

}  // namespace velmora
