#pragma once
// The file name a book is joined into: the album its parts share, else its
// folder's name, made safe for any file system.

#include <string>
#include <vector>

#include "join/intake/RowMetadata.h"

namespace velmora {

// The text with every character a file system may refuse in a name replaced
// by "_": "/", NUL, the control characters, and \ : * ? " < > | (which
// Windows and Samba shares refuse). Spaces and dots at either end go (a name
// of dots alone would point elsewhere); an empty result is "_".
std::string safeFileName(const std::string& text);

// The common album tag of the parts, else `folderName`, made safe; without
// an extension.
std::string bookOutputName(const std::vector<RowMetadata>& parts, const std::string& folderName);

// Names made distinct, in order: a name that came before gets " (2)", " (3)"...
// Names that differ only in letter case count as the same (some file systems
// do not tell them apart).
std::vector<std::string> distinctNames(const std::vector<std::string>& names);

}  // namespace velmora
