// How faithful and how fast `velmora-cli join` is, next to one ffmpeg
// concat-filter run doing a single decode and encode.
//
//   velmora_fidelity [--cli PATH] [--work DIR] [--inputs LIST] [--outputs LIST] [--extra LIST] [--no-ffmpeg]
//       Makes one continuous 30-s sweep (44.1 kHz stereo), cuts it
//       sample-exactly into five pieces, encodes the pieces as each input
//       kind, joins each set into each output format, decodes every result and
//       prints a markdown table: time shift and dropout at each join, the
//       largest error at a join next to the codec's own noise elsewhere, SNR
//       against the source, length against the inputs, bit-exactness for
//       lossless sets, and whether ffmpeg decodes the result without a word.
//       LIST is comma-separated: inputs from wav,flac,flac24,mp3cbr,mp3vbr,m4a,opus
//       (default all but flac24), outputs from mp3,m4a,m4b,flac,wav,opus,ogg,mkv,mka
//       (default mp3,m4a,flac,wav); --extra outputs (default opus,ogg,mkv,mka)
//       are made from the WAV set only.
//
//   velmora_fidelity speed [--cli PATH] [--rounds N] [--files N] [--seconds S] [--music] [--mixed]
//       Twenty 30-s MP3s into one .mp3: velmora-cli against one ffmpeg
//       concat-filter run (libmp3lame -q:a 2), alternating; then the first two
//       normalisation commands of velmora-cli's own plan, one after another and
//       both at once. The MP3s hold mono tones, cheap to encode, or with
//       --music stereo noise under the tones, as costly to encode as music.
//       With --mixed the last file is a FLAC, so that velmora-cli normalises
//       every file before the concat instead of letting the concat read them.
//
//   velmora_fidelity video [--cli PATH] [--work DIR]
//       Five H.264/AAC clips of other sizes, shapes and frame rates (one
//       anamorphic), their sound consecutive pieces of a 48-kHz sweep, joined
//       into one .mp4: the sound at each join (shift, dropout, error) against
//       the clips' own sound, the picture area of each clip, and the lengths.
//
//   velmora_fidelity cuts --part FILE --at F1,F2,... OUTPUT...
//       For outputs joined from copies of one part (a long book made of the
//       same part again and again): around each given frame, the second of
//       sound against the part's own decoded sound at that place: SNR, time
//       shift across the frame and the longest dropout. For the cuts between
//       the segments of a parallel encode, next to one encoder's output.
//
//   velmora_fidelity measure [--reference FILE] [--lossless] --pieces A,B,... OUTPUT...
//       The same measures for outputs made by hand from the given pieces; the
//       reference (the source, for the SNR) defaults to the decoded pieces one
//       after another; the joins are always measured against those. With
//       --lossless the outputs must hold the pieces bit-exactly.
//
// --cli defaults to the velmora-cli beside this program; velmora-cli runs with
// TMPDIR in the work folder so that its work folder is its own.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "support/AudioCheck.h"

