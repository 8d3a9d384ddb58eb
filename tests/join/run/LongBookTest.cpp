// What a long book asks of a join, on small parts: chapters exactly where
// each part's sound starts, a final check that counts what the file really
// holds, and the parts' layout and depth kept where the output holds them.
#include <cmath>
#include <cstring>
#include <map>

#include <QCryptographicHash>

#include "join/metadata/HeaderLength.h"
#include "support/JoinTestSupport.h"

using namespace jointest;

namespace {

// A part of `seconds` of a tone of its own, mono or the same on both sides.
std::string tonePart(const std::string& name, int hz, double seconds, const std::vector<std::string>& codec,
                     bool stereo = false)
{
    std::vector<std::string> arguments{"-f", "lavfi", "-i",
                                       "sine=frequency=" + std::to_string(hz) + ":sample_rate=44100:duration=" +
                                           std::to_string(seconds), "-af", stereo ? "pan=stereo|c0=c0|c1=c0" : "anull"};
    arguments.insert(arguments.end(), codec.begin(), codec.end());
    return makeMedia(name, arguments);
}

// MD5 of the decoded samples as 32-bit integers: equal for bit-exact sound.
std::string samplesMd5(const std::vector<std::string>& paths)
{
    QCryptographicHash hash(QCryptographicHash::Md5);
    for (const std::string& path : paths) {
        const std::string pcm = runCommand("ffmpeg", {"-v", "error", "-i", path, "-map", "0:a:0", "-f", "s32le", "-"}).out;
        hash.addData(QByteArrayView(pcm.data(), static_cast<qsizetype>(pcm.size())));
    }
    return hash.result().toHex().toStdString();
}

long long decodedSamples(const std::string& path)
{
    return static_cast<long long>(
        runCommand("ffmpeg", {"-v", "error", "-i", path, "-map", "0:a:0", "-ac", "1", "-f", "s16le", "-"}).out.size() / 2);
}

}  // namespace

TEST_F(JoinTest, HeadersTellExactLengthsAndAreHeld)
{
    // What the headers promise is what the decoder gives: MPEG-1 and MPEG-2
    // MP3s, behind a tag and with a cover, and FLAC.
    const std::string tagged = tonePart("told-tagged.mp3", 300, 1.3, {"-c:a", "libmp3lame", "-q:a", "4", "-metadata",
                                                                 "title=A title"}, true);
    const std::string low = makeMedia("told-low.mp3", {"-f", "lavfi", "-i", "sine=frequency=500:sample_rate=22050:duration=1.1",
                                                  "-c:a", "libmp3lame", "-b:a", "48k"});
    const std::string covered =
        makeMedia("told-covered.mp3", {"-f", "lavfi", "-i", "sine=frequency=700:duration=0.9", "-f", "lavfi", "-i",
                                  "color=red:size=32x32:duration=1", "-frames:v", "1", "-map", "0:a", "-map", "1:v",
                                  "-c:a", "libmp3lame", "-c:v", "mjpeg", "-id3v2_version", "3"});
    for (const std::string& mp3 : {tagged, low, covered})
        EXPECT_EQ(mp3HeaderSamples(mp3).value_or(-1), decodedSamples(mp3)) << mp3;
    const std::string flac = tonePart("told.flac", 300, 1.25, {"-c:a", "flac"});
    EXPECT_EQ(flacHeaderSamples(flac).value_or(-1), decodedSamples(flac));
    EXPECT_FALSE(mp3HeaderSamples(flac));
    // WAV, 16-bit mono and 24-bit stereo behind a tag chunk; one cut short
    // and one of another kind promise nothing.
    const std::string wav = tonePart("told.wav", 300, 1.1, {"-c:a", "pcm_s16le"});
    const std::string deep = tonePart("told-deep.wav", 400, 0.9, {"-c:a", "pcm_s24le", "-metadata", "title=Deep"}, true);
    for (const std::string& told : {wav, deep})
        EXPECT_EQ(wavHeaderSamples(told).value_or(-1), decodedSamples(told)) << told;
    const std::string cutWav = freshDir("promises-wav") + "/cut.wav";
    writeFile(cutWav, readFile(deep).substr(0, readFile(deep).size() / 2));
    EXPECT_FALSE(wavHeaderSamples(cutWav));
    EXPECT_FALSE(wavHeaderSamples(flac));

    // A header that promises less than its file holds (two files run
    // together: the probe sees through it, so the promise is not taken) or
    // more (a file cut short: found out while streaming, every part is then
    // counted): the chapters are laid on what the parts really give, or the
    // part that is cut short is named.
    const std::string first = tonePart("told-first.mp3", 300, 1.3, {"-c:a", "libmp3lame"});
    const std::string doubled = freshDir("promises") + "/doubled.mp3";
    const std::string cut = freshDir("promises-cut") + "/cut.mp3";
    runCommand("/bin/sh", {"-c", "cat '" + first + "' '" + first + "' > '" + doubled + "' && head -c 5000 '" + first +
                                     "' > '" + cut + "'"});
    const long long doubledSamples = decodedSamples(doubled);
    ASSERT_GT(doubledSamples, mp3HeaderSamples(doubled).value_or(0) + 44100);
    // Alone, and beside other joins (in one process).
    for (const bool beside : {false, true}) {
        JoinOptions options;
        options.chapters = true;
        options.besideOtherJoins = beside;
        {
            RecordingHost watcher;
            const std::string out = freshDir("promise-more") + "/book.m4b";
            JoinJob job(JoinRequest{out, {analyzed(doubled).row.value(), analyzed(first).row.value()}, options},
                        watcher);
            job.run();
            ASSERT_EQ(job.outcome()->status, JoinStatus::succeeded) << job.outcome()->reason;
            const std::vector<double> starts = chapterStarts(out);
            ASSERT_EQ(starts.size(), 2u);
            EXPECT_NEAR(starts[1], static_cast<double>(doubledSamples) / 44100, 0.001) << beside;
        }
        // Also when the parts are measured for their loudness while they stream.
        for (const LoudnessMode loudness : {LoudnessMode::keep, LoudnessMode::parts}) {
            RecordingHost watcher;
            const std::string out = freshDir("promise-less") + "/book.mp3";
            options.sound.loudness = loudness;
            JoinJob job(JoinRequest{out, {analyzed(first).row.value(), analyzed(cut).row.value()}, options}, watcher);
            job.run();
            EXPECT_EQ(job.outcome()->status, JoinStatus::failed);
            EXPECT_NE(job.outcome()->reason.find("Part 2, cut.mp3, decodes"), std::string::npos)
                << beside << job.outcome()->reason;
            EXPECT_FALSE(QFile::exists(QString::fromStdString(out)));
        }
    }
}

