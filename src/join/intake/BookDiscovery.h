#pragma once
// Books found below root folders, for joining each folder into a file of its
// own: every folder that holds media files directly is one book, and so is a
// folder whose media sit in disc subfolders ("CD1", "CD 2", "Disc 1",
// "Disk2"). A book's parts are its own media files and those of its disc
// subfolders, in natural order of their paths below the book's folder.

#include <string>
#include <vector>

namespace velmora {

class Cancellation;

struct Book {
    std::string folder;              // the root, or a folder below it, as the root was spelt
    std::string name;                // the folder's own name
    std::vector<std::string> parts;  // media files, in natural order
};

// Whether a folder's name marks one disc of a book: "CD", "Disc" or "Disk"
// in any letter case, then a number, maybe after a space, "-" or "_", and
// maybe a title after it ("CD 2 - The Return").
bool isDiscFolderName(const std::string& name);

// The books below each root (the root itself included), roots in the order
// given and the books of one root in natural order of their folders. Hidden
// files and folders are left out, a folder reached again through a link is
// read once, and the folders in `excluded` (where the joined files go) are
// not looked into. A disc folder is a part of its parent, never a book of its
// own, unless it is a root. A cancel stops the walk. Reads the file system:
// not for the main thread.
std::vector<Book> findBooks(const std::vector<std::string>& roots, const std::vector<std::string>& excluded = {},
                            const Cancellation* cancellation = nullptr);

}  // namespace velmora
