// Chapter marks of the joined file from the rows, their lengths in the
// output and the chapters the rows bring with them.
#include <gtest/gtest.h>

#include "join/metadata/OutputChapters.h"

using namespace velmora;
using Chapters = std::vector<OutputChapter>;

namespace {

RowMetadata row(const std::string& fileName, std::map<std::string, std::string> tags = {},
                std::vector<SourceChapter> chapters = {})
{
    RowMetadata metadata;
    metadata.fileName = fileName;
    metadata.tags = std::move(tags);
    metadata.chapters = std::move(chapters);
    return metadata;
}

}  // namespace

TEST(OutputChapters, OneChapterPerRowOrTheRowsOwn)
{
    const RowMetadata plain = row("01 Intro.mp3");
    const RowMetadata titled = row("x.flac", {{"title", "Song"}, {"artist", "Ann"}});
    const RowMetadata book = row("part2.m4b", {{"title", "Part Two"}},
                                 {{0.0, 30.0, "Chapter 3"}, {30.0, 70.0, ""}, {70.0, 95.0, "Chapter 5"}});
    const RowMetadata late = row("late.m4b", {}, {{2.0, 5.0, "A"}, {5.0, 8.0, "B"}, {9.0, 14.0, "C"}, {12.0, 14.0, "D"}});
    const RowMetadata beyond = row("beyond.m4a", {}, {{50.0, 60.0, "Past the end"}});
    RowMetadata renamed = titled;  // the title the user typed in the list wins over the tag
    renamed.chapterTitle = "My Song";

    const std::vector<std::tuple<std::vector<RowMetadata>, std::vector<double>, Chapters>> cases{
        {{plain, titled, plain},
         {61.5, 0.9933, 10.0},
         {{0.0, 61.5, "01 Intro", "", 0}, {61.5, 62.4933, "Song", "Ann", 1}, {62.4933, 72.4933, "01 Intro", "", 2}}},
        // Inner chapters move to the row's start; the untitled one takes the row's title.
        {{plain, book},
         {10.0, 90.0},
         {{0.0, 10.0, "01 Intro", "", 0},
          {10.0, 40.0, "Chapter 3", "", 1},
          {40.0, 80.0, "Part Two", "", 1},
          {80.0, 100.0, "Chapter 5", "", 1}}},  // cut at the row's end, though the file said 95
        // The row's edges are chapter marks even when its own chapters leave them out; a gap
        // between its chapters stays, and chapters past its end are dropped.
        {{late, plain},
         {10.0, 5.0},
         {{0.0, 5.0, "A", "", 0}, {5.0, 8.0, "B", "", 0}, {9.0, 10.0, "C", "", 0}, {10.0, 15.0, "01 Intro", "", 1}}},
        {{renamed, plain}, {1.0, 2.0}, {{0.0, 1.0, "My Song", "Ann", 0}, {1.0, 3.0, "01 Intro", "", 1}}},
        // Nothing of its own left inside the row: one chapter as for any row.
        {{beyond}, {20.0}, {{0.0, 20.0, "beyond", "", 0}}},
        // Rows of no length get no chapter and take no room.
        {{plain, titled, plain}, {5.0, 0.0, -1.0}, {{0.0, 5.0, "01 Intro", "", 0}}},
        {{plain, titled}, {5.0, std::nan(""), }, {{0.0, 5.0, "01 Intro", "", 0}}},
        // Lengths and rows must match.
        {{plain, titled}, {5.0}, {}},
    };
    for (const auto& [rows, durations, expected] : cases) {
        const Chapters chapters = outputChapters(rows, durations);
        ASSERT_EQ(chapters.size(), expected.size()) << rows.size() << " rows";
        for (size_t i = 0; i < chapters.size(); ++i) {
            EXPECT_NEAR(chapters[i].start, expected[i].start, 1e-9) << i;
            EXPECT_NEAR(chapters[i].end, expected[i].end, 1e-9) << i;
            EXPECT_EQ(std::tie(chapters[i].title, chapters[i].artist, chapters[i].row),
                      std::tie(expected[i].title, expected[i].artist, expected[i].row));
        }
    }
    EXPECT_EQ(rowStartTimes({1.5, 2.25, 0.0, 3.0}), (std::vector<double>{0.0, 1.5, 3.75, 3.75}));
}

TEST(OutputChapters, LongTitlesAreCutAtACharacterBoundary)
{
    const std::string e = "\xC3\xA9";  // one character, two bytes
    // The title, then what is kept of it.
    const std::vector<std::pair<std::string, std::string>> cases{
        {std::string(255, 'a'), std::string(255, 'a')},
        {std::string(10000, 'a'), std::string(255, 'a')},
        {std::string(254, 'a') + e + e, std::string(254, 'a') + e}};
    Chapters chapters;
    for (const auto& [title, kept] : cases)
        chapters.push_back({0.0, 1.0, title, "", 0});
    EXPECT_EQ(capChapterTitles(chapters), 2u);
    for (size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(chapters[i].title, cases[i].second) << i;
}