TEST_F(JoinTest, ChaptersStartWhereEachPartsSoundStarts)
{
    // 1.3-s parts: MP3s (whose declared lengths count their padding), AAC in
    // M4A, FLAC, and a mix; into formats with chapters of their own.
    const std::vector<std::string> mp3{"-c:a", "libmp3lame", "-q:a", "4"}, m4a{"-c:a", "aac"}, flac{"-c:a", "flac"};
    const std::vector<std::pair<std::string, std::vector<std::string>>> lists{
        {"mp3", {tonePart("ch1.mp3", 300, 1.3, mp3), tonePart("ch2.mp3", 500, 1.3, mp3), tonePart("ch3.mp3", 700, 1.3, mp3),
                 tonePart("ch4.mp3", 900, 1.3, mp3)}},
        {"mixed", {tonePart("ch1.m4a", 300, 1.3, m4a), tonePart("ch2.flac", 500, 1.3, flac),
                   tonePart("ch3.mp3", 700, 1.3, mp3), tonePart("ch4.m4a", 900, 1.3, m4a)}}};
    for (const auto& [name, parts] : lists) {
        std::vector<FileRow> rows;
        for (const std::string& part : parts)
            rows.push_back(analyzed(part).row.value());
        for (const std::string format : {"m4b", "mp3", "mkv"}) {
            RecordingHost watcher;
            JoinOptions options;
            options.chapters = true;
            const std::string out = freshDir("chapters-" + name) + "/book." + format;
            JoinJob job(JoinRequest{out, rows, options}, watcher);
            job.run();
            ASSERT_EQ(job.outcome()->status, JoinStatus::succeeded) << out << ": " << job.outcome()->reason;
            const std::vector<double> starts = chapterStarts(out);
            ASSERT_EQ(starts.size(), 4u) << out;
            for (size_t i = 0; i < starts.size(); ++i)
                EXPECT_NEAR(starts[i], 1.3 * static_cast<double>(i), 0.001) << out << " chapter " << i + 1;
        }
    }
}

