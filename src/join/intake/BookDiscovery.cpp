#include "join/intake/BookDiscovery.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <regex>
#include <set>
#include <utility>

#include "foundation/Cancellation.h"
#include "foundation/Paths.h"
#include "join/intake/MediaFiles.h"
#include "join/intake/NaturalOrder.h"

namespace velmora {
namespace {

// Deeper than any audiobook collection; a bound against odd trees.
constexpr int kMaximumDepth = 32;

using FolderId = std::pair<dev_t, ino_t>;

bool folderId(const std::string& path, FolderId* id)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    *id = {info.st_dev, info.st_ino};
    return true;
}

bool isRegularFile(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

struct FolderEntries {
    std::vector<std::string> mediaFiles;  // names, in natural order
    std::vector<std::string> folders;     // names, in natural order
};

FolderEntries readFolder(const std::string& folder)
{
    FolderEntries entries;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return entries;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.front() == '.')
            continue;
        const std::string path = folder + "/" + name;
        FolderId id;
        if (folderId(path, &id))
            entries.folders.push_back(name);
        else if (hasMediaFileExtension(name) && isRegularFile(path))
            entries.mediaFiles.push_back(name);
    }
    ::closedir(dir);
    std::sort(entries.mediaFiles.begin(), entries.mediaFiles.end(), naturalLess);
    std::sort(entries.folders.begin(), entries.folders.end(), naturalLess);
    return entries;
}

struct Walk {
    std::set<FolderId> seen;
    const Cancellation* cancellation = nullptr;
    std::vector<Book> books;
};

void visit(const std::string& folder, int depth, Walk& walk)
{
    FolderId id;
    if (depth > kMaximumDepth || !folderId(folder, &id) || !walk.seen.insert(id).second)
        return;
    if (walk.cancellation && walk.cancellation->isCancelled())
        return;
    const FolderEntries entries = readFolder(folder);
    std::vector<std::string> relativeParts = entries.mediaFiles;
    std::vector<std::string> otherFolders;
    for (const std::string& name : entries.folders) {
        FolderId discId;
        const std::string path = folder + "/" + name;
        if (isDiscFolderName(name) && folderId(path, &discId) && !walk.seen.count(discId)) {
            const FolderEntries disc = readFolder(path);
            if (!disc.mediaFiles.empty()) {
                walk.seen.insert(discId);
                for (const std::string& file : disc.mediaFiles)
                    relativeParts.push_back(name + "/" + file);
                // Whatever else a disc folder holds is looked into as usual.
                for (const std::string& sub : disc.folders)
                    otherFolders.push_back(name + "/" + sub);
                continue;
            }
        }
        otherFolders.push_back(name);
    }
    if (!relativeParts.empty()) {
        std::sort(relativeParts.begin(), relativeParts.end(), naturalPathLess);
        Book book{folder, lastPathComponent(folder), {}};
        for (const std::string& part : relativeParts)
            book.parts.push_back(folder + "/" + part);
        walk.books.push_back(std::move(book));
    }
    for (const std::string& name : otherFolders)
        visit(folder + "/" + name, depth + 1, walk);
}

}  // namespace

bool isDiscFolderName(const std::string& name)
{
    static const std::regex pattern(R"(^(cd|disc|disk)[ _-]?[0-9]+([ _.-].*)?$)", std::regex::icase);
    return std::regex_match(name, pattern);
}

std::vector<Book> findBooks(const std::vector<std::string>& roots, const std::vector<std::string>& excluded,
                            const Cancellation* cancellation)
{
    std::vector<Book> books;
    for (const std::string& root : roots) {
        Walk walk;
        walk.cancellation = cancellation;
        for (const std::string& folder : excluded) {
            FolderId id;
            if (folderId(folder, &id))
                walk.seen.insert(id);
        }
        std::string folder = root;
        while (folder.size() > 1 && folder.back() == '/')
            folder.pop_back();
        visit(folder, 0, walk);
        books.insert(books.end(), std::make_move_iterator(walk.books.begin()),
                     std::make_move_iterator(walk.books.end()));
    }
    return books;
}

}  // namespace velmora
