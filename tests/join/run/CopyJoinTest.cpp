// Real copy joins: parts made by ffmpeg are copied, packet for packet, into
// .m4b, .mp3 and .opus with their tags, chapters and cover; the result lasts
// as long as the parts (within a frame each), its chapters start where the
// parts' packets do, it decodes cleanly and its only sound is the parts'.
// Where a copy cannot be taken the join re-encodes and says why.
#include <cmath>

#include "support/AudioCheck.h"
#include "support/JoinTestSupport.h"

using namespace jointest;

namespace {

// A tone part of `seconds` at `hz`, stereo, in the codec given (more
// arguments may add a cover).
std::string tonePart(const std::string& name, int hz, double seconds, int rate, const std::vector<std::string>& codec,
                     const std::string& cover = {})
{
    std::vector<std::string> arguments{"-f", "lavfi", "-i",
                                       "sine=frequency=" + std::to_string(hz) + ":sample_rate=" +
                                           std::to_string(rate) + ":duration=" + std::to_string(seconds)};
    if (!cover.empty())
        arguments.insert(arguments.end(), {"-i", cover, "-map", "0:a", "-map", "1:v", "-c:v", "copy",
                                           "-disposition:v", "attached_pic"});
    arguments.insert(arguments.end(), {"-ac", "2", "-metadata", "album=Copied", "-metadata", "title=" + name});
    arguments.insert(arguments.end(), codec.begin(), codec.end());
    return makeMedia("copy-" + name, arguments);
}

// The seconds a file's first sound stream's packets last together, and the longest packet.
std::pair<double, double> packetSeconds(const std::string& path)
{
    const std::string out = runCommand("ffprobe", {"-v", "error", "-select_streams", "a:0", "-show_entries",
                                                   "packet=duration_time", "-of", "csv=p=0", path}).out;
    std::istringstream lines(out);
    double total = 0.0, longest = 0.0;
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line == "N/A")
            continue;
        total += std::stod(line);
        longest = std::max(longest, std::stod(line));
    }
    return {total, longest};
}

// Every stream as "<type>:<codec>[:cover]".
std::string streamsOf(const std::string& path)
{
    const std::string out = runCommand("ffprobe", {"-v", "error", "-show_entries",
                                                   "stream=codec_type,codec_name:stream_disposition=attached_pic",
                                                   "-of", "csv=p=0", path}).out;
    std::string text;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        // "aac,audio,0" or "mjpeg,video,1"
        const size_t a = line.find(','), b = line.rfind(',');
        text += (text.empty() ? "" : " ") + line.substr(a + 1, b - a - 1) + ":" + line.substr(0, a) +
                (line.substr(b + 1) == "1" ? ":cover" : "");
    }
    return text;
}

bool hasNote(const JoinOutcome& outcome, const std::string& note)
{
    return std::find(outcome.notes.begin(), outcome.notes.end(), note) != outcome.notes.end();
}

}  // namespace

