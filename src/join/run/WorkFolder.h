#pragma once
// Where joins keep their intermediate files. Every join gets a run folder of
// its own, made with mkdtemp inside the per-user folder
// ($TMPDIR/velmora-<uid>/run-XXXXXX), so joins running at the same time never
// touch each other's files. The run folder holds a lock file, held with flock
// while the join runs, and the work directory "delete" with the intermediates
// and the concat list. It is removed when the join ends; a run folder whose
// lock nobody holds (its join crashed) is removed when the next one starts,
// and with it the partial output that join recorded (see recordPartial).

#include <memory>
#include <optional>
#include <string>

namespace velmora {

// The system's temporary folder: $TMPDIR when it names a folder we may write
// in, otherwise /tmp; never the file-system root.
std::string systemTemporaryDirectory();
// The per-user folder inside it, ending in "/", made private (0700) on first
// use. Nothing when that place is a symbolic link, or not a folder of ours.
std::optional<std::string> userTemporaryDirectory();

class RunFolder {
public:
    // Makes a private run folder with its work directory, after removing the
    // run folders nobody holds any more. When the per-user folder cannot be
    // used, a private folder made beside it stands in for the run folder.
    // Nothing, and `failure` says why, when no private folder can be made.
    static std::unique_ptr<RunFolder> create(std::string* failure = nullptr);
    // Removes the folder with everything in it.
    ~RunFolder();
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;

    const std::string& path() const { return path_; }
    // The folder "delete" inside the run folder.
    std::string workDirectory() const { return path_ + "/delete"; }
    // Notes that this run writes the partial output open as `fd` at `path`,
    // so that a later run removes it should this one die before it does.
    // Only the very file noted (its device and inode) is ever removed; a run
    // that writes several files beside the output notes each one.
    bool recordPartial(const std::string& path, int fd, std::string* failure = nullptr);

private:
    RunFolder(std::string path, int lockFd) : path_(std::move(path)), lockFd_(lockFd) {}

    std::string path_;
    int lockFd_ = -1;
};

}  // namespace velmora