TEST_F(JoinTest, ShortPartsShareADecoderAndGiveWhatTheirOwnWould)
{
    // Four short FLAC parts of uneven lengths, decoded by one process; then
    // with shared decoders that fail, decoded one by one instead.
    const std::vector<double> seconds{0.6, 1.3, 0.25, 2.0};
    std::vector<std::string> parts;
    std::vector<FileRow> rows;
    for (size_t i = 0; i < seconds.size(); ++i) {
        parts.push_back(tonePart("shared-" + std::to_string(i) + ".flac", 300 + 100 * static_cast<int>(i), seconds[i],
                                 {"-c:a", "flac"}));
        rows.push_back(analyzed(parts.back()).row.value());
    }
    const std::string real = resourcesDir() + "/creator";
    for (const std::string failing : {"", "exit 1"}) {
        const std::string dir = freshDir("shared-decoder" + failing), log = dir + "/log", out = dir + "/joined.flac";
        setToolsDirectory(creatorTools("shared" + failing, "case \"$*\" in *concat=n=4*) echo shared >> '" + log +
                                                               "'; " + failing + ";; esac\nexec '" + real + "' \"$@\""));
        RecordingHost watcher;
        JoinJob job(JoinRequest{out, rows, {}}, watcher);
        job.run();
        ASSERT_EQ(job.outcome()->status, JoinStatus::succeeded) << failing << job.outcome()->reason;
        EXPECT_EQ(logLines(log).size(), 1u) << failing;
        EXPECT_EQ(samplesMd5({out}), samplesMd5(parts)) << failing;
    }
}

TEST_F(JoinTest, BesideOtherJoinsAShortBookJoinsInOneProcessIntoTheSameFile)
{
    // MP3 parts, the first with a cover (read as a part and as the cover),
    // into MP3 with chapters and into FLAC (16-bit from floats: dithered);
    // 24-bit FLAC parts into FLAC.
    const std::string covered =
        makeMedia("one-covered.mp3", {"-f", "lavfi", "-i", "sine=frequency=700:duration=0.9", "-f", "lavfi", "-i",
                                      "color=red:size=32x32:duration=1", "-frames:v", "1", "-map", "0:a", "-map", "1:v",
                                      "-c:a", "libmp3lame", "-c:v", "mjpeg", "-id3v2_version", "3"});
    const std::string plain = tonePart("one-plain.mp3", 500, 1.3, {"-c:a", "libmp3lame"});
    const std::string deep = "sine=frequency=900:sample_rate=48000:duration=";
    const std::string a24 = makeMedia("one-a.flac", {"-f", "lavfi", "-i", deep + "0.7", "-c:a", "flac", "-sample_fmt",
                                                     "s32"});
    const std::string b24 = makeMedia("one-b.flac", {"-f", "lavfi", "-i", deep + "0.4", "-c:a", "flac", "-sample_fmt",
                                                     "s32"});
    const std::string real = resourcesDir() + "/creator";
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{{{covered, plain, covered}, "mp3"},
                                                                              {{covered, plain}, "flac"},
                                                                              {{a24, b24}, "flac"}};
    for (const auto& [parts, format] : cases) {
        std::vector<FileRow> rows;
        for (const std::string& part : parts)
            rows.push_back(analyzed(part).row.value());
        std::map<std::string, std::string> bytes;
        // Alone, beside other joins, and beside them with a one-process join
        // that fails: made again streamed, into the same file.
        for (const std::string way : {"alone", "beside", "fails"}) {
            const std::string dir = freshDir("one-" + format + way + std::to_string(parts.size())), log = dir + "/log";
            const std::string out = dir + "/joined." + format;
            setToolsDirectory(creatorTools("one-" + way, "echo \"$*\" >> '" + log + "'\n" +
                                                             (way == "fails" ? "case \"$*\" in *verbose*) exit 1;; esac\n"
                                                                             : "") +
                                                             "exec '" + real + "' \"$@\""));
            JoinOptions options;
            options.chapters = true;
            options.besideOtherJoins = way != "alone";
            RecordingHost watcher;
            JoinJob job(JoinRequest{out, rows, options}, watcher);
            job.run();
            ASSERT_EQ(job.outcome()->status, JoinStatus::succeeded) << way << ": " << job.outcome()->reason;
            bytes[way] = readFile(out);
            const std::vector<std::string> starts = logLines(log);
            EXPECT_EQ(starts.size(), way == "alone" ? 2u : way == "beside" ? 1u : 3u) << format << " " << way;
        }
        EXPECT_EQ(bytes["beside"], bytes["alone"]) << format;
        EXPECT_EQ(bytes["fails"], bytes["alone"]) << format;
    }
}

