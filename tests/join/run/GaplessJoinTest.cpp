// Real joins into every output format, measured on the decoded audio: a
// sweep cut sample-exactly in three comes out whole (no shift, no dropout at
// the joins, as long as the pieces), lossless outputs bit for bit; and video
// clips fitted into 640x480 with their shape kept and their sound in place.
#include "support/AudioCheck.h"
#include "support/JoinTestSupport.h"

using namespace jointest;
using audiocheck::Pcm;

namespace {

constexpr int kRate = 44100;
// Three pieces of about a second, none a whole number of codec frames nor
// of milliseconds (an M4A's edit list keeps whole milliseconds only; the
// join cuts it at its exact count of samples).
const std::vector<int64_t> kBounds{0, 44537, 89519, 132300};
// Left sweeps up, right down: no two stretches alike.
const std::string kSweep = "aevalsrc=exprs=0.5*sin(2*PI*(100*t+1975*t*t))|0.5*sin(2*PI*(6000*t-900*t*t)):s=44100:d=3";

std::string piece(size_t i, const std::string& kind, const std::vector<std::string>& codec)
{
    // 24-bit pieces carry 24 bits of their own, so that a lost byte shows.
    const bool deep = kind.starts_with("24");
    const std::string source = makeMedia(deep ? "gapless-sweep24.wav" : "gapless-sweep.wav",
                                         {"-f", "lavfi", "-i", kSweep, "-c:a", deep ? "pcm_s24le" : "pcm_s16le"});
    std::vector<std::string> arguments{"-i", source, "-af",
                                       "atrim=start_sample=" + std::to_string(kBounds[i]) + ":end_sample=" +
                                           std::to_string(kBounds[i + 1]) + ",asetpts=PTS-STARTPTS"};
    arguments.insert(arguments.end(), codec.begin(), codec.end());
    return makeMedia("gapless-" + std::to_string(i) + "." + kind, arguments);
}

struct InputKind {
    std::vector<std::string> pieces;
    bool lossless = false;
};

InputKind inputs(const std::string& name)
{
    const std::vector<std::string> wav{"-c:a", "pcm_s16le"}, flac{"-c:a", "flac"},
        flac24{"-c:a", "flac", "-sample_fmt", "s32"},
        m4a{"-c:a", "aac", "-b:a", "192k"}, mp3{"-c:a", "libmp3lame", "-q:a", "2"};
    auto wavPiece = [&](size_t i) { return piece(i, "wav", wav); };
    if (name == "wav")  // read by the concat itself
        return {{wavPiece(0), wavPiece(1), wavPiece(2)}, true};
    if (name == "wav+flac")  // normalised to 16-bit PCM first
        return {{wavPiece(0), piece(1, "flac", flac), wavPiece(2)}, true};
    if (name == "flac")  // the first in small blocks, the others in larger ones
        return {{piece(0, "1152.flac", {"-c:a", "flac", "-frame_size", "1152"}), piece(1, "flac", flac),
                 piece(2, "flac", flac)},
                true};
    if (name == "flac24")
        return {{piece(0, "24.flac", flac24), piece(1, "24.flac", flac24), piece(2, "24.flac", flac24)}, true};
    if (name == "m4a")  // the decoder's end padding must be cut
        return {{piece(0, "m4a", m4a), piece(1, "m4a", m4a), piece(2, "m4a", m4a)}, false};
    if (name == "mp3+m4a+wav")
        return {{piece(0, "mp3", mp3), piece(1, "m4a", m4a), wavPiece(2)}, false};
    ADD_FAILURE() << "no input kind " << name;
    return {};
}

struct FormatCase {
    std::string extension;
    std::string inputs;
    std::string formatAndCodec;  // ffprobe's format_name and codec_name of the output
    int64_t frame;               // one codec frame at the output's rate: the length may differ by that
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.inputs << " into ." << c.extension; }

std::string probeFormatAndCodec(const std::string& path)
{
    return runCommand("ffprobe", {"-v", "error", "-select_streams", "a:0", "-show_entries",
                                  "format=format_name:stream=codec_name", "-of", "default=nw=1:nk=1", path}).out;
}

class GaplessJoin : public testing::TestWithParam<FormatCase> {};

}  // namespace

