// When a join copies the parts' sound as it is: parts made by ffmpeg that
// share codec, rate and layout copy into a container of their codec, covers
// and all; any part that differs is named in one line, and the join
// re-encodes.
#include "join/plan/CopyDecision.h"
#include "support/JoinTestSupport.h"

using namespace jointest;

namespace {

// A tone of `seconds` at `rate` Hz, mono or stereo, in the codec and file given.
std::string tone(const std::string& name, int rate, bool stereo, const std::vector<std::string>& codec,
                 double seconds = 0.5)
{
    std::vector<std::string> arguments{"-f", "lavfi", "-i",
                                       "sine=frequency=440:sample_rate=" + std::to_string(rate) +
                                           ":duration=" + std::to_string(seconds),
                                       "-ac", stereo ? "2" : "1"};
    arguments.insert(arguments.end(), codec.begin(), codec.end());
    return makeMedia("decision-" + name, arguments);
}

std::vector<FileRow> rowsOf(const std::vector<std::string>& paths)
{
    std::vector<FileRow> rows;
    for (const std::string& path : paths)
        rows.push_back(analyzed(path).row.value());
    return rows;
}

const std::vector<std::string> kAac{"-c:a", "aac", "-b:a", "64k"};
const std::vector<std::string> kMp3{"-c:a", "libmp3lame", "-q:a", "5"};

JoinOptions asking(CopyChoice choice)
{
    JoinOptions options;
    options.copy = choice;
    return options;
}

}  // namespace

TEST(CopyDecision, MatchingPartsCopyIntoAContainerOfTheirCodecWhenAskedOrForAudiobooks)
{
    const std::string a = tone("a.m4a", 44100, true, kAac), b = tone("b.m4a", 44100, true, kAac);
    const std::vector<FileRow> rows = rowsOf({a, b, a});
    // The output, the choice, and whether a copy is taken.
    const std::vector<std::tuple<std::string, CopyChoice, bool>> cases{
        {"book.m4b", CopyChoice::automatic, true}, {"book.m4b", CopyChoice::always, true},
        {"book.m4b", CopyChoice::never, false},    {"song.m4a", CopyChoice::automatic, false},
        {"song.m4a", CopyChoice::always, true},    {"clip.mp4", CopyChoice::always, true},
        {"song.mp3", CopyChoice::always, false},   {"song.opus", CopyChoice::always, false},
    };
    for (const auto& [out, choice, copied] : cases) {
        SCOPED_TRACE(out + " " + std::to_string(static_cast<int>(choice)));
        const CopyDecision decision = decideCopy(rows, "/tmp/" + out, asking(choice));
        EXPECT_EQ(decision.copy, copied);
        EXPECT_EQ(copyPossible(rows, "/tmp/" + out, asking(choice)), out != "song.mp3" && out != "song.opus");
    }
    EXPECT_EQ(decideCopy(rows, "/tmp/song.mp3", asking(CopyChoice::always)).refusal,
              "a .mp3 file cannot hold the parts' AAC as it is");
    // Parts whose cover is a stream of its own still copy: only the sound is taken.
    const std::vector<FileRow> covered = rowsOf({mp3WithCover(0.5), mp3WithCover(0.7)});
    ASSERT_EQ(covered[0].streamKinds, "audio,video");
    EXPECT_TRUE(decideCopy(covered, "/tmp/covered.mp3", asking(CopyChoice::always)).copy);
}

TEST(CopyDecision, APartThatDiffersInRateLayoutOrCodecIsNamedInOneLine)
{
    const std::string usual = tone("usual.m4a", 44100, true, kAac);
    const std::vector<std::pair<std::string, std::string>> odd{
        {tone("fast.m4a", 48000, true, kAac), "part 3 is 48000 Hz, the others 44100 Hz"},
        {tone("mono.m4a", 44100, false, kAac), "part 3 is mono, the others stereo"},
        {tone("other.mp3", 44100, true, kMp3), "part 3 is MP3, the others AAC"},
        {tone("adts.aac", 44100, true, kAac), "part 3 keeps its AAC in another kind of file than an MP4 file"},
    };
    for (const auto& [path, line] : odd) {
        SCOPED_TRACE(path);
        const std::vector<FileRow> rows = rowsOf({usual, usual, path, usual});
        const CopyDecision decision = decideCopy(rows, "/tmp/book.m4b", asking(CopyChoice::always));
        EXPECT_FALSE(decision.copy);
        EXPECT_EQ(decision.refusal, line);
        // The same refusal stands behind the default of an audiobook.
        EXPECT_FALSE(decideCopy(rows, "/tmp/book.m4b", {}).copy);
    }
    // The odd one out is the one that differs from most, wherever it is;
    // several are counted.
    const std::string fast = tone("fast.m4a", 48000, true, kAac);
    EXPECT_EQ(decideCopy(rowsOf({fast, usual, usual}), "/tmp/b.m4b", {}).refusal,
              "part 1 is 48000 Hz, the others 44100 Hz");
    EXPECT_EQ(decideCopy(rowsOf({usual, fast, usual, fast, usual}), "/tmp/b.m4b", {}).refusal,
              "part 2 is 48000 Hz (and 1 more part differs), the others 44100 Hz");
    // FLAC frames number their samples from each file's start: a .flac join re-encodes, without loss.
    const std::string flac = tone("a.flac", 44100, true, {"-c:a", "flac"});
    EXPECT_EQ(decideCopy(rowsOf({flac, flac}), "/tmp/b.flac", asking(CopyChoice::always)).refusal,
              "a .flac file is always encoded again, without loss");
}
