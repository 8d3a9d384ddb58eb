#pragma once
// The table the batch ends with: one row per book.

#include <string>
#include <vector>

namespace velmora::cli {

struct BookSummary {
    std::string output;    // the output's file name
    std::string duration;  // as a clock reads it; empty when there is no output
    std::string chapters;  // how many the output holds; empty when there is no output
    std::string status;    // "done", "skipped", "failed", "cancelled"
    std::string reason;    // why it was skipped or failed
};

// Columns Output, Duration, Chapters, Status and Reason, lined up with
// spaces (counted in characters, not bytes), "-" in empty cells.
std::string summaryTable(const std::vector<BookSummary>& books);

}  // namespace velmora::cli
