#pragma once
// The joined file is written under a temporary name beside the output
// (".<name>.velmora-partial.<ext>", the real extension kept so the muxer is
// chosen as for the output) and renamed over the output only when the join
// succeeded. Whatever stood at the output path stays as it was until then,
// and for good when the join fails or is cancelled.

#include <string>

namespace velmora {

// ".<name>.velmora-partial.<ext>" in the output's folder.
std::string partialOutputPath(const std::string& outputPath);

class PartialOutput {
public:
    explicit PartialOutput(std::string outputPath);
    // Removes the partial file unless it was committed.
    ~PartialOutput();
    PartialOutput(const PartialOutput&) = delete;
    PartialOutput& operator=(const PartialOutput&) = delete;

    // Makes the partial file (never through a link, never over a file that
    // is there already) and locks it, so that a second join to the same
    // output cannot write over this one's. On failure `failure` says why.
    bool claim(std::string* failure);
    // The open partial file, while claimed.
    int descriptor() const { return lockFd_; }
    const std::string& path() const { return partialPath_; }
    const std::string& outputPath() const { return outputPath_; }
    // Renames the partial file over the output.
    bool commit(std::string* failure);
    void discard();

private:
    std::string outputPath_;
    std::string partialPath_;
    int lockFd_ = -1;
    bool done_ = false;
};

}  // namespace velmora
