// velmora-cli list, run as a program: rows, skipped files, probes that hang
// or print too much.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <QElapsedTimer>
#include <QProcess>
#include <nlohmann/json.hpp>

#include "probe/FileProbe.h"

#include "support/JoinTestSupport.h"

using namespace jointest;

TEST(ListCommand, PrintsRowsAndNamesRefusedFiles)
{
    const std::string dir = freshDir("cli-list");
    writeFile(dir + "/movie.VOB", "x");
    writeFile(dir + "/notes.txt", "just some words");
    writeFile(dir + "/empty.wav", "");
    const auto result = cliIn(dir, {"list", sineWav(1.0), "movie.VOB", "notes.txt", "empty.wav", mp3WithCover(1.0),
                                    h264Clip(320, 240, 15, 1.0), sineWav(1.0)});
    EXPECT_EQ(result.exitCode, 0);
    auto list = nlohmann::json::parse(result.out);
    ASSERT_EQ(list.size(), 4u);
    // The row's nine keys, and where it starts in the joined file with its chapter title.
    for (const char* key : {"fileURL", "filePath", "fileName", "durationHuman", "duration", "codec", "mediaType",
                            "fileSizeHuman", "isProRes", "start", "title"})
        EXPECT_TRUE(list[0].contains(key) && list[0].size() == 11u) << key;
    EXPECT_NEAR(list[3].at("start").get<double>(), 3.0, 0.1);
    EXPECT_EQ(list[1].at("mediaType"), "Audio");  // the cover art does not count
    EXPECT_EQ(list[2].at("mediaType"), "Audio & Video");
    list[3].erase("start");
    list[0].erase("start");
    EXPECT_EQ(list[3], list[0]);  // a file given twice is listed twice
    EXPECT_TRUE(contains(result.err, "movie.VOB: skipped extension\n")) << result.err;
    EXPECT_TRUE(contains(result.err, "notes.txt: ") && contains(result.err, "empty.wav: ")) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 3);
}


TEST(ListCommand, ProbesThatHangAreSkippedAndCtrlCEndsThemAtOnce)
{
    // A probe tool that sleeps for one file, and the real one on a 29-byte
    // ffconcat list naming a FIFO (it blocks opening it).
    const std::string dir = freshDir("cli-hang");
    ASSERT_EQ(::mkfifo((dir + "/fi").c_str(), 0600), 0);
    writeFile(dir + "/hang.ffconcat", "ffconcat version 1.0\nfile fi\n");
    ASSERT_EQ(readFile(dir + "/hang.ffconcat").size(), 29u);
    writeFile(dir + "/slow.wav", readFile(sineWav(1.0)));
    const std::string sleepy = fakeToolsWithScript(
        "cli-sleepy", "sniffer", "for last; do :; done\ncase \"$last\" in *slow.wav) sleep 30 & echo $! > '" + dir +
                                     "/pid'; wait;; esac\nexec '" + resourcesDir() + "/sniffer' \"$@\"");
    ::symlink((resourcesDir() + "/creator").c_str(), (sleepy + "/creator").c_str());
    const std::pair<std::string, std::string> hanging[] = {{sleepy, "slow.wav"}, {resourcesDir(), "hang.ffconcat"}};
    for (const auto& [tools, file] : hanging) {
        const auto started = std::chrono::steady_clock::now();
        // The limit leaves a loaded machine time to probe the good file.
        const auto result = cliIn(dir, {"list", "--probe-timeout", "2", "--tools-dir", tools, file, sineFlac(1.0)});
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(8)) << file;
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.err, "velmora-cli: skipped " + file + ": probe timed out\n");
        EXPECT_EQ(nlohmann::json::parse(result.out).size(), 1u);
        // With the default limit the probe hangs on: Ctrl-C ends it, and the command.
        for (const std::string command : {"list", "join"}) {
            QProcess cli;
            cli.setWorkingDirectory(QString::fromStdString(dir));
            cli.start(QString::fromStdString(cliPath()), {QString::fromStdString(command), "--tools-dir",
                                                          QString::fromStdString(tools), QString::fromStdString(file)});
            ASSERT_TRUE(cli.waitForStarted());
            ASSERT_TRUE(pollUntil([&] { return encoderLeft(); }, std::chrono::seconds(5)));  // the probe runs
            QThread::msleep(300);
            QElapsedTimer timer;
            timer.start();
            ::kill(static_cast<pid_t>(cli.processId()), SIGINT);
            ASSERT_TRUE(cli.waitForFinished(5000));
            EXPECT_LT(timer.elapsed(), 1000) << command << " " << file;
            EXPECT_EQ(cli.exitCode(), 130) << command << " " << file;
            EXPECT_TRUE(pollUntil([] { return !encoderLeft(); }, std::chrono::seconds(2)));
            if (tools == sleepy) {  // what the probe tool started went with it
                EXPECT_FALSE(processAlive(readFile(dir + "/pid")));
            }
        }
    }
}

TEST(ListCommand, ReportsPastTheLimitAreSkippedAndBigOnesStayInBounds)
{
    const std::string file = freshDir("cli-big") + "/big.mp4";
    writeFile(file, "placeholder");
    const std::string huge = fakeToolsWithScript(
        "cli-huge", "sniffer", "head -c " + std::to_string(kProbeReportLimit + 1) + " /dev/zero | tr '\\0' ' '");
    const auto skipped = runCommand(cliPath(), {"list", "--tools-dir", huge, file});
    EXPECT_EQ(skipped.exitCode, 0);
    EXPECT_EQ(skipped.err, "velmora-cli: skipped " + file + ": probe report too large\n");

    // A 52 MB report of many tagged streams: the peak memory of list and
    // probe stays under 20 times the report.
    std::string report = R"({"format": {"duration": "1.0", "bit_rate": "128000"}, "streams": [)";
    for (int i = 0; report.size() < 52'000'000; ++i)
        report += std::string(i ? "," : "") + R"({"index": )" + std::to_string(i) +
                  R"(, "codec_type": "audio", "codec_name": "aac", "sample_rate": "48000", "channels": 2, )"
                  R"("duration": "1.0", "disposition": {"default": 1, "dub": 0, "forced": 0}, )"
                  R"("tags": {"language": "eng", "title": ")" + std::string(300, 'x') + R"("}})";
    report += "]}";
    const std::string tools = fakeProbeTools("cli-52mb", report);
    for (const std::string command : {"list", "probe"}) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, STDOUT_FILENO);
            ::execl(cliPath().c_str(), "velmora-cli", command.c_str(), "--tools-dir", tools.c_str(), file.c_str(),
                    nullptr);
            ::_exit(127);
        }
        int status = 0;
        struct rusage usage {};
        ASSERT_EQ(::wait4(pid, &status, 0, &usage), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
        const double peak = static_cast<double>(usage.ru_maxrss) * 1024.0;  // kilobytes
        EXPECT_LT(peak, 20.0 * static_cast<double>(report.size())) << command << ": " << peak / 1e6 << " MB";
        std::printf("%s: peak %.0f MB for a %.0f MB report\n", command.c_str(), peak / 1e6, report.size() / 1e6);
    }
}