namespace {

using audiocheck::Pcm;
using Clock = std::chrono::steady_clock;

constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr double kSeconds = 30.0;
// Uneven cuts, so that no piece is a whole number of codec frames.
const std::vector<double> kCutSeconds{5.3, 11.71, 17.9, 24.45};
// Left sweeps up 60 Hz -> 12 kHz, right down 10 kHz -> 310 Hz, at -6 dBFS.
const char* const kSweep = "aevalsrc=exprs=0.5*sin(2*PI*(60*t+199*t*t))|0.5*sin(2*PI*(10000*t-161.5*t*t))"
                           ":s=44100:d=30";

struct InputKind {
    std::string name;
    std::string extension;
    QStringList codec;
    bool lossless;
};

const std::vector<InputKind>& inputKinds()
{
    static const std::vector<InputKind> kinds{
        {"wav", ".wav", {"-c:a", "pcm_s16le"}, true},
        {"flac", ".flac", {"-c:a", "flac"}, true},
        {"flac24", ".flac", {"-c:a", "flac", "-sample_fmt", "s32"}, true},
        {"mp3cbr", ".mp3", {"-c:a", "libmp3lame", "-b:a", "192k"}, false},
        {"mp3vbr", ".mp3", {"-c:a", "libmp3lame", "-q:a", "2"}, false},
        {"m4a", ".m4a", {"-c:a", "aac", "-b:a", "192k"}, false},
        {"opus", ".opus", {"-c:a", "libopus", "-b:a", "128k"}, false},
    };
    return kinds;
}

struct OutputKind {
    std::string extension;
    int64_t frame;       // one codec frame, in 44.1 kHz frames (0: exact)
    QStringList encoder; // the single encode of the ffmpeg comparison
    bool lossless;
};

std::optional<OutputKind> outputKind(const std::string& name)
{
    static const std::map<std::string, OutputKind> kinds{
        {"mp3", {".mp3", 1152, {"-c:a", "libmp3lame", "-q:a", "2"}, false}},
        {"m4a", {".m4a", 1024, {"-c:a", "aac", "-b:a", "192k"}, false}},
        {"m4b", {".m4b", 1024, {"-c:a", "aac", "-b:a", "192k", "-f", "ipod"}, false}},
        {"flac", {".flac", 0, {"-c:a", "flac"}, true}},
        {"wav", {".wav", 0, {"-c:a", "pcm_s16le"}, true}},
        {"opus", {".opus", 882, {"-c:a", "libopus", "-b:a", "128k"}, false}},
        {"ogg", {".ogg", 882, {"-c:a", "libopus", "-b:a", "128k"}, false}},
        {"mkv", {".mkv", 1024, {}, false}},  // the tool's defaults (Vorbis)
        {"mka", {".mka", 1024, {"-c:a", "flac"}, true}},
    };
    const auto it = kinds.find(name);
    if (it == kinds.end())
        return std::nullopt;
    return it->second;
}

std::vector<std::string> splitList(const std::string& text)
{
    std::vector<std::string> items;
    size_t from = 0;
    while (from <= text.size()) {
        const size_t comma = text.find(',', from);
        const std::string item = text.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
        if (!item.empty())
            items.push_back(item);
        if (comma == std::string::npos)
            break;
        from = comma + 1;
    }
    return items;
}

std::string format(const char* pattern, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

struct Outcome {
    int exitCode = -1;
    std::string err;
    double seconds = 0.0;
};

Outcome run(const QString& program, const QStringList& arguments, const QString& tmpDir = {})
{
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    if (!tmpDir.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TMPDIR", tmpDir);
        process.setProcessEnvironment(environment);
    }
    const auto start = Clock::now();
    process.start(program, arguments);
    Outcome outcome;
    if (process.waitForStarted() && process.waitForFinished(-1))
        outcome.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    outcome.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    outcome.err = process.readAllStandardError().toStdString();
    return outcome;
}

Outcome ffmpeg(QStringList arguments)
{
    arguments.prepend("-nostdin");
    arguments.prepend("error");
    arguments.prepend("-v");
    arguments.prepend("-y");
    const Outcome outcome = run("ffmpeg", arguments);
    if (outcome.exitCode != 0)
        std::fprintf(stderr, "ffmpeg %s: %s\n", arguments.join(' ').toUtf8().constData(), outcome.err.c_str());
    return outcome;
}

Pcm load(const std::string& path, int rate = kRate)
{
    std::string error;
    Pcm pcm = audiocheck::decode(path, rate, kChannels, &error);
    if (pcm.frames() == 0)
        std::fprintf(stderr, "cannot decode %s: %s\n", path.c_str(), error.c_str());
    return pcm;
}

// What the measures compare an output with.
struct InputSet {
    std::string name;
    std::vector<std::string> pieces;
    Pcm source;                     // what the pieces were cut from (for the SNR)
    Pcm joined;                     // the decoded pieces one after another, at their own rate
    std::vector<int64_t> cuts;      // frames of `joined` where pieces 2.. begin
    std::string losslessMd5;        // of `joined`, for lossless sets

    // The source, the joined pieces and the cuts at another rate: an output
    // at 48 kHz is measured at 48 kHz, where its joins fall on whole frames.
    // The pieces are resampled together, as one joiner doing it right would.
    struct AtRate {
        Pcm source, joined;
        std::vector<int64_t> cuts;
    };
    std::map<int, AtRate> atRates;
    const AtRate& at(int rate)
    {
        auto it = atRates.find(rate);
        if (it == atRates.end()) {
            AtRate views{audiocheck::resample(source, rate), audiocheck::resample(joined, rate), {}};
            for (int64_t cut : cuts)
                views.cuts.push_back(cut * rate / joined.rate);
            it = atRates.emplace(rate, std::move(views)).first;
        }
        return it->second;
    }
};

struct Row {
    std::string inputs, output, by, result;
    audiocheck::Report report;
    std::string md5, clean;
    double snrSource = 0.0;
    double dropoutMs = 0.0;         // the longest at any join
    double joinError = 0.0;         // the largest at any join
    int rate = kRate;               // the output's, at which it is measured
    double lengthDifferenceMs = 0.0;  // output - inputs
    bool within = false;
    bool passed = false;
};

Row measure(InputSet& set, const std::string& path, const OutputKind& kind, const std::string& by,
            const Outcome& outcome)
{
    Row row;
    row.inputs = set.name;
    row.output = kind.extension;
    row.by = by;
    row.md5 = "–";
    if (outcome.exitCode != 0) {
        row.result = "failed (exit " + std::to_string(outcome.exitCode) + ")";
        std::fprintf(stderr, "%s into %s failed: %s\n", by.c_str(), path.c_str(), outcome.err.c_str());
        return row;
    }
    row.rate = audiocheck::sampleRate(path);
    std::string error;
    const Pcm output = audiocheck::decode(path, row.rate, kChannels, &error);
    if (output.frames() == 0) {
        row.result = "no audio";
        return row;
    }
    // The joins against what went in (lossy pieces bring their own edges),
    // the SNR against the source.
    const InputSet::AtRate& at = set.at(row.rate);
    row.report = audiocheck::compare(output, at.joined, at.cuts);
    row.snrSource = audiocheck::snrDb(output, at.source, row.report);
    const std::string errors = audiocheck::decodeErrors(path);
    const size_t newline = errors.find('\n');
    row.clean = errors.empty() ? "yes" : "no: " + errors.substr(0, std::min<size_t>(newline, 60));
    if (!set.losslessMd5.empty() && kind.lossless)
        row.md5 = row.rate == set.joined.rate && audiocheck::md5(output) == set.losslessMd5 ? "equal" : "differs";
    row.lengthDifferenceMs = (output.seconds() - set.joined.seconds()) * 1000.0;
    row.within = std::fabs(row.lengthDifferenceMs) <= audiocheck::framesToMs(kind.frame, kRate) + 1e-6;

    bool shifted = row.report.startLag != 0;
    for (const audiocheck::Join& join : row.report.joins) {
        row.dropoutMs = std::max(row.dropoutMs, join.dropoutMs);
        row.joinError = std::max(row.joinError, join.joinError);
        shifted = shifted || join.lagAfter != join.lagBefore;
    }
    std::vector<std::string> failed;
    if (shifted)
        failed.push_back("shift");
    if (row.dropoutMs > 1.0)
        failed.push_back("dropout");
    if (row.joinError > row.report.noisePeak * 1.5 + 1e-6)
        failed.push_back("join error");
    if (!row.within)
        failed.push_back("length");
    if (row.md5 == "differs")
        failed.push_back("md5");
    if (!errors.empty())
        failed.push_back("decode");
    row.passed = failed.empty();
    row.result = "ok";
    for (size_t i = 0; i < failed.size(); ++i)
        row.result = (i == 0 ? "FAIL: " : row.result + ", ") + failed[i];
    return row;
}

void printHeader()
{
    std::printf("| inputs | output | joined by | result | start (ms) | shift at each join (ms) | longest dropout (ms) "
                "| join error / codec noise | SNR vs source (dB) | length − inputs (ms) | lossless md5 | clean decode |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|---|---|\n");
}

void printRow(const Row& row)
{
    const audiocheck::Report& r = row.report;
    if (r.joins.empty()) {
        std::printf("| %s | %s | %s | %s | | | | | | | | |\n", row.inputs.c_str(), row.output.c_str(), row.by.c_str(),
                    row.result.c_str());
        return;
    }
    std::string shifts;
    for (const audiocheck::Join& join : r.joins)
        shifts += (shifts.empty() ? "" : " ") + format("%.1f", join.shiftMs);
    std::printf("| %s | %s | %s | %s | %s | %s | %s | %s / %s | %s | %s%s | %s | %s |\n", row.inputs.c_str(),
                row.output.c_str(), row.by.c_str(), row.result.c_str(),
                format("%.1f", audiocheck::framesToMs(r.startLag, row.rate)).c_str(), shifts.c_str(),
                format("%.2f", row.dropoutMs).c_str(), format("%.4f", row.joinError).c_str(),
                format("%.4f", r.noisePeak).c_str(), format("%.1f", row.snrSource).c_str(),
                format("%+.2f", row.lengthDifferenceMs).c_str(), row.within ? "" : " (> 1 frame)",
                row.md5.c_str(), row.clean.c_str());
}

struct Options {
    QString cli;
    QString work;
    std::vector<std::string> inputs{"wav", "flac", "mp3cbr", "mp3vbr", "m4a", "opus"};
    std::vector<std::string> outputs{"mp3", "m4a", "flac", "wav"};
    std::vector<std::string> extra{"opus", "ogg", "mkv", "mka"};
    bool withFfmpeg = true;
    bool lossless = false;
    bool music = false;
    bool mixed = false;
    int rounds = 2;
    int files = 20;
    double seconds = 30.0;
    std::string reference;
    std::vector<std::string> pieces;
    std::vector<std::string> measured;
    std::string part;
    std::vector<int64_t> at;
};

InputSet makeInputSet(const InputKind& kind, const QString& source, const Pcm& reference, const QString& folder)
{
    InputSet set;
    set.name = kind.name;
    set.source = reference;
    std::vector<int64_t> bounds{0};
    for (double seconds : kCutSeconds)
        bounds.push_back(std::llround(seconds * kRate));
    bounds.push_back(reference.frames());
    QDir().mkpath(folder);
    for (size_t i = 0; i + 1 < bounds.size(); ++i) {
        const QString piece = folder + QString("/piece%1").arg(i + 1) + QString::fromStdString(kind.extension);
        QStringList arguments{"-i", source, "-af",
                              QString("atrim=start_sample=%1:end_sample=%2,asetpts=PTS-STARTPTS")
                                  .arg(bounds[i])
                                  .arg(bounds[i + 1])};
        arguments += kind.codec;
        arguments << piece;
        ffmpeg(arguments);
        set.pieces.push_back(piece.toStdString());
    }
    // The pieces at their own rate (Opus: 48 kHz), each as long as its cut:
    // padding that a decoder leaves in (AAC in MP4, for one) is no part of it.
    const int rate = audiocheck::sampleRate(set.pieces.front());
    std::vector<Pcm> decoded;
    std::string lengths;
    for (size_t i = 0; i < set.pieces.size(); ++i) {
        decoded.push_back(load(set.pieces[i], rate));
        const int64_t length = bounds[i + 1] * rate / kRate - bounds[i] * rate / kRate;
        lengths += (lengths.empty() ? "" : ", ") + std::to_string(decoded.back().frames() - length);
        decoded.back().samples.resize(size_t(length * kChannels), 0.0f);
        if (i > 0)
            set.cuts.push_back(bounds[i] * rate / kRate);
    }
    set.joined = audiocheck::concatenate(decoded);
    if (kind.lossless)
        set.losslessMd5 = audiocheck::md5(set.joined);
    std::printf("- %s (%d Hz): the pieces decode to %s (decoded − cut frames: %s)\n", kind.name.c_str(), rate,
                lengths.find_first_not_of("0, ") == std::string::npos ? "their cut length exactly"
                                                                     : "another length than their cut",
                lengths.c_str());
    return set;
}

QStringList concatFilterCommand(const std::vector<std::string>& pieces, const OutputKind& kind, const QString& out)
{
    QStringList arguments;
    QString graph;
    for (size_t i = 0; i < pieces.size(); ++i) {
        arguments << "-i" << QString::fromStdString(pieces[i]);
        graph += QString("[%1:a:0]").arg(i);
    }
    graph += QString("concat=n=%1:v=0:a=1[a]").arg(pieces.size());
    arguments << "-filter_complex" << graph << "-map" << "[a]";
    arguments += kind.encoder;
    arguments << out;
    return arguments;
}

int fidelity(const Options& options)
{
    const QString work = options.work;
    const QString tmp = work + "/tmp";
    QDir().mkpath(tmp);
    const QString source = work + "/sweep.wav";
    std::fprintf(stderr, "Making the sweep and the pieces in %s...\n", work.toUtf8().constData());
    ffmpeg({"-f", "lavfi", "-i", kSweep, "-c:a", "pcm_s16le", source});
    const Pcm reference = load(source.toStdString());
    if (reference.frames() != int64_t(kSeconds * kRate))
        return 1;

    std::printf("## Inputs\n\n");
    std::vector<InputSet> sets;
    for (const std::string& name : options.inputs) {
        const auto kind = std::find_if(inputKinds().begin(), inputKinds().end(),
                                       [&](const InputKind& k) { return k.name == name; });
        if (kind == inputKinds().end()) {
            std::fprintf(stderr, "unknown input kind %s\n", name.c_str());
            return 2;
        }
        sets.push_back(makeInputSet(*kind, source, reference, work + "/" + QString::fromStdString(name)));
    }

    std::printf("\n## Joins\n\nvelmora-cli: %s\n\n", options.cli.toUtf8().constData());
    printHeader();
    int failures = 0;
    auto joinAll = [&](InputSet& set, const std::string& outputName) {
        const auto kind = outputKind(outputName);
        if (!kind) {
            std::fprintf(stderr, "unknown output %s\n", outputName.c_str());
            return;
        }
        const QString stem = work + "/out-" + QString::fromStdString(set.name);
        const QString velmoraOut = stem + "-velmora" + QString::fromStdString(kind->extension);
        QFile::remove(velmoraOut);
        QStringList arguments{"join", "-o", velmoraOut};
        for (const std::string& piece : set.pieces)
            arguments << QString::fromStdString(piece);
        std::fprintf(stderr, "%s -> %s\n", set.name.c_str(), kind->extension.c_str());
        const Row row = measure(set, velmoraOut.toStdString(), *kind, "velmora-cli", run(options.cli, arguments, tmp));
        failures += row.passed ? 0 : 1;
        printRow(row);
        if (options.withFfmpeg) {
            const QString ffmpegOut = stem + "-ffmpeg" + QString::fromStdString(kind->extension);
            const Outcome made = ffmpeg(concatFilterCommand(set.pieces, *kind, ffmpegOut));
            const Row other = measure(set, ffmpegOut.toStdString(), *kind, "ffmpeg concat filter", made);
            printRow(other);
        }
        std::fflush(stdout);
    };
    for (InputSet& set : sets)
        for (const std::string& output : options.outputs)
            joinAll(set, output);
    const auto wavSet = std::find_if(sets.begin(), sets.end(), [](const InputSet& s) { return s.name == "wav"; });
    if (wavSet != sets.end())
        for (const std::string& output : options.extra)
            joinAll(*wavSet, output);

    std::printf("\nstart: where the first piece begins in the output; shift: material inserted (+) or lost (−) "
                "at a join; join error: the largest |output − inputs| within 10 ms of a join (the pieces as "
                "decoded, each cut to its length), next to the largest anywhere else (the codec's own noise); ok means no shift, no dropout over 1 ms, no join error above "
                "1.5 × the codec noise, length within one codec frame of the inputs, bit-exact when lossless, and a "
                "clean decode.\n\n%d velmora-cli joins fail.\n",
                failures);
    return 0;
}

int measureByHand(const Options& options)
{
    InputSet set;
    set.name = "given";
    set.pieces = options.pieces;
    std::vector<Pcm> decoded;
    const int rate = audiocheck::sampleRate(options.pieces.front());
    int64_t frames = 0;
    for (const std::string& piece : options.pieces) {
        decoded.push_back(load(piece, rate));
        // Padding that the decoder leaves in (AAC in MP4) is no part of the piece.
        const int64_t declared = std::llround(audiocheck::declaredDuration(piece) * rate);
        if (declared > 0 && declared < decoded.back().frames())
            decoded.back().samples.resize(size_t(declared * kChannels));
        if (frames > 0)
            set.cuts.push_back(frames);
        frames += decoded.back().frames();
    }
    set.joined = audiocheck::concatenate(decoded);
    if (options.lossless)
        set.losslessMd5 = audiocheck::md5(set.joined);
    set.source = options.reference.empty() ? set.joined : load(options.reference, rate);
    printHeader();
    for (const std::string& output : options.measured) {
        const std::string extension = QFileInfo(QString::fromStdString(output)).suffix().toStdString();
        OutputKind kind = outputKind(extension).value_or(OutputKind{"." + extension, 1024, {}, false});
        const Row row = measure(set, output, kind, "given", Outcome{0, {}, 0.0});
        printRow(row);
        for (const audiocheck::Join& join : row.report.joins)
            std::printf("  join at %.4f s: shift %+lld frames, dropout %.2f ms, error %.5f\n",
                        double(join.cut) / std::max(row.rate, 1), static_cast<long long>(join.lagAfter - join.lagBefore),
                        join.dropoutMs, join.joinError);
        std::printf("  measured at %d Hz; codec noise peak %.5f at %.4f s\n", row.rate, row.report.noisePeak,
                    double(row.report.noisePeakFrame) / std::max(row.rate, 1));
    }
    return 0;
}

// The second of an output around frame `at`, decoded without holding the whole file.
Pcm secondAround(const std::string& path, int64_t at, const QString& work)
{
    const QString piece = work + "/around.wav";
    const Outcome cut = ffmpeg({"-i", QString::fromStdString(path), "-map", "0:a:0", "-af",
                                QString("atrim=start_sample=%1:end_sample=%2").arg(at - kRate / 2).arg(at + kRate / 2),
                                "-c:a", "pcm_f32le", "-y", piece});
    return cut.exitCode == 0 ? load(piece.toStdString()) : Pcm{};
}

int cutsAround(const Options& options)
{
    const Pcm part = load(options.part);
    if (part.frames() == 0)
        return 1;
    std::printf("| Output | Frame | SNR (1 s around) | Shift | Dropout |\n|---|---|---|---|---|\n");
    for (const std::string& output : options.measured) {
        for (const int64_t at : options.at) {
            const Pcm around = secondAround(output, at, options.work);
            Pcm reference{part.rate, part.channels, {}};
            for (int64_t f = at - kRate / 2; f < at + kRate / 2; ++f)
                for (int c = 0; c < part.channels; ++c)
                    reference.samples.push_back(part.at(f % part.frames(), c));
            if (around.frames() < kRate) {
                std::printf("| %s | %lld | cannot decode | | |\n", output.c_str(), static_cast<long long>(at));
                continue;
            }
            const audiocheck::Report report = audiocheck::compare(around, reference, {kRate / 2});
            const audiocheck::Join& join = report.joins.front();
            std::printf("| %s | %lld | %.2f dB | %+lld | %.2f ms |\n", output.c_str(), static_cast<long long>(at),
                        audiocheck::snrDb(around, reference, 0), static_cast<long long>(join.lagAfter - join.lagBefore),
                        join.dropoutMs);
        }
    }
    return 0;
}

// The normalisation commands velmora-cli would run for these files.
std::vector<QStringList> plannedCommands(const Options& options, const QStringList& files, const QString& tmp)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TMPDIR", tmp);
    process.setProcessEnvironment(environment);
    process.start(options.cli, QStringList{"join", "--dry-run", "-o", tmp + "/plan.mp3"} + files);
    process.waitForFinished(-1);
    std::vector<QStringList> commands;
    for (const QJsonValue& command : QJsonDocument::fromJson(process.readAllStandardOutput())["commands"].toArray()) {
        QStringList arguments;
        for (const QJsonValue& argument : command.toArray())
            arguments << argument.toString();
        commands.push_back(arguments);
    }
    return commands;
}

int speed(const Options& options)
{
    const QString work = options.work;
    const QString tmp = work + "/tmp";
    QDir().mkpath(tmp);
    std::fprintf(stderr, "Making %d MP3s of %.0f s in %s...\n", options.files, options.seconds,
                 work.toUtf8().constData());
    QStringList files;
    for (int i = 1; i <= options.files; ++i) {
        // With --mixed the last file is a FLAC: the list is no longer one the
        // concat can read as it is, and every file is normalised first.
        const bool flac = options.mixed && i == options.files;
        const QString file = work + QString("/track%1.").arg(i) + (flac ? "flac" : "mp3");
        const QStringList codec = flac ? QStringList{"-c:a", "flac"}
                                       : QStringList{"-c:a", "libmp3lame", "-b:a", options.music ? "192k" : "128k"};
        const QString tone =
            QString("sine=frequency=%1:sample_rate=44100:duration=%2").arg(200 + 20 * i).arg(options.seconds);
        if (options.music)  // stereo pink noise under the tone: the encoder works as hard as on music
            ffmpeg(QStringList{"-f", "lavfi", "-i",
                               QString("anoisesrc=color=pink:amplitude=0.2:r=44100:d=%1:seed=%2").arg(options.seconds).arg(i),
                               "-f", "lavfi", "-i", tone, "-filter_complex", "[0][1]amix=inputs=2,pan=stereo|c0=c0|c1=0.8*c0"} +
                   codec + QStringList{file});
        else
            ffmpeg(QStringList{"-f", "lavfi", "-i", tone} + codec + QStringList{file});
        files << file;
    }
    const QString velmoraOut = work + "/joined-velmora.mp3";
    const QString ffmpegOut = work + "/joined-ffmpeg.mp3";
    std::vector<std::string> pieces;
    for (const QString& file : files)
        pieces.push_back(file.toStdString());
    const QStringList concat = concatFilterCommand(pieces, *outputKind("mp3"), ffmpegOut);

    double velmoraTotal = 0.0, ffmpegTotal = 0.0;
    std::vector<double> ratios;
    auto timeVelmora = [&] {
        QFile::remove(velmoraOut);
        const Outcome outcome = run(options.cli, QStringList{"join", "-o", velmoraOut} + files, tmp);
        if (outcome.exitCode != 0)
            std::fprintf(stderr, "velmora-cli failed: %s\n", outcome.err.c_str());
        velmoraTotal += outcome.seconds;
        return outcome.seconds;
    };
    auto timeFfmpeg = [&] {
        const Outcome outcome = ffmpeg(concat);
        ffmpegTotal += outcome.seconds;
        return outcome.seconds;
    };
    for (int round = 1; round <= options.rounds; ++round) {
        double v = 0.0, f = 0.0;
        if (round % 2 == 1) {
            v = timeVelmora();
            f = timeFfmpeg();
        } else {
            f = timeFfmpeg();
            v = timeVelmora();
        }
        ratios.push_back(v / f);
        std::printf("round %d: velmora-cli %.2f s, ffmpeg concat filter %.2f s, ratio %.3f\n", round, v, f, v / f);
        std::fflush(stdout);
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("ratio velmora-cli / ffmpeg concat filter: %.3f (rounds %.3f to %.3f)\n", velmoraTotal / ffmpegTotal,
                ratios.front(), ratios.back());
    // What the probes of the intake cost, apart (velmora-cli probes every input before it joins).
    const Outcome intake = run(options.cli, QStringList{"list"} + files, tmp);
    std::printf("the intake alone (velmora-cli list): %.2f s\n", intake.seconds);

    // Two normalisations of the plan, one after another and then together. A
    // short FLAC after the first two MP3s makes velmora-cli normalise them.
    const QString tail = work + "/tail.flac";
    ffmpeg({"-f", "lavfi", "-i", "sine=frequency=1000:sample_rate=44100:duration=1", "-c:a", "flac", tail});
    const std::vector<QStringList> plan = plannedCommands(options, files.mid(0, 2) << tail, tmp);
    if (plan.size() < 2) {
        std::printf("no plan from velmora-cli --dry-run\n");
        return 1;
    }
    auto startOne = [&](QProcess& process, const QStringList& arguments) {
        process.setStandardInputFile(QProcess::nullDevice());
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        process.start("ffmpeg", arguments);
        process.waitForStarted();
    };
    double sequential = 0.0, parallel = 0.0;
    for (int round = 1; round <= options.rounds; ++round) {
        auto start = Clock::now();
        for (int i = 0; i < 2; ++i) {
            QProcess process;
            startOne(process, plan[size_t(i)]);
            process.waitForFinished(-1);
        }
        sequential += std::chrono::duration<double>(Clock::now() - start).count();
        start = Clock::now();
        QProcess first, second;
        startOne(first, plan[0]);
        startOne(second, plan[1]);
        first.waitForFinished(-1);
        second.waitForFinished(-1);
        parallel += std::chrono::duration<double>(Clock::now() - start).count();
    }
    std::printf("two normalisations: one after another %.2f s, together %.2f s, ratio %.3f (%d cores)\n",
                sequential / options.rounds, parallel / options.rounds, parallel / sequential,
                QThread::idealThreadCount());
    return 0;
}

// A video join: the sound at each join against the clips' own sound, the
// picture area of every clip, and the lengths.
int video(const Options& options)
{
    const QString work = options.work;
    const QString tmp = work + "/tmp";
    QDir().mkpath(tmp);
    struct Clip {
        QString size, rate, sar;
        double seconds;
    };
    const std::vector<Clip> clips{{"1280x720", "30", "1", 2.4},       {"640x480", "25", "1", 2.0},
                                  {"720x1280", "24", "1", 2.5},       {"720x576", "25", "64/45", 1.6},
                                  {"1920x1080", "30000/1001", "1", 1.5015}};
    const QString sweep = work + "/sweep48.wav";
    ffmpeg({"-f", "lavfi", "-i",
            "aevalsrc=exprs=0.5*sin(2*PI*(60*t+199*t*t))|0.5*sin(2*PI*(10000*t-161.5*t*t)):s=48000:d=12", "-c:a",
            "pcm_s16le", sweep});
    std::vector<std::string> paths;
    double start = 0.0;
    std::printf("## Clips\n\n");
    for (size_t i = 0; i < clips.size(); ++i) {
        const Clip& c = clips[i];
        const QString path = work + QString("/clip%1.mp4").arg(i + 1);
        ffmpeg({"-f", "lavfi", "-i", QString("testsrc=size=%1:rate=%2:duration=%3").arg(c.size, c.rate).arg(c.seconds),
                "-ss", QString::number(start), "-t", QString::number(c.seconds), "-i", sweep, "-map", "0:v", "-map",
                "1:a", "-vf", "setsar=" + c.sar, "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p",
                "-c:a", "aac", "-b:a", "192k", path});
        paths.push_back(path.toStdString());
        std::printf("- clip %zu: %s at %s fps, sample aspect %s, %.4f s\n", i + 1, c.size.toUtf8().constData(),
                    c.rate.toUtf8().constData(), c.sar.toUtf8().constData(), c.seconds);
        start += c.seconds;
    }
    const QString out = work + "/joined.mp4";
    QStringList arguments{"join", "-o", out};
    for (const std::string& path : paths)
        arguments << QString::fromStdString(path);
    const Outcome joined = run(options.cli, arguments, tmp);
    std::printf("\nvelmora-cli: %s, %.2f s\n\n", joined.exitCode == 0 ? "joined" : "FAILED", joined.seconds);
    if (joined.exitCode != 0) {
        std::fprintf(stderr, "%s\n", joined.err.c_str());
        return 1;
    }

    // The clips' own sound, each cut to the length its container declares.
    InputSet set;
    set.name = "clips";
    std::vector<Pcm> decoded;
    for (const std::string& path : paths) {
        decoded.push_back(load(path, 48000));
        const int64_t declared = std::llround(audiocheck::declaredDuration(path) * 48000);
        if (declared > 0 && declared < decoded.back().frames())
            decoded.back().samples.resize(size_t(declared * kChannels));
    }
    int64_t frames = 0;
    for (size_t i = 0; i + 1 < decoded.size(); ++i)
        set.cuts.push_back(frames += decoded[i].frames());
    set.joined = audiocheck::concatenate(decoded);
    set.source = set.joined;
    printHeader();
    const Row row = measure(set, out.toStdString(), OutputKind{".mp4", 1024, {}, false}, "velmora-cli", Outcome{0, {}, 0.0});
    printRow(row);
    for (const audiocheck::Join& join : row.report.joins)
        std::printf("  join at %.4f s: shift %+lld frames (%.2f ms), dropout %.2f ms, error %.5f\n",
                    double(join.cut) / 48000, static_cast<long long>(join.lagAfter - join.lagBefore), join.shiftMs,
                    join.dropoutMs, join.joinError);
    std::printf("  codec noise peak %.5f\n", row.report.noisePeak);
    // For comparison: the clips' own sound put together exactly, through the same one AAC encode.
    const QString raw = work + "/clips-sound.f32", once = work + "/clips-sound-once.m4a";
    QFile rawFile(raw);
    if (rawFile.open(QIODevice::WriteOnly)) {
        rawFile.write(reinterpret_cast<const char*>(set.joined.samples.data()),
                      qint64(set.joined.samples.size() * sizeof(float)));
        rawFile.close();
        ffmpeg({"-f", "f32le", "-ar", "48000", "-ac", "2", "-i", raw, "-c:a", "aac", "-b:a", "192k", once});
        printRow(measure(set, once.toStdString(), OutputKind{".m4a", 1024, {}, false}, "one AAC encode of the exact sound",
                         Outcome{0, {}, 0.0}));
    }
    std::printf("\n");

    // Where each clip's picture lies in the 640x480 frame.
    double at = 0.0;
    for (size_t i = 0; i < clips.size(); ++i) {
        const Outcome crop = run("ffmpeg", {"-v", "info", "-ss", QString::number(at + clips[i].seconds / 2), "-i", out,
                                            "-frames:v", "3", "-vf", "cropdetect=limit=24:round=2:reset=1", "-f", "null", "-"});
        const size_t found = crop.err.rfind("crop=");
        std::printf("- clip %zu (%s, sample aspect %s): picture %s\n", i + 1, clips[i].size.toUtf8().constData(),
                    clips[i].sar.toUtf8().constData(),
                    found == std::string::npos ? "?" : crop.err.substr(found, crop.err.find_first_of(" \n", found) - found).c_str());
        at += clips[i].seconds;
    }
    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-show_entries",
                            "format=duration:stream=codec_name,width,height,sample_aspect_ratio,nb_frames,duration,avg_frame_rate",
                            "-of", "compact=p=0", out});
    probe.waitForFinished(-1);
    std::printf("\n```\n%s```\n", probe.readAllStandardOutput().constData());
    return 0;
}