TEST_P(GaplessJoin, PiecesComeOutWhole)
{
    const FormatCase& c = GetParam();
    const InputKind kind = inputs(c.inputs);
    const std::string out = freshDir("gapless " + c.inputs + " " + c.extension) + "/joined." + c.extension;
    std::vector<std::string> arguments{"join", "-o", out};
    arguments.insert(arguments.end(), kind.pieces.begin(), kind.pieces.end());
    const CommandResult joined = runCommand(cliPath(), arguments);
    ASSERT_EQ(joined.exitCode, 0) << joined.err;
    EXPECT_EQ(probeFormatAndCodec(out), c.formatAndCodec);
    EXPECT_EQ(audiocheck::decodeErrors(out), "");

    // The pieces as decoded, each cut to its length, one after another, at the output's rate.
    const int rate = audiocheck::sampleRate(out);
    std::vector<Pcm> decoded;
    for (size_t i = 0; i < kind.pieces.size(); ++i) {
        decoded.push_back(audiocheck::decode(kind.pieces[i], kRate, 2));
        decoded.back().samples.resize(size_t(kBounds[i + 1] - kBounds[i]) * 2);
    }
    Pcm reference = audiocheck::concatenate(decoded);
    const std::string referenceMd5 = audiocheck::md5(reference);
    if (rate != kRate)
        reference = audiocheck::resample(reference, rate);
    const Pcm output = audiocheck::decode(out, rate, 2);
    const audiocheck::Report report =
        audiocheck::compare(output, reference, {kBounds[1] * rate / kRate, kBounds[2] * rate / kRate});
    EXPECT_EQ(report.startLag, c.extension == "aac" ? 1024 : 0);  // ADTS has no room to mark the priming
    ASSERT_EQ(report.joins.size(), 2u);
    for (const audiocheck::Join& join : report.joins) {
        EXPECT_EQ(join.lagAfter, join.lagBefore) << "join at " << join.cut;
        EXPECT_LE(join.dropoutMs, 1.0) << "join at " << join.cut;
    }
    EXPECT_LE(std::abs(report.frameDifference - report.startLag), c.frame);
    if (kind.lossless && (c.extension == "flac" || c.extension == "wav" || c.extension == "mka"))
        EXPECT_EQ(audiocheck::md5(output), referenceMd5);
    else
        EXPECT_GT(report.snrDb, 25.0);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, GaplessJoin,
    testing::Values(FormatCase{"mp3", "wav", "mp3\nmp3\n", 1152},
                    FormatCase{"mp3", "mp3+m4a+wav", "mp3\nmp3\n", 1152},
                    FormatCase{"m4a", "m4a", "aac\nmov,mp4,m4a,3gp,3g2,mj2\n", 1024},
                    FormatCase{"m4b", "wav+flac", "aac\nmov,mp4,m4a,3gp,3g2,mj2\n", 1024},
                    FormatCase{"mp4", "wav", "aac\nmov,mp4,m4a,3gp,3g2,mj2\n", 1024},
                    FormatCase{"aac", "wav", "aac\naac\n", 2048},
                    FormatCase{"flac", "flac", "flac\nflac\n", 0},
                    FormatCase{"flac", "flac24", "flac\nflac\n", 0},
                    FormatCase{"wav", "flac24", "pcm_s24le\nwav\n", 0},
                    FormatCase{"wav", "wav+flac", "pcm_s16le\nwav\n", 0},
                    FormatCase{"opus", "wav+flac", "opus\nogg\n", 960}, FormatCase{"ogg", "m4a", "opus\nogg\n", 960},
                    FormatCase{"mka", "wav", "flac\nmatroska,webm\n", 0},
                    FormatCase{"mkv", "wav+flac", "vorbis\nmatroska,webm\n", 2048}),
    [](const auto& info) {
        std::string name = info.param.inputs + "_" + info.param.extension;
        for (char& ch : name)
            ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
        return name;
    });

