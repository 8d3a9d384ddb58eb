#pragma once
// A CUE sheet beside a joined file, for containers that hold no chapters:
// one track per chapter, its start at 75 frames per second.

#include <string>
#include <vector>

#include "join/metadata/AlbumMetadata.h"
#include "join/metadata/OutputChapters.h"

namespace velmora {

// "mm:ss:ff", rounded to the nearest frame (minutes may pass 99).
std::string cueTime(double seconds);
// The FILE line's type for an audio file name: "MP3", "AIFF", else "WAVE".
std::string cueFileType(const std::string& fileName);

// The sheet for the joined file `audioFileName` (a name beside the sheet):
// REM GENRE and REM DATE when the album has them, PERFORMER (artist, else
// album artist) and TITLE of the album, then one TRACK per chapter with its
// TITLE, a PERFORMER when the row's own artist differs, and INDEX 01. Quotes
// in texts become apostrophes and line breaks spaces, since the format has no
// escapes; the FILE line keeps the file's name as it is, quotes too, which
// not every reader accepts. Track numbers go on past 99, likewise.
std::string cueSheetText(const std::string& audioFileName, const AlbumMetadata& album,
                         const std::vector<OutputChapter>& chapters);
// The sheet's FILE line (a line that starts with "FILE "), without its line
// end; empty when there is none.
std::string cueFileLine(const std::string& sheet);

}  // namespace velmora