TEST_F(JoinTest, CopyJoinsKeepTheirPacketsChaptersTagsAndCover)
{
    const std::string cover = makeMedia("copy-cover.jpg", {"-f", "lavfi", "-i", "color=c=blue:s=64x64", "-frames:v", "1"});
    const std::vector<std::string> aac{"-c:a", "aac", "-b:a", "64k"}, mp3{"-c:a", "libmp3lame", "-q:a", "5"},
        opus{"-c:a", "libopus", "-b:a", "48k"};
    struct Case {
        std::string extension;
        std::vector<std::string> parts;
        std::string streams;  // the output's streams
        CopyChoice choice;
    };
    // Parts not a whole number of frames long; the first part of each list carries a cover stream.
    const std::vector<Case> cases{
        {"m4b",
         {tonePart("1.m4a", 300, 1.3, 44100, aac, cover), tonePart("2.m4a", 500, 2.11, 44100, aac),
          tonePart("3.m4a", 700, 0.77, 44100, aac)},
         "audio:aac data:bin_data video:mjpeg:cover", CopyChoice::automatic},
        {"mp3",
         {tonePart("1.mp3", 300, 1.3, 44100, mp3, cover), tonePart("2.mp3", 500, 2.11, 44100, mp3, cover),
          tonePart("3.mp3", 700, 0.77, 44100, mp3)},
         "audio:mp3 video:mjpeg:cover", CopyChoice::always},
        {"opus",
         {tonePart("1.opus", 300, 1.3, 48000, opus), tonePart("2.opus", 500, 2.11, 48000, opus),
          tonePart("3.opus", 700, 0.77, 48000, opus)},
         "audio:opus", CopyChoice::always},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.extension);
        std::vector<FileRow> rows;
        double parts = 0.0, slack = 0.0;
        std::vector<double> starts;
        for (const std::string& part : c.parts) {
            rows.push_back(analyzed(part).row.value());
            starts.push_back(parts);
            const auto [seconds, frame] = packetSeconds(part);
            parts += seconds;
            slack += frame;
        }
        RecordingHost watcher;
        JoinOptions options;
        options.chapters = true;
        options.copy = c.choice;
        // No cover at all for a list without one (a picture another test left
        // in the shared media folder would otherwise be taken as the folder's).
        if (c.streams.find(":cover") == std::string::npos)
            options.overrides.coverPath = std::string();
        const std::string out = freshDir("copy-" + c.extension) + "/book." + c.extension;
        JoinJob job(JoinRequest{out, rows, options}, watcher);
        job.run();
        const JoinOutcome outcome = job.outcome().value();
        ASSERT_EQ(outcome.status, JoinStatus::succeeded) << outcome.reason << "\n" << outcome.stderrTail;
        EXPECT_TRUE(hasNote(outcome, "Joined without re-encoding.")) << testing::PrintToString(outcome.notes);

        // The parts' sound, and the cover once as a picture beside it, never in it.
        EXPECT_EQ(streamsOf(out), c.streams);
        EXPECT_EQ(audiocheck::decodeErrors(out), "");
        EXPECT_NEAR(packetSeconds(out).first, parts, slack);
        EXPECT_NEAR(audiocheck::declaredDuration(out), parts, slack);
        const std::vector<double> chapters = chapterStarts(out);
        ASSERT_EQ(chapters.size(), starts.size());
        for (size_t i = 0; i < chapters.size(); ++i)
            EXPECT_NEAR(chapters[i], starts[i], slack / 3) << "chapter " << i + 1;
        // Ogg keeps the tags with the stream.
        const std::string album = runCommand("ffprobe", {"-v", "error", "-show_entries",
                                                         "format_tags=album:stream_tags=album", "-of",
                                                         "default=nw=1:nk=1", out}).out;
        EXPECT_EQ(album, "Copied\n");

        // While it copied, the progress told the seconds copied of the whole.
        watcher.drain();
        bool told = false;
        for (const JoinProgress& report : watcher.reports) {
            if (report.copiedSeconds) {
                told = true;
                EXPECT_NEAR(report.copyTotalSeconds, parts, 0.001);
                EXPECT_LE(*report.copiedSeconds, report.copyTotalSeconds);
            }
        }
        EXPECT_TRUE(told);
    }
}