int usage()
{
    std::fprintf(stderr,
                 "usage: velmora_fidelity [--cli PATH] [--work DIR] [--inputs LIST] [--outputs LIST] [--extra LIST] "
                 "[--no-ffmpeg]\n"
                 "       velmora_fidelity speed [--cli PATH] [--work DIR] [--rounds N] [--files N] [--seconds S] [--music] "
                 "[--mixed]\n"
                 "       velmora_fidelity video [--cli PATH] [--work DIR]\n"
                 "       velmora_fidelity measure [--reference FILE] [--lossless] --pieces A,B,... OUTPUT...\n"
                 "       velmora_fidelity cuts --part FILE --at F1,F2,... OUTPUT...\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    std::string mode = "fidelity";
    if (!arguments.isEmpty() &&
        (arguments.front() == "speed" || arguments.front() == "measure" || arguments.front() == "video" ||
         arguments.front() == "cuts"))
        mode = arguments.takeFirst().toStdString();
    Options options;
    options.cli = QCoreApplication::applicationDirPath() + "/velmora-cli";
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        auto next = [&]() -> std::optional<QString> {
            if (i + 1 >= arguments.size())
                return std::nullopt;
            return arguments[++i];
        };
        std::optional<QString> value;
        if (a == "--no-ffmpeg") {
            options.withFfmpeg = false;
        } else if (a == "--lossless") {
            options.lossless = true;
        } else if (a == "--music") {
            options.music = true;
        } else if (a == "--mixed") {
            options.mixed = true;
        } else if (a.startsWith("--")) {
            value = next();
            if (!value)
                return usage();
            const std::string v = value->toStdString();
            if (a == "--cli")
                options.cli = QFileInfo(*value).absoluteFilePath();
            else if (a == "--work")
                options.work = QFileInfo(*value).absoluteFilePath();
            else if (a == "--inputs")
                options.inputs = splitList(v);
            else if (a == "--outputs")
                options.outputs = splitList(v);
            else if (a == "--extra")
                options.extra = splitList(v);
            else if (a == "--rounds")
                options.rounds = std::max(1, value->toInt());
            else if (a == "--files")
                options.files = std::max(2, value->toInt());
            else if (a == "--seconds")
                options.seconds = std::max(1.0, value->toDouble());
            else if (a == "--reference")
                options.reference = v;
            else if (a == "--pieces")
                options.pieces = splitList(v);
            else if (a == "--part")
                options.part = v;
            else if (a == "--at")
                for (const std::string& frame : splitList(v))
                    options.at.push_back(std::stoll(frame));
            else
                return usage();
        } else {
            options.measured.push_back(a.toStdString());
        }
    }

    std::optional<QTemporaryDir> scratch;
    if (options.work.isEmpty()) {
        scratch.emplace(QDir::tempPath() + "/velmora-fidelity-XXXXXX");
        options.work = scratch->path();
    } else {
        QDir().mkpath(options.work);
    }
    if (mode == "cuts")
        return options.part.empty() || options.at.empty() || options.measured.empty() ? usage() : cutsAround(options);
    if (mode == "measure")
        return options.pieces.size() < 2 || options.measured.empty() ? usage() : measureByHand(options);
    if (!QFileInfo(options.cli).isExecutable()) {
        std::fprintf(stderr, "no velmora-cli at %s\n", options.cli.toUtf8().constData());
        return 2;
    }
    if (mode == "video")
        return video(options);
    return mode == "speed" ? speed(options) : fidelity(options);
}
