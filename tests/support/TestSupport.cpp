#include "support/TestSupport.h"

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include <QDir>
#include <QProcess>
#include <gtest/gtest.h>

#include "foundation/FileSystem.h"

namespace testsupport {

std::string scratchDir()
{
    // Removed with POSIX calls: tests make names that are not UTF-8, which
    // Qt's own clean-up would look for under another name.
    struct Scratch {
        std::string path = QDir::tempPath().toStdString() + "/velmora-test-XXXXXX";
        Scratch() { ::mkdtemp(path.data()); }
        ~Scratch() { velmora::removeRecursively(path); }
    };
    static Scratch scratch;
    return scratch.path;
}

std::string freshDir(const std::string& name)
{
    QDir dir(QString::fromStdString(scratchDir() + "/" + name));
    dir.removeRecursively();
    QDir().mkpath(dir.path());
    return dir.path().toStdString();
}

std::string makeMedia(const std::string& fileName, const std::vector<std::string>& ffmpegArguments)
{
    static std::mutex mutex;
    static std::map<std::string, std::string> made;
    std::lock_guard lock(mutex);
    if (auto it = made.find(fileName); it != made.end())
        return it->second;
    const std::string mediaDir = scratchDir() + "/media";
    QDir().mkpath(QString::fromStdString(mediaDir));
    const std::string path = mediaDir + "/" + fileName;
    std::vector<std::string> args{"-y", "-v", "error", "-nostdin"};
    args.insert(args.end(), ffmpegArguments.begin(), ffmpegArguments.end());
    args.push_back(path);
    const CommandResult result = runCommand("ffmpeg", args);
    if (result.exitCode != 0) {
        ADD_FAILURE() << "ffmpeg could not make " << fileName << ": " << result.err;
        return {};
    }
    made[fileName] = path;
    return path;
}

static std::string secondsText(double seconds)
{
    std::ostringstream out;
    out << seconds;
    return out.str();
}

std::string sineWav(double seconds)
{
    return makeMedia("sine-" + secondsText(seconds) + ".wav",
                     {"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=" + secondsText(seconds)});
}

std::string sineFlac(double seconds)
{
    return makeMedia("sine-" + secondsText(seconds) + ".flac",
                     {"-f", "lavfi", "-i", "sine=frequency=330:sample_rate=48000:duration=" + secondsText(seconds)});
}

std::string sineM4a(double seconds)
{
    return makeMedia("sine-" + secondsText(seconds) + ".m4a",
                     {"-f", "lavfi", "-i", "sine=frequency=550:sample_rate=44100:duration=" + secondsText(seconds),
                      "-c:a", "aac", "-b:a", "96k"});
}

std::string mp3WithCover(double seconds)
{
    const std::string cover = makeMedia("cover.png", {"-f", "lavfi", "-i", "color=c=red:s=300x300", "-frames:v", "1"});
    return makeMedia("cover-" + secondsText(seconds) + ".mp3",
                     {"-f", "lavfi", "-i", "sine=frequency=660:sample_rate=44100:duration=" + secondsText(seconds),
                      "-i", cover, "-map", "0:a", "-map", "1:v", "-c:a", "libmp3lame", "-b:a", "128k", "-c:v", "png",
                      "-disposition:v", "attached_pic", "-id3v2_version", "3", "-metadata", "title=Sine"});
}

std::string h264Clip(int width, int height, int fps, double seconds)
{
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    return makeMedia("clip-" + size + "-" + std::to_string(fps) + "-" + secondsText(seconds) + ".mp4",
                     {"-f", "lavfi", "-i", "testsrc=size=" + size + ":rate=" + std::to_string(fps) +
                                               ":duration=" + secondsText(seconds),
                      "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=" + secondsText(seconds),
                      "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-c:a", "aac", "-shortest"});
}

std::string rotatedClip(int width, int height, double seconds)
{
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    const std::string plain = makeMedia("plain-" + size + "-" + secondsText(seconds) + ".mp4",
                                        {"-f", "lavfi", "-i", "testsrc=size=" + size + ":rate=25:duration=" + secondsText(seconds),
                                         "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p"});
    return makeMedia("rotated-" + size + "-" + secondsText(seconds) + ".mp4",
                     {"-i", plain, "-c", "copy", "-metadata:s:v:0", "rotate=90"});
}

std::string chapteredM4a()
{
    const std::string metadata = scratchDir() + "/chapters.ffmeta";
    writeFile(metadata, ";FFMETADATA1\ntitle=Chaptered\n"
                        "[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=500\ntitle=Intro\n"
                        "[CHAPTER]\nTIMEBASE=1/1000\nSTART=500\nEND=1500\ntitle=Main\n");
    return makeMedia("chaptered.m4a", {"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=1.5", "-i",
                                       metadata, "-map", "0", "-map_metadata", "1", "-map_chapters", "1", "-c:a", "aac"});
}

std::string subtitledMp4()
{
    const std::string subtitles = scratchDir() + "/subtitles.srt";
    writeFile(subtitles, "1\n00:00:00,000 --> 00:00:00,800\nHello\n");
    return makeMedia("subtitled.mp4", {"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=1", "-i",
                                       subtitles, "-map", "0", "-map", "1", "-c:a", "aac", "-c:s", "mov_text",
                                       "-metadata:s:s:0", "language=fre"});
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

CommandResult runCommand(const std::string& program, const std::vector<std::string>& arguments,
                         const std::vector<std::string>& extraEnvironment)
{
    QProcess process;
    QStringList args;
    for (const auto& a : arguments)
        args << QString::fromStdString(a);
    if (!extraEnvironment.empty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const auto& entry : extraEnvironment) {
            const auto eq = entry.find('=');
            env.insert(QString::fromStdString(entry.substr(0, eq)), QString::fromStdString(entry.substr(eq + 1)));
        }
        process.setProcessEnvironment(env);
    }
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(QString::fromStdString(program), args);
    CommandResult result;
    if (!process.waitForStarted(30000))
        return result;
    process.waitForFinished(600000);
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput().toStdString();
    result.err = process.readAllStandardError().toStdString();
    return result;
}

std::string binDir()
{
    return VELMORA_BIN_DIR;
}

std::string cliPath()
{
    return binDir() + "/velmora-cli";
}

std::string resourcesDir()
{
    return binDir() + "/resources";
}

std::string fakeToolsWithScript(const std::string& name, const std::string& tool, const std::string& scriptBody)
{
    const std::string dir = freshDir("tools-" + name);
    const std::string path = dir + "/" + tool;
    writeFile(path, "#!/bin/sh\n" + scriptBody + "\n");
    ::chmod(path.c_str(), 0755);
    return dir;
}

std::string fakeProbeTools(const std::string& name, const std::string& report)
{
    const std::string dir = freshDir("tools-" + name);
    writeFile(dir + "/report.json", report);
    const std::string path = dir + "/sniffer";
    writeFile(path, "#!/bin/sh\ncat '" + dir + "/report.json'\n");
    ::chmod(path.c_str(), 0755);
    return dir;
}

double mediaDuration(const std::string& path)
{
    const CommandResult result = runCommand(
        "ffprobe", {"-v", "error", "-show_entries", "format=duration", "-of", "default=nw=1:nk=1", path});
    return std::atof(result.out.c_str());
}

std::string ffprobeJson(const std::string& path)
{
    return runCommand("ffprobe", {"-v", "quiet", "-print_format", "json", "-show_format", "-show_streams",
                                  "-show_chapters", "-show_error", path})
        .out;
}

}  // namespace testsupport
