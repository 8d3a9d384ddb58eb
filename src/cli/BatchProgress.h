#pragma once
// The batch's progress on a terminal: one line for each book being joined
// (its name, percent and time left), kept together at the bottom of the
// screen; a book that ends leaves one line above them saying how it ended.
// Main thread only. Draws nothing when not shown.

#include <cstdio>
#include <map>
#include <string>

#include "join/run/JobProgress.h"

namespace velmora::cli {

class BatchProgress {
public:
    BatchProgress(bool shown, FILE* stream = stderr);

    void update(size_t book, const std::string& name, const JoinProgress& progress);
    // The book's line goes, and `line` is written above the others.
    void finish(size_t book, const std::string& line);

    // One book's line: "NAME  42.0%  left ~1:05".
    static std::string progressLine(const std::string& name, const JoinProgress& progress);

private:
    void redraw(const std::string& finished);

    bool shown_;
    FILE* stream_;
    std::map<size_t, std::string> lines_;  // the running books' lines, in book order
    size_t drawn_ = 0;                     // lines on the screen below the finished ones
};

}  // namespace velmora::cli
