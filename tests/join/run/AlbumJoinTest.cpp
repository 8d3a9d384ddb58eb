// Real joins of a tagged audiobook in three parts: chapters where the joined
// sound really changes, the parts' own chapters moved along, the tags they
// share, their cover copied byte for byte (Ogg keeps it as a picture
// comment, which ffprobe shows as a picture stream), and a cue sheet for WAV.
#include <algorithm>
#include <cmath>

#include <sys/stat.h>

#include "join/intake/IntakeRule.h"
#include "join/run/JoinMetadata.h"
#include "support/AlbumTestSupport.h"
#include "support/AudioCheck.h"
#include "support/JoinTestSupport.h"

using namespace jointest;
using albumtest::chaptersOf;
using albumtest::probed;
using albumtest::tagsOf;

namespace {

// The parts' lengths, and the loudness of their 1 kHz tone: each part is
// louder or softer than the one before, so a part's start can be heard.
constexpr double kLengths[] = {2.0, 1.52, 1.0};
constexpr double kVolumes[] = {0.8, 0.2, 0.8};

std::string tone(size_t i)
{
    return "sine=frequency=1000:sample_rate=44100:duration=" + std::to_string(kLengths[i]) +
           ",volume=" + std::to_string(kVolumes[i]);
}

std::vector<std::string> withTags(std::vector<std::string> arguments, const std::vector<std::string>& tags)
{
    for (const std::string& tag : tags)
        arguments.insert(arguments.end(), {"-metadata", tag});
    return arguments;
}

const std::vector<std::string> kBook{"album=The Book", "artist=The Author", "genre=Audiobook"};

// Part 1: an MP3 with the cover; part 2: an M4A with two chapters of its own;
// part 3: a FLAC whose album is `thirdAlbum`.
std::vector<std::string> audiobook(const std::string& thirdAlbum = "The Book")
{
    const std::string cover = albumtest::jpegPicture();
    const std::string dir = freshDir("audiobook-" + std::to_string(thirdAlbum.size()));
    const std::string chapters = dir + "/inner.txt";
    writeFile(chapters, ";FFMETADATA1\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=720\ntitle=Inner A\n"
                            "[CHAPTER]\nTIMEBASE=1/1000\nSTART=720\nEND=1520\ntitle=Inner B\n");
    auto tags = [&](const std::string& title, const std::string& track) {
        std::vector<std::string> all = kBook;
        all.insert(all.end(), {"title=" + title, "track=" + track});
        return all;
    };
    std::vector<std::string> third = tags("End", "3");
    third[0] = "album=" + thirdAlbum;
    return {
        makeMedia("Part 1.mp3",
                  withTags({"-f", "lavfi", "-i", tone(0), "-i", cover, "-map", "0:a", "-map", "1:v", "-c:a", "libmp3lame",
                            "-c:v", "copy", "-disposition:v", "attached_pic", "-id3v2_version", "3"},
                           tags("Opening", "1"))),
        makeMedia("Part 2.m4a", withTags({"-f", "lavfi", "-i", tone(1), "-i", chapters, "-map_chapters", "1", "-c:a",
                                          "aac"},
                                         tags("Middle", "2"))),
        makeMedia(thirdAlbum == "The Book" ? "Part 3.flac" : "Part 3 other.flac",
                  withTags({"-f", "lavfi", "-i", tone(2), "-c:a", "flac"}, third)),
    };
}

// Where the loudness of the decoded output changes between the parts'
// levels: the middle of each step, in seconds.
std::vector<double> heardBoundaries(const std::string& path)
{
    const audiocheck::Pcm pcm = audiocheck::decode(path, 44100, 1);
    const int64_t window = 44;  // one millisecond: one period of the tone
    std::vector<double> levels;
    for (int64_t at = 0; at + window <= pcm.frames(); at += window) {
        double peak = 0.0;
        for (int64_t k = at; k < at + window; ++k)
            peak = std::max(peak, double(std::fabs(pcm.at(k, 0))));
        levels.push_back(peak);
    }
    // Halfway between the loud and the soft level; the last few milliseconds,
    // where a lossy codec fades out, are no boundary.
    const double loud = *std::max_element(levels.begin(), levels.end()), half = loud / 2;
    std::vector<double> boundaries;
    for (size_t i = 1; i + 20 < levels.size(); ++i) {
        const bool wasLoud = levels[i - 1] > half, isLoud = levels[i] > half;
        if (wasLoud != isLoud && levels[i] > loud / 8 && levels[i - 1] > loud / 8)
            boundaries.push_back(double(i) * window / 44100.0);
    }
    return boundaries;
}

class AlbumJoin : public JoinTest {
protected:
    JoinOutcome join(const std::string& out, const std::vector<std::string>& inputs, const JoinOptions& options)
    {
        std::vector<FileRow> rows;
        for (const std::string& input : inputs)
            rows.push_back(analyzed(input).row.value());
        RecordingHost recorder;
        JoinJob job(JoinRequest{out, rows, options}, recorder);
        job.run();
        recorder.drain();
        return recorder.outcomes.empty() ? JoinOutcome{} : recorder.outcomes[0];
    }
};

}  // namespace

