#pragma once
// What a running join needs from whoever shows it: a main thread to post to,
// a progress display and the news of how it ended. The window implements it
// with widgets, the command-line tool with a progress line, tests with a
// recorder.

#include <cstddef>
#include <functional>
#include <string>

#include "join/JoinOutcome.h"

namespace velmora {

// Where a running join stands.
struct JoinProgress {
    // Of all the work of the join, weighted by duration: each file's
    // normalisation counts as much as its length, and writing the output
    // counts as much as all of them together (0 to 100).
    double percent = 0.0;
    // The file being worked on, from 1: with several normalised side by side,
    // the lowest-numbered one not done yet. 0 while the output is written
    // (and all the time for a join that reads the files directly).
    size_t file = 0;
    size_t fileCount = 0;
};

class JoinHost {
public:
    virtual ~JoinHost() = default;

    // Runs the task on the main thread, asynchronously, in posting order.
    virtual void postToMain(std::function<void()> task) = 0;

    // Main thread only, from here on.
    virtual void showProgressSheet(const std::string& title, bool indeterminate) = 0;
    virtual void hideProgressSheet() = 0;
    // A determinate share of the work done.
    virtual void setProgress(const JoinProgress& progress) = 0;
    // No share can be told any more: the bar only shows that work goes on.
    virtual void setProgressIndeterminate() = 0;
    // The end of a join, after the sheet has been hidden.
    virtual void joinFinished(const JoinOutcome& outcome) = 0;
};

}  // namespace velmora