TEST_F(JoinTest, AJoinThatCannotCopyReEncodesAndSaysWhy)
{
    const std::vector<std::string> aac{"-c:a", "aac", "-b:a", "64k"}, flac{"-c:a", "flac"};
    // A part at another rate must not slip through: the copy would come out
    // with the wrong timing while ffmpeg ends well.
    const std::vector<std::tuple<std::string, std::vector<std::string>, std::string>> cases{
        {"m4b",
         {tonePart("r1.m4a", 300, 1.0, 44100, aac), tonePart("r2.m4a", 500, 1.0, 44100, aac),
          tonePart("r3.m4a", 700, 1.0, 48000, aac)},
         "The parts were re-encoded, not copied: part 3 is 48000 Hz, the others 44100 Hz."},
        {"flac",
         {tonePart("f1.flac", 300, 1.0, 44100, flac), tonePart("f2.flac", 500, 1.0, 44100, flac)},
         "The parts were re-encoded, not copied: a .flac file is always encoded again, without loss."},
        // Matching parts, but a pause between them: by default too, the note says why they were not copied.
        {"m4b gap",
         {tonePart("g1.m4a", 300, 1.0, 44100, aac), tonePart("g2.m4a", 500, 1.0, 44100, aac)},
         "The parts were re-encoded, not copied: evening out the loudness, pausing between parts or trimming "
         "silence needs the sound decoded."},
    };
    for (const auto& [extension, parts, note] : cases) {
        SCOPED_TRACE(extension);
        std::vector<FileRow> rows;
        std::vector<audiocheck::Pcm> pieces;
        for (const std::string& part : parts) {
            rows.push_back(analyzed(part).row.value());
            pieces.push_back(audiocheck::decode(part, 44100, 2));
        }
        JoinOptions options;
        options.copy = CopyChoice::always;
        std::string format = extension;
        if (extension == "m4b gap") {
            format = "m4b";
            options.copy = CopyChoice::automatic;
            options.sound.gapSeconds = 0.5;
        }
        const std::string out = freshDir("copy-refused-" + extension) + "/book." + format;
        JoinJob job(JoinRequest{out, rows, options}, host);
        job.run();
        const JoinOutcome outcome = job.outcome().value();
        ASSERT_EQ(outcome.status, JoinStatus::succeeded) << outcome.reason;
        EXPECT_TRUE(hasNote(outcome, note)) << testing::PrintToString(outcome.notes);
        EXPECT_FALSE(hasNote(outcome, "Joined without re-encoding."));
        EXPECT_NEAR(audiocheck::declaredDuration(out),
                    static_cast<double>(parts.size()) + options.sound.gapSeconds * static_cast<double>(parts.size() - 1),
                    0.05);
        // FLAC's re-encode loses nothing.
        if (extension == "flac") {
            EXPECT_EQ(audiocheck::md5(audiocheck::decode(out, 44100, 2)), audiocheck::md5(audiocheck::concatenate(pieces)));
        }
    }
}

TEST_F(JoinTest, ACopyThatComesOutWrongIsJoinedAgainReEncoded)
{
    const std::vector<std::string> aac{"-c:a", "aac", "-b:a", "64k"};
    const std::vector<std::string> parts{tonePart("w1.m4a", 300, 1.0, 44100, aac),
                                         tonePart("w2.m4a", 500, 1.0, 44100, aac)};
    std::vector<FileRow> rows;
    for (const std::string& part : parts)
        rows.push_back(analyzed(part).row.value());
    // The copy (the one command reading the list of parts) ends with status
    // 0 but moved packets back in time, or left the second part out.
    const std::string real = resourcesDir() + "/creator";
    const std::vector<std::pair<std::string, std::string>> cases{
        {"case \"$*\" in *copy.txt*) echo '[ipod] Non-monotonous DTS in output stream 0:0; previous: 1, current: 0' >&2;; "
         "esac\nexec '" + real + "' \"$@\"",
         "copying them failed: Copying the parts into the joined file gave wrong timing: the parts' timestamps "
         "overlap. Join them with re-encoding instead."},
        {"case \"$*\" in *copy.txt*) exec '" + real + "' -t 1.2 \"$@\";; esac\nexec '" + real + "' \"$@\"",
         "copying them failed: The joined file holds 1.21 s of sound, but the parts add up to 2.05 s. It ends 0.19 s "
         "into Part 2, copy-w2.m4a."},
    };
    for (const auto& [script, note] : cases) {
        SCOPED_TRACE(note);
        setToolsDirectory(creatorTools("copy-wrong", script));
        JoinOptions options;
        options.copy = CopyChoice::always;
        const std::string out = freshDir("copy-wrong") + "/book.m4b";
        JoinJob job(JoinRequest{out, rows, options}, host);
        job.run();
        const JoinOutcome outcome = job.outcome().value();
        ASSERT_EQ(outcome.status, JoinStatus::succeeded) << outcome.reason;
        EXPECT_TRUE(hasNote(outcome, "The parts were re-encoded, as " + note)) << testing::PrintToString(outcome.notes);
        EXPECT_FALSE(hasNote(outcome, "Joined without re-encoding."));
        EXPECT_NEAR(audiocheck::declaredDuration(out), 2.0, 0.05);
    }
}
