#pragma once
// Whether a join that ran to its end made a good file.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "join/intake/FileRow.h"
#include "join/outcome/JoinOutcome.h"
#include "join/outcome/StepReport.h"

namespace velmora {

class Cancellation;
class FileProbe;

// Decides how a join that was not cancelled ended. It succeeded when every
// command ran, exited with status 0 and finished writing its file, and the
// file the concat wrote (`writtenPath`, or else the output path) probes as
// valid media whose duration is the rows' total within max(0.5 s, 1 %, 0.1 s
// per row). Rows of unknown or zero duration only ask that the file is not
// shorter than the known rows together. A failed outcome says which step
// failed and how, and carries the last lines that step's tool wrote.
JoinOutcome judgeJoin(const std::string& outputPath, const RunReport& run, const std::vector<FileRow>& rows,
                      const std::string& writtenPath = {}, Cancellation* cancellation = nullptr);
// Whether every part of a streamed join decoded, counted before the encode:
// a part that ended with an error, gave no sound, or decodes well short of
// its declared length (cut short or damaged) is named. Nothing when all are good.
std::optional<JoinOutcome> checkPartCounts(const std::string& outputPath, const std::vector<FileRow>& rows,
                                           const std::vector<PartCount>& counts, int sampleRate);

// Decides how a streamed join that was not cancelled ended: every part gave
// again what it gave when counted, the encoder ran and finished its file,
// and the file holds the parts' samples, counted from its packets (not its
// header): within the encoder's delay and two of its frames for a lossy
// format, to the sample for a lossless one. A file that holds less names
// the part where it ends.
JoinOutcome judgeStreamedJoin(const std::string& outputPath, const std::vector<FileRow>& rows,
                              const std::vector<PartCount>& counts, const StreamReport& run, int sampleRate,
                              const std::string& writtenPath, Cancellation* cancellation = nullptr);

// Seconds of sound the file's first audio stream holds, summed from its
// packets; nothing when it cannot be read.
std::optional<double> heldSeconds(const std::string& path, Cancellation* cancellation = nullptr);

// Probes the joined file (written at `path`, to be named `outputPath`) into
// `probe`, and returns the seconds of sound its first audio stream's packets
// really hold, read from the data rather than the header; nothing when they
// cannot be read.
std::optional<double> probeHeldSound(const std::string& path, const std::string& outputPath,
                                     Cancellation* cancellation, FileProbe& probe);

// The packets of a file's first audio stream: how many, and how long they
// last together in seconds (an MP4 file's from its sample table).
struct PacketSpan {
    long long packets = 0;
    double seconds = 0.0;
    // The longest packet's length: one frame of the codec.
    double frameSeconds = 0.0;
};
std::optional<PacketSpan> packetSpan(const std::string& path, Cancellation* cancellation = nullptr);

// Whether the muxer says, in this piece of its messages, that it moved a
// packet that went back in time: it still exits with 0, but the file's
// timing is wrong.
bool mendsTimestamps(std::string_view messages);

// Decides how a copy join that was not cancelled ended: the copy ran and
// finished its file without the muxer mending timestamps (`timingMended`:
// parts whose timing overlaps), and the file's packets last as long as the
// parts' together, within one frame per part.
JoinOutcome judgeCopiedJoin(const std::string& outputPath, const std::vector<FileRow>& rows,
                            const std::vector<PacketSpan>& parts, const CommandRun& copy, bool timingMended,
                            const std::string& writtenPath, Cancellation* cancellation = nullptr);

// The reason of a failed outcome with the tool's last lines, for an alert's
// details or a terminal.
std::string failureDetails(const JoinOutcome& outcome);

}  // namespace velmora