TEST_F(JoinTest, TheFinalCheckCountsWhatTheFileHolds)
{
    const std::string part = tonePart("check.wav", 440, 1.0, {"-c:a", "pcm_s16le"});
    const std::vector<FileRow> rows{analyzed(part).row.value(), analyzed(part).row.value()};
    // The encoder stops reading 1 % early yet ends well; the file's header
    // claims all of its length but its data stops at 60 %.
    const std::string real = resourcesDir() + "/creator";
    const std::vector<std::tuple<std::string, std::string, std::string>> cases{
        {"short", "case \"$*\" in *pipe:0*) exec '" + real + "' -t 1.98 \"$@\";; esac\nexec '" + real + "' \"$@\"",
         "The joined file holds 1.98 s of sound, but the parts add up to 2.00 s. It ends 0.98 s into Part 2, check.wav."},
        {"hollow", "'" + real + "' \"$@\" || exit\ncase \"$*\" in *pipe:0*) for last; do :; done\n"
                   "truncate -s $(( $(stat -c %s \"$last\") * 6 / 10 )) \"$last\";; esac",
         "The joined file holds 1.20 s of sound, but the parts add up to 2.00 s. It ends 0.20 s into Part 2, check.wav."}};
    for (const auto& [name, script, reason] : cases) {
        setToolsDirectory(creatorTools("check-" + name, script));
        RecordingHost watcher;
        const std::string out = freshDir("check-" + name) + "/joined.wav";
        JoinJob job(JoinRequest{out, rows, {}}, watcher);
        job.run();
        EXPECT_EQ(job.outcome()->status, JoinStatus::failed) << name;
        EXPECT_EQ(job.outcome()->reason, reason) << name;
        EXPECT_FALSE(QFile::exists(QString::fromStdString(out)));
    }
    // Lossy outputs are counted by their packets, which the data holds.
    setToolsDirectory(creatorTools("check-hollow-lossy", std::get<1>(cases[1])));
    for (const std::string extension : {".mp3", ".m4a"}) {
        RecordingHost watcher;
        const std::string out = freshDir("check-hollow-lossy") + "/joined" + extension;
        JoinJob job(JoinRequest{out, rows, {}}, watcher);
        job.run();
        EXPECT_EQ(job.outcome()->status, JoinStatus::failed) << extension;
        EXPECT_EQ(job.outcome()->reason.rfind("The joined file ", 0), 0u) << job.outcome()->reason;
        EXPECT_FALSE(QFile::exists(QString::fromStdString(out)));
    }
}

