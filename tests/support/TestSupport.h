#pragma once
// Shared helpers for tests: a scratch folder, real media made with ffmpeg's
// lavfi sources, fake tools for crafted reports, and running commands.

#include <string>
#include <vector>

namespace testsupport {

// A scratch folder for this test program, removed when it exits.
std::string scratchDir();
// A fresh empty sub-folder of the scratch folder.
std::string freshDir(const std::string& name);

// Runs ffmpeg with "-y -v error" and the given arguments, writing `fileName`
// in the scratch media folder; cached across calls with the same name.
// Fails the current test (and returns "") when ffmpeg fails.
std::string makeMedia(const std::string& fileName, const std::vector<std::string>& ffmpegArguments);

// Ready-made media (cached).
std::string sineWav(double seconds = 1.0);
std::string sineFlac(double seconds = 1.0);
std::string sineM4a(double seconds = 1.0);
std::string mp3WithCover(double seconds = 1.0);
std::string h264Clip(int width, int height, int fps, double seconds = 1.0);  // H.264 + AAC in MP4
// An H.264 clip (no audio) marked as shown turned by 90 degrees.
std::string rotatedClip(int width, int height, double seconds = 1.0);
// AAC in M4A with two chapters, "Intro" (0-0.5 s) and "Main" (0.5-1.5 s), and the title "Chaptered".
std::string chapteredM4a();
// AAC plus a mov_text subtitle track in French, in MP4.
std::string subtitledMp4();

void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);

struct CommandResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};
CommandResult runCommand(const std::string& program, const std::vector<std::string>& arguments,
                         const std::vector<std::string>& extraEnvironment = {});

// The built executables and the built resources folder.
std::string binDir();
std::string cliPath();
std::string resourcesDir();

// A tools folder whose "sniffer" prints the given report and exits 0.
std::string fakeProbeTools(const std::string& name, const std::string& report);
// A tools folder holding a "sniffer"/"creator" shell script with the given body.
std::string fakeToolsWithScript(const std::string& name, const std::string& tool, const std::string& scriptBody);

// Duration in seconds of a media file by the real ffprobe (format duration).
double mediaDuration(const std::string& path);
// ffprobe's JSON report of a file (streams and format).
std::string ffprobeJson(const std::string& path);

}  // namespace testsupport