TEST_F(AlbumJoin, ChaptersLandWhereTheSoundChanges)
{
    const std::vector<std::string> parts = audiobook();
    JoinOptions options;
    options.chapters = true;
    const std::string dir = freshDir("album-chapters");
    // The parts start at 0, 2 and 3.52 s; the second keeps its own two chapters.
    const std::vector<std::string> titles{"Opening", "Inner A", "Inner B", "End"};
    const std::vector<double> starts{0.0, 2.0, 2.72, 3.52};
    // Per format: one codec frame, the longest a chapter may be off the heard boundary.
    for (const auto& [extension, frame] : std::vector<std::pair<std::string, double>>{
             {"m4b", 1024 / 44100.0}, {"mkv", 4608 / 44100.0}, {"mp3", 1152 / 44100.0}, {"flac", 4608 / 44100.0}}) {
        const std::string out = dir + "/book." + extension;
        const JoinOutcome outcome = join(out, parts, options);
        ASSERT_EQ(outcome.status, JoinStatus::succeeded) << out << ": " << outcome.reason << outcome.stderrTail;
        const auto chapters = chaptersOf(probed(out));
        ASSERT_EQ(chapters.size(), titles.size()) << out;
        const std::vector<double> heard = heardBoundaries(out);
        ASSERT_EQ(heard.size(), 2u) << out << " " << testing::PrintToString(heard);
        for (size_t i = 0; i < titles.size(); ++i) {
            EXPECT_EQ(chapters[i].second, titles[i]) << out;
            EXPECT_NEAR(chapters[i].first, starts[i], 0.002) << out << " chapter " << i;
        }
        // The rows' chapters start where their sound does.
        EXPECT_NEAR(chapters[1].first, heard[0], frame) << out;
        EXPECT_NEAR(chapters[3].first, heard[1], frame) << out;
    }
    // Chapters off: none, not even the parts' own.
    const std::string plain = dir + "/plain.m4b";
    ASSERT_EQ(join(plain, parts, JoinOptions{}).status, JoinStatus::succeeded);
    EXPECT_TRUE(chaptersOf(probed(plain)).empty());
}

