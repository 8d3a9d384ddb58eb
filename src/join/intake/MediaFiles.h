#pragma once
// The media files the intake knows by name: the MIME types the desktop entry
// offers Velmora for, each with its usual file name extensions. The file
// dialogs filter by these extensions, and a dropped folder gives up the files
// that carry one of them.

#include <string>
#include <vector>

namespace velmora {

struct MediaFileType {
    std::string mimeType;
    std::vector<std::string> extensions;  // lower case, without the dot
};

// In the order of the desktop entry's MimeType list.
const std::vector<MediaFileType>& mediaFileTypes();
// Every extension of the table once, in table order.
const std::vector<std::string>& mediaFileExtensions();
// Whether the file name ends in one of those extensions, in any letter case.
bool hasMediaFileExtension(const std::string& path);

}  // namespace velmora
