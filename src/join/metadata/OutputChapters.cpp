#include "join/metadata/OutputChapters.h"

#include <algorithm>
#include <cmath>

namespace velmora {
namespace {

double usableLength(double seconds)
{
    return std::isfinite(seconds) && seconds > 0.0 ? seconds : 0.0;
}

}  // namespace

std::vector<double> rowStartTimes(const std::vector<double>& durations)
{
    std::vector<double> starts;
    starts.reserve(durations.size());
    double position = 0.0;
    for (double duration : durations) {
        starts.push_back(position);
        position += usableLength(duration);
    }
    return starts;
}

std::vector<OutputChapter> outputChapters(const std::vector<RowMetadata>& rows, const std::vector<double>& durations)
{
    std::vector<OutputChapter> chapters;
    if (rows.size() != durations.size())
        return chapters;
    const std::vector<double> starts = rowStartTimes(durations);
    for (size_t i = 0; i < rows.size(); ++i) {
        const double rowStart = starts[i];
        const double rowEnd = rowStart + usableLength(durations[i]);
        if (rowEnd <= rowStart)
            continue;
        const std::string title = rowTitle(rows[i]);
        const std::string artist = rows[i].tag("artist").value_or("");

        std::vector<OutputChapter> inner;
        for (const SourceChapter& own : rows[i].chapters) {
            const double start = std::clamp(rowStart + own.start, rowStart, rowEnd);
            const double end = std::clamp(rowStart + own.end, rowStart, rowEnd);
            if (end > start)
                inner.push_back({start, end, own.title.empty() ? title : own.title, artist, i});
        }
        if (inner.empty()) {
            chapters.push_back({rowStart, rowEnd, title, artist, i});
            continue;
        }
        std::stable_sort(inner.begin(), inner.end(),
                         [](const OutputChapter& a, const OutputChapter& b) { return a.start < b.start; });
        inner.front().start = rowStart;
        inner.back().end = rowEnd;
        chapters.insert(chapters.end(), inner.begin(), inner.end());
    }
    return chapters;
}

size_t capChapterTitles(std::vector<OutputChapter>& chapters)
{
    size_t cut = 0;
    for (OutputChapter& chapter : chapters) {
        // Characters are counted as UTF-8 lead bytes: continuation bytes
        // (10xxxxxx) belong to the character before them.
        size_t characters = 0;
        for (size_t i = 0; i < chapter.title.size(); ++i) {
            if ((static_cast<unsigned char>(chapter.title[i]) & 0xC0) == 0x80)
                continue;
            if (++characters > kChapterTitleLimit) {
                chapter.title.resize(i);
                ++cut;
                break;
            }
        }
    }
    return cut;
}

}  // namespace velmora