TEST_F(AlbumJoin, SharedTagsAndTheCoverComeAlong)
{
    const std::vector<std::string> parts = audiobook();
    const std::string dir = freshDir("album-tags");
    const std::string cover = readFile(albumtest::jpegPicture());
    for (const std::string extension : {"m4b", "mp3", "flac", "mka", "opus"}) {
        const std::string out = dir + "/book." + extension;
        const JoinOutcome outcome = join(out, parts, JoinOptions{});
        ASSERT_EQ(outcome.status, JoinStatus::succeeded) << out << ": " << outcome.reason << outcome.stderrTail;
        const auto tags = tagsOf(probed(out));
        EXPECT_EQ(tags.count("album") ? tags.at("album") : "", "The Book") << out;
        EXPECT_EQ(tags.count("title") ? tags.at("title") : "", "The Book") << out;
        EXPECT_EQ(tags.count("artist") ? tags.at("artist") : "", "The Author") << out;
        EXPECT_EQ(tags.count("genre") ? tags.at("genre") : "", "Audiobook") << out;
        EXPECT_EQ(tags.count("track"), 0u) << out;
        const std::string picture = dir + "/cover-of-" + extension + ".jpg";
        const auto copied =
            runCommand("ffmpeg", {"-v", "error", "-y", "-i", out, "-map", "0:v:0", "-c", "copy", "-f", "image2", picture});
        EXPECT_EQ(copied.exitCode, 0) << out << copied.err;
        EXPECT_TRUE(readFile(picture) == cover) << out << ": the cover changed";
    }

    // One part of another album: no album tag, and the title is the first part's.
    const std::string mixed = dir + "/mixed.m4a";
    ASSERT_EQ(join(mixed, audiobook("Another Book"), JoinOptions{}).status, JoinStatus::succeeded);
    const auto tags = tagsOf(probed(mixed));
    EXPECT_EQ(tags.count("album"), 0u);
    EXPECT_EQ(tags.count("title") ? tags.at("title") : "", "Opening");
    EXPECT_EQ(tags.count("artist") ? tags.at("artist") : "", "The Author");

    // What the user typed wins; an empty cover removes it.
    JoinOptions typed;
    typed.overrides.title = "My Title";
    typed.overrides.artist = "";
    typed.overrides.coverPath = "";
    const std::string edited = dir + "/edited.mp3";
    ASSERT_EQ(join(edited, parts, typed).status, JoinStatus::succeeded);
    const auto report = probed(edited);
    EXPECT_EQ(tagsOf(report).at("title"), "My Title");
    EXPECT_EQ(tagsOf(report).count("artist"), 0u);
    EXPECT_EQ(report.at("streams").size(), 1u) << "no cover stream";
}

TEST_F(AlbumJoin, ACueSheetBesideAWav)
{
    const std::vector<std::string> parts = audiobook();
    const std::string dir = freshDir("album-cue");
    JoinOptions options;
    options.cueSheet = true;
    const JoinOutcome outcome = join(dir + "/book.wav", parts, options);
    ASSERT_EQ(outcome.status, JoinStatus::succeeded) << outcome.reason;
    EXPECT_TRUE(outcome.notes.empty());
    const std::string sheet = readFile(dir + "/book.cue");
    EXPECT_TRUE(contains(sheet, "FILE \"book.wav\" WAVE\n")) << sheet;
    EXPECT_TRUE(contains(sheet, "TITLE \"The Book\"\n")) << sheet;
    // 2.0 s, 2.72 s and 3.52 s at 75 frames a second.
    for (const std::string index : {"INDEX 01 00:00:00", "INDEX 01 00:02:00", "INDEX 01 00:02:54", "INDEX 01 00:03:39"})
        EXPECT_TRUE(contains(sheet, index)) << index << "\n" << sheet;
    // Whoever may read the joined file may read its sheet.
    struct stat sheetStatus {}, audioStatus {};
    ASSERT_EQ(::stat((dir + "/book.cue").c_str(), &sheetStatus), 0);
    ASSERT_EQ(::stat((dir + "/book.wav").c_str(), &audioStatus), 0);
    EXPECT_EQ(sheetStatus.st_mode & 0777, audioStatus.st_mode & 0777);

    // A name with quotes is kept on the FILE line, with a note.
    const JoinOutcome quoted = join(dir + "/Say \"hi\".wav", parts, options);
    ASSERT_EQ(quoted.status, JoinStatus::succeeded) << quoted.reason;
    EXPECT_TRUE(contains(readFile(dir + "/Say \"hi\".cue"), "FILE \"Say \"hi\".wav\" WAVE\n"));
    ASSERT_EQ(quoted.notes.size(), 1u);
    EXPECT_TRUE(contains(quoted.notes[0], "with its quotes")) << quoted.notes[0];

    // A sheet of the user's own by that name stays as it was; the join still succeeds.
    writeFile(dir + "/mine.cue", "my notes\n");
    const JoinOutcome kept = join(dir + "/mine.wav", parts, options);
    EXPECT_EQ(kept.status, JoinStatus::succeeded);
    ASSERT_EQ(kept.notes.size(), 1u);
    EXPECT_TRUE(contains(kept.notes[0], "mine.cue")) << kept.notes[0];
    EXPECT_EQ(readFile(dir + "/mine.cue"), "my notes\n");
}