TEST_F(JoinTest, VideoClipsKeepTheirShapeAndTheirSoundInPlace)
{
    // Clips of a second, 16:9 then 4:3: with sound (one sweep cut in two), and without.
    const std::string sweep = makeMedia("video-sweep.wav", {"-f", "lavfi", "-i", kSweep, "-c:a", "pcm_s16le"});
    auto clip = [&](const std::string& name, const std::string& size, double from) {
        std::vector<std::string> arguments{"-f", "lavfi", "-i", "testsrc=size=" + size + ":rate=25:duration=1"};
        if (from >= 0)
            arguments.insert(arguments.end(),
                             {"-ss", std::to_string(from), "-t", "1", "-i", sweep, "-c:a", "aac", "-b:a", "192k"});
        arguments.insert(arguments.end(), {"-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p"});
        return makeMedia(name, arguments);
    };
    const std::vector<std::string> sounding{clip("wide.mp4", "320x180", 0), clip("narrow.mp4", "160x120", 1)};
    const std::vector<std::string> silent{clip("wide-mute.mp4", "320x180", -1), clip("narrow-mute.mp4", "160x120", -1)};
    for (const bool withSound : {true, false}) {
        const std::vector<std::string>& clips = withSound ? sounding : silent;
        const std::string out = freshDir(withSound ? "video join" : "silent video join") + "/joined.mp4";
        std::vector<std::string> arguments{"join", "-o", out};
        arguments.insert(arguments.end(), clips.begin(), clips.end());
        const CommandResult joined = runCommand(cliPath(), arguments);
        ASSERT_EQ(joined.exitCode, 0) << joined.err;
        EXPECT_EQ(audiocheck::decodeErrors(out), "");
        EXPECT_EQ(runCommand("ffprobe", {"-v", "error", "-show_entries",
                                         "stream=codec_name,width,height,sample_aspect_ratio", "-of", "csv=p=0", out})
                      .out,
                  "h264,640,480,1:1\naac\n");
        EXPECT_NEAR(mediaDuration(out), 2.0, 0.03);

        // The picture area of each clip: bars above and below the wide one only.
        for (const auto& [at, area] :
             std::vector<std::pair<std::string, std::string>>{{"0.4", "crop=640:360:0:60"}, {"1.4", "crop=640:480:0:0"}}) {
            const CommandResult crop = runCommand("ffmpeg", {"-v", "info", "-ss", at, "-i", out, "-frames:v", "2", "-vf",
                                                             "cropdetect=limit=24:round=2:reset=1", "-f", "null", "-"});
            EXPECT_TRUE(contains(crop.err, area)) << at << ": " << crop.err;
        }

        // The sound: each clip's at its place, or silence as long as the picture.
        const Pcm output = audiocheck::decode(out, 48000, 2);
        EXPECT_NEAR(output.seconds(), 2.0, 0.025);
        if (!withSound) {
            EXPECT_EQ(audiocheck::quietRuns(output, 96000 - 1200, 1e-4f).size(), 1u) << output.frames();
            continue;
        }
        Pcm first = audiocheck::decode(clips[0], 48000, 2), second = audiocheck::decode(clips[1], 48000, 2);
        first.samples.resize(48000 * 2);
        second.samples.resize(48000 * 2);
        const Pcm reference = audiocheck::concatenate({first, second});
        for (const int64_t start : {int64_t(2400), int64_t(36000), int64_t(50400), int64_t(84000)})
            EXPECT_EQ(audiocheck::align(output, reference, start, 9600, 0, 2400).lag, 0) << "at frame " << start;
        const audiocheck::Report report = audiocheck::compare(output, reference, {48000});
        EXPECT_LE(report.joins.at(0).dropoutMs, 1.0);
    }
}
