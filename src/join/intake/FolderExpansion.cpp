#include "join/intake/FolderExpansion.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <set>
#include <utility>

#include "foundation/Cancellation.h"
#include "join/intake/MediaFiles.h"
#include "join/intake/NaturalOrder.h"

namespace velmora {
namespace {

// Deeper than any music or audiobook collection; a bound against odd trees.
constexpr int kMaximumDepth = 32;

using FolderId = std::pair<dev_t, ino_t>;

bool isFolder(const std::string& path, FolderId* id = nullptr)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    if (id)
        *id = {info.st_dev, info.st_ino};
    return true;
}

bool isRegularFile(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Collects the media files below `folder` as paths relative to the folder
// the user gave (`prefix` is this folder's part of them).
void collect(const std::string& folder, const std::string& prefix, int depth, std::set<FolderId>& seen,
             const Cancellation* cancellation, std::vector<std::string>& found)
{
    FolderId id;
    if (depth > kMaximumDepth || !isFolder(folder, &id) || !seen.insert(id).second)
        return;
    if (cancellation && cancellation->isCancelled())
        return;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.')
            names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    for (const std::string& name : names) {
        const std::string path = folder + "/" + name;
        if (isFolder(path))
            collect(path, prefix + name + "/", depth + 1, seen, cancellation, found);
        else if (hasMediaFileExtension(name) && isRegularFile(path))
            found.push_back(prefix + name);
    }
}

}  // namespace

std::vector<std::string> expandFolders(const std::vector<std::string>& paths, const Cancellation* cancellation)
{
    std::vector<std::string> result;
    for (const std::string& path : paths) {
        if (!isFolder(path)) {
            result.push_back(path);
            continue;
        }
        std::string folder = path;
        while (folder.size() > 1 && folder.back() == '/')
            folder.pop_back();
        std::set<FolderId> seen;
        std::vector<std::string> found;
        collect(folder, {}, 0, seen, cancellation, found);
        std::sort(found.begin(), found.end(), naturalPathLess);
        const std::string base = folder == "/" ? std::string() : folder;
        for (const std::string& relative : found)
            result.push_back(base + "/" + relative);
    }
    return result;
}

}  // namespace velmora