TEST_F(JoinTest, LayoutsAndDepthsAreKept)
{
    const std::string surround = "aevalsrc=exprs=0.1*sin(2*PI*200*t)|0.1*sin(2*PI*300*t)|0.1*sin(2*PI*400*t)|"
                                 "0.1*sin(2*PI*50*t)|0.1*sin(2*PI*600*t)|0.1*sin(2*PI*700*t):c=5.1:s=48000:d=";
    const std::string a51 = makeMedia("s51a.flac", {"-f", "lavfi", "-i", surround + "1.1", "-c:a", "flac"});
    const std::string b51 = makeMedia("s51b.flac", {"-f", "lavfi", "-i", surround + "0.7", "-c:a", "flac"});
    const std::string hiRes = "sine=frequency=1000:sample_rate=96000:duration=";
    const std::string a24 = makeMedia("hires-a.flac", {"-f", "lavfi", "-i", hiRes + "0.8", "-af", "volume=0.5",
                                                       "-c:a", "flac", "-sample_fmt", "s32"});
    const std::string b24 = makeMedia("hires-b.flac", {"-f", "lavfi", "-i", hiRes + "0.6", "-c:a", "flac",
                                                       "-sample_fmt", "s32"});
    const std::string i32 = makeMedia("int32.wav", {"-f", "lavfi", "-i", hiRes + "0.5", "-c:a", "pcm_s32le"});
    // Parts, output, the output's sample format and channels; the sound is bit-exact.
    const std::vector<std::tuple<std::vector<std::string>, std::string, std::string>> cases{
        {{a51, b51}, "flac", "s32,6"}, {{a51, b51}, "wav", "s32,6"}, {{a51, b51}, "mka", "s32,6"},
        {{a24, b24}, "flac", "s32,1"}, {{i32, i32}, "wav", "s32,1"}};
    for (const auto& [parts, format, shape] : cases) {
        std::vector<FileRow> rows;
        for (const std::string& part : parts)
            rows.push_back(analyzed(part).row.value());
        RecordingHost watcher;
        const std::string out = freshDir("kept-" + format) + "/joined." + format;
        JoinJob job(JoinRequest{out, rows, {}}, watcher);
        job.run();
        ASSERT_EQ(job.outcome()->status, JoinStatus::succeeded) << out << ": " << job.outcome()->reason;
        EXPECT_EQ(runCommand("ffprobe", {"-v", "error", "-select_streams", "a:0", "-show_entries",
                                         "stream=channels,sample_fmt", "-of", "csv=p=0", out}).out,
                  shape + "\n") << out;
        EXPECT_EQ(samplesMd5({out}), samplesMd5(parts)) << out;
    }

    // A 32-bit part taken to another rate keeps 32 bits' precision: all that
    // is not the tone stays far below what floats would leave (-151 dBc).
    {
        const std::string slow = makeMedia("int32-22k.wav", {"-f", "lavfi", "-i",
                                                             "aevalsrc=0.5*sin(2*PI*1000*t):s=22050:d=2", "-c:a",
                                                             "pcm_s32le"});
        const std::string out = freshDir("kept-int32-rate") + "/joined.wav";
        RecordingHost watcher;
        JoinJob job(JoinRequest{out, {analyzed(slow).row.value(), analyzed(i32).row.value()}, {}}, watcher);
        job.run();
        ASSERT_EQ(job.outcome()->status, JoinStatus::succeeded) << job.outcome()->reason;
        const std::string pcm = runCommand("ffmpeg", {"-v", "error", "-i", out, "-t", "2", "-f", "s32le", "-"}).out;
        // The join's rate is the 96 kHz of the other part; its middle second
        // against the best-fitting 1 kHz sine.
        const double rate = 96000;
        ASSERT_GE(pcm.size(), 4u * 192000);
        double ss = 0, sc = 0, cc = 0, xs = 0, xc = 0;
        std::vector<double> x(96000);
        for (size_t i = 0; i < x.size(); ++i) {
            int32_t v;
            std::memcpy(&v, pcm.data() + 4 * (48000 + i), 4);
            x[i] = v / 2147483648.0;
            const double s = std::sin(2 * M_PI * 1000 * double(i) / rate), c = std::cos(2 * M_PI * 1000 * double(i) / rate);
            ss += s * s, sc += s * c, cc += c * c, xs += x[i] * s, xc += x[i] * c;
        }
        const double a = (xs * cc - xc * sc) / (ss * cc - sc * sc), b = (xc * ss - xs * sc) / (ss * cc - sc * sc);
        double signal = 0, rest = 0;
        for (size_t i = 0; i < x.size(); ++i) {
            const double fit = a * std::sin(2 * M_PI * 1000 * double(i) / rate) + b * std::cos(2 * M_PI * 1000 * double(i) / rate);
            signal += fit * fit, rest += (x[i] - fit) * (x[i] - fit);
        }
        EXPECT_LT(10 * std::log10(rest / signal), -170.0);
    }

    // A mono part between stereo ones plays on both sides at its own level.
    const std::string stereo = tonePart("level-stereo.wav", 440, 1.0, {"-c:a", "pcm_s16le"}, true);
    const std::string mono = tonePart("level-mono.wav", 440, 1.0, {"-c:a", "pcm_s16le"});
    RecordingHost watcher;
    const std::string out = freshDir("kept-level") + "/joined.wav";
    JoinJob job(JoinRequest{out, {analyzed(stereo).row.value(), analyzed(mono).row.value()}, {}}, watcher);
    job.run();
    ASSERT_EQ(job.outcome()->status, JoinStatus::succeeded) << job.outcome()->reason;
    auto level = [&](const std::string& trim) {
        const std::string err = runCommand("ffmpeg", {"-v", "info", "-i", out, "-af", trim + ",volumedetect", "-f",
                                                      "null", "-"}).err;
        const size_t at = err.find("mean_volume: ");
        return at == std::string::npos ? 0.0 : std::stod(err.substr(at + 13));
    };
    EXPECT_NEAR(level("atrim=0.1:0.9"), level("atrim=1.1:1.9"), 0.05);
}
