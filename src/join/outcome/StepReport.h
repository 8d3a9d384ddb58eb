#pragma once
// What the tools of a join did, step by step: the facts the join is judged on.

#include <cstddef>
#include <string>
#include <vector>

namespace velmora {

// How one command of the plan went.
struct CommandRun {
    bool started = false;
    int waitStatus = -1;      // as waitpid gives it; -1 when the command never ran
    std::string failure;      // why it could not start
    std::string stderrTail;   // the last bytes the tool wrote on its error stream
};

struct RunReport {
    std::vector<CommandRun> commands;  // one per command of the plan, skipped ones included
    bool cancelled = false;
    // Why the step between the normalisations and the concat failed; the
    // concat was skipped then.
    std::string preparationFailure;
};

// How one part of a streamed join decoded.
struct PartCount {
    CommandRun decoder;
    long long frames = 0;  // samples on every channel, at the join's rate
    bool promised = false;  // taken from the file's header, not decoded
};

// How the sound of a streamed join went through the encoder.
struct StreamReport {
    CommandRun encoder;
    std::vector<PartCount> parts;  // what each part gave this time; parts never reached stay unstarted
    // The encoder stopped taking the sound before all of it was passed on:
    // the parts' decoders were stopped for that, not for a fault of theirs.
    bool encoderClosed = false;
    bool cancelled = false;
    // Some decoder gave several parts: a failure of it may not be theirs all.
    bool sharedDecoders = false;
    // The whole join ran in one process (see wholeJoinCommand), which counts
    // no part of its own: `encodedFrames` is what it says it encoded, -1
    // when it did not say.
    bool oneProcess = false;
    long long encodedFrames = -1;
};

// How much of each command's error stream is kept for the report.
inline constexpr size_t kStderrTailBytes = 8192;

}  // namespace velmora
