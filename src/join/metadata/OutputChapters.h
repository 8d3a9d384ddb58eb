#pragma once
// The chapter marks of the joined file: one per row in list order, or the
// row's own chapters moved to where the row lands.

#include <string>
#include <vector>

#include "join/intake/RowMetadata.h"

namespace velmora {

struct OutputChapter {
    double start = 0.0;  // seconds from the start of the joined file
    double end = 0.0;
    std::string title;
    std::string artist;  // the row's own artist tag, empty when it has none
    size_t row = 0;      // the row it belongs to
    bool operator==(const OutputChapter&) const = default;
};

// Where each row starts in the joined file, given how long each row is once
// it lands there.
std::vector<double> rowStartTimes(const std::vector<double>& durations);

// One chapter per row from its start to the next row's start, titled by
// rowTitle. A row with chapters of its own keeps them instead, shifted to
// the row's start and cut to its span (empty ones dropped); the first of
// them begins at the row's start and the last ends at its end, so every row
// boundary is a chapter mark. An untitled inner chapter takes the row's title.
// `durations` holds each row's exact length in the output (negative or
// non-finite lengths count as zero, and a row of no length gets no chapter);
// nothing comes back when the counts differ.
std::vector<OutputChapter> outputChapters(const std::vector<RowMetadata>& rows, const std::vector<double>& durations);

// The longest chapter title, in characters, that every chapter format keeps
// (an MP3's chapter frames vanish with a title of some kilobytes).
inline constexpr size_t kChapterTitleLimit = 255;
// Cuts longer titles to the limit, at a character boundary; how many were cut.
size_t capChapterTitles(std::vector<OutputChapter>& chapters);

}  // namespace velmora
