// How long the engine's own work on a probe takes next to the probe tool.
//
// - Fill/music: the record built from a stored ffprobe report of a typical
//   music file (MP3 with cover art and tags), no process.
// - ProbeTool/music: the whole construction with the real ffprobe run.
// - Fill/streams/N: synthetic reports of N streams, to show linear growth.
//
// Before the benchmarks run, the ratio fill / probe-tool wall time is printed.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include "foundation/Diagnostics.h"
#include "foundation/Resources.h"
#include "probe/FileProbe.h"

namespace {

struct Media {
    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/velmora-bench-XXXXXX")};
    std::string music;
    std::string musicReport;
};

std::string run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, arguments);
    process.waitForFinished(-1);
    return process.readAllStandardOutput().toStdString();
}

Media& media()
{
    static Media m = [] {
        Media made;
        const QString dir = made.dir.path();
        run(QStringLiteral("ffmpeg"), {"-y", "-v", "error", "-nostdin", "-f", "lavfi", "-i", "color=c=red:s=500x500:d=1",
                                       "-frames:v", "1", dir + "/cover.png"});
        run(QStringLiteral("ffmpeg"),
            {"-y", "-v", "error", "-nostdin", "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=30",
             "-i", dir + "/cover.png", "-map", "0:a", "-map", "1:v", "-c:a", "libmp3lame", "-b:a", "192k", "-c:v",
             "png", "-disposition:v", "attached_pic", "-id3v2_version", "3", "-metadata", "title=Benchmark Song",
             "-metadata", "artist=Velmora", "-metadata", "album=Figures", "-metadata", "track=3/12", "-metadata",
             "genre=Test", dir + "/song.mp3"});
        made.music = (dir + "/song.mp3").toStdString();
        made.musicReport = run(QStringLiteral("ffprobe"),
                               {"-v", "quiet", "-print_format", "json", "-show_format", "-show_streams",
                                "-show_chapters", "-show_error", QString::fromStdString(made.music)});
        return made;
    }();
    return m;
}

std::string syntheticReport(int streams)
{
    nlohmann::json list = nlohmann::json::array();
    for (int i = 0; i < streams; ++i) {
        list.push_back({{"index", i},
                        {"codec_type", i % 2 ? "audio" : "video"},
                        {"codec_name", i % 2 ? "aac" : "h264"},
                        {"codec_long_name", "codec"},
                        {"codec_tag_string", i % 2 ? "mp4a" : "avc1"},
                        {"width", 1920},
                        {"height", 1080},
                        {"avg_frame_rate", "25/1"},
                        {"r_frame_rate", "25/1"},
                        {"duration", "30.000000"},
                        {"bit_rate", "128000"},
                        {"channel_layout", "stereo"},
                        {"disposition", {{"default", 1}, {"dub", 0}, {"forced", 0}, {"attached_pic", 0}}},
                        {"tags", {{"language", "eng"}, {"handler_name", "Handler"}}}});
    }
    return nlohmann::json{{"streams", list}, {"format", {{"duration", "30.0"}, {"bit_rate", "128000"}}}}.dump();
}

void fillMusic(benchmark::State& state)
{
    const Media& m = media();
    for (auto _ : state) {
        velmora::FileProbe probe = velmora::FileProbe::fromReport(m.music, 1000000, m.musicReport);
        benchmark::DoNotOptimize(probe);
    }
}

void probeToolMusic(benchmark::State& state)
{
    const Media& m = media();
    for (auto _ : state) {
        velmora::FileProbe probe(m.music);
        benchmark::DoNotOptimize(probe);
    }
}

void fillStreams(benchmark::State& state)
{
    const std::string report = syntheticReport(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        velmora::FileProbe probe = velmora::FileProbe::fromReport("/bench/many.mp4", 1000000, report);
        benchmark::DoNotOptimize(probe);
    }
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * report.size()));
}

BENCHMARK(fillMusic)->Name("Fill/music");
BENCHMARK(probeToolMusic)->Name("ProbeTool/music")->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(fillStreams)->Name("Fill/streams")->Arg(10)->Arg(100)->Arg(1000)->Arg(2000)->Complexity()->Unit(
    benchmark::kMicrosecond);

template <typename F>
double medianSeconds(int rounds, F work)
{
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    velmora::setDiagnosticTarget(velmora::DiagnosticTarget::discard);
    const Media& m = media();
    if (m.musicReport.empty() || !velmora::resourcePath(velmora::kProbeToolResource)) {
        std::fprintf(stderr, "velmora_probe_bench: ffmpeg/ffprobe or the resources folder is missing\n");
        return 1;
    }
    const double fill = medianSeconds(2001, [&] {
        velmora::FileProbe probe = velmora::FileProbe::fromReport(m.music, 1000000, m.musicReport);
        benchmark::DoNotOptimize(probe);
    });
    const double tool = medianSeconds(21, [&] {
        velmora::FileProbe probe(m.music);
        benchmark::DoNotOptimize(probe);
    });
    std::printf("Music file (%zu-byte report): engine fill %.1f us, probe run %.2f ms, ratio %.3f%% (target < 1%%)\n",
                m.musicReport.size(), fill * 1e6, tool * 1e3, 100.0 * fill / tool);
    std::fflush(stdout);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
