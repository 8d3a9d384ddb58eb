#pragma once
// Folders given to the intake stand for the media files inside them.

#include <string>
#include <vector>

namespace velmora {

class Cancellation;

// Replaces every folder among `paths` by the media files (by extension) in it
// and in its subfolders, in natural order of their paths below that folder:
// "Disc 1/Track 2" before "Disc 2/Track 1", "part2" before "part10". Anything
// else stays as given, in place. Hidden files and folders are left out, and a
// folder reached again through a link is read once. A cancel stops the walk;
// what was found so far is returned. Reads the file system: not for the main
// thread.
std::vector<std::string> expandFolders(const std::vector<std::string>& paths, const Cancellation* cancellation = nullptr);

}  // namespace velmora
