#pragma once
// What a running join needs from whoever watches it: a main thread to post
// to, and the news of where the job stands and how it ended. The window
// implements it with its sheet, the command-line tool with a progress line,
// tests with a recorder.

#include <functional>

#include "join/outcome/JoinOutcome.h"
#include "join/run/JobProgress.h"

namespace velmora {

class JoinHost {
public:
    virtual ~JoinHost() = default;

    // Runs the task on the main thread, asynchronously, in posting order.
    virtual void postToMain(std::function<void()> task) = 0;

    // Main thread only, from here on.
    // Where the job stands, on every change of its status or its progress.
    virtual void jobProgressed(const JoinProgress& progress) = 0;
    // The end of the job; nothing is posted after it.
    virtual void joinFinished(const JoinOutcome& outcome) = 0;
};

}  // namespace velmora
