#pragma once
// File-system operations on paths as the kernel holds them: byte strings.
// Qt's file classes (QFile, QSaveFile, QDir, QFileInfo) take a QString, and
// converting a name to QString turns bytes that are not valid UTF-8 into
// U+FFFD, so a file called "bad\xff.mp3" would be looked for, written or
// removed under another name. Wherever a path may come from the user or the
// environment, these POSIX calls are used instead.

#include <string>
#include <string_view>

namespace velmora {

// The current folder (getcwd), or "." when it cannot be read.
std::string currentDirectory();

// Puts `bytes` at `path` all at once: written to a temporary file beside it,
// flushed to disk, then renamed over the path. An existing file is replaced
// only when the whole new one is in place. On failure the path is untouched
// and `failure` says why.
// The new file is the user's alone, or made as any new file is (0666 less the umask).
enum class FileSharing { ownerOnly, likeNewFiles };
bool writeFileAtomically(const std::string& path, std::string_view bytes, std::string* failure = nullptr,
                         FileSharing sharing = FileSharing::ownerOnly);

// Removes the path and, for a folder, everything in it. Symbolic links are
// removed, never followed. True when nothing is left at the path.
bool removeRecursively(const std::string& path);

// A real folder (not a symbolic link to one) that belongs to this user.
bool isOwnDirectory(const std::string& path);

// "strerror(errno)" for the given error number.
std::string errorText(int error);

}  // namespace velmora
