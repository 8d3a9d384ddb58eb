// velmora-cli join, run as a program.
#include <QDir>
#include <QProcess>
#include <nlohmann/json.hpp>

#include "join/ToolRunner.h"
#include "support/JoinTestSupport.h"

using namespace jointest;

TEST(JoinCommand, OutputAndExitStatus)
{
    const std::string dir = freshDir("cli join"), tools = scriptedCreator("cli-join", dir + "/log"), wav = sineWav(1.0);
    writeFile(dir + "/notes.txt", "just some words");
    writeFile(dir + "/plain-file", "x");
    const std::string contact = "\nContact: support@velmora.app\n";
    // Arguments, exit code, standard output, a part of standard error.
    const std::vector<std::tuple<std::vector<std::string>, int, std::string, std::string>> cases{
        {{"join", "--tools-dir", tools, "notes.txt"}, 1, "", "Nothing to join\n"},
        {{"join", "--tools-dir", tools}, 2, "", "join needs at least one file"},
        {{"join", "--output"}, 2, "", "--output needs a value"},
        {{"join", "--fast", wav}, 2, "", "unknown option '--fast'"},
        {{"join", "--tools-dir", tools, "-o", "out.mp4", wav, h264Clip(320, 240, 15, 1.0)}, 1, "",
         "Mix & Match - Can't join!" + contact},
        {{"join", "-o", "plain-file/out.mp3", wav}, 1, "", "Something went wrong!" + contact},
        {{"join", "--verbose", wav, mp3WithCover(1.0)}, 0, "Audio Joined Successfully!\n" + dir + "/joined.mp3\n",
         "Percent : "}};
    for (const auto& [arguments, code, out, err] : cases) {
        const auto result = cliIn(dir, arguments);
        EXPECT_EQ(result.exitCode, code) << result.err;
        EXPECT_EQ(result.out, out);
        EXPECT_TRUE(contains(result.err, err)) << result.err;
    }
    EXPECT_GT(mediaDuration(dir + "/joined.mp3"), 1.9);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(dir + "/out.mp4")));

    // A dry run prints the plan and writes the list file; no tool runs.
    const auto dry = cliIn(dir, {"join", "--dry-run", "--tools-dir", tools, wav, sineFlac(1.0)});
    EXPECT_EQ(dry.exitCode, 0);
    EXPECT_EQ(dry.err, "");
    const auto plan = nlohmann::json::parse(dry.out);
    const auto& commands = plan.at("commands");
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[0][2], wav);
    EXPECT_EQ(commands[2].back(), dir + "/joined.mp3");
    EXPECT_NEAR(plan.at("durations").at(2).get<double>(), 2.0, 0.01);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(commands[2][8].get<std::string>())));
    EXPECT_TRUE(logLines(dir + "/log").empty());
    const auto relative = cliIn(dir, {"join", "--dry-run", "-o", "sub/../x.m4a", wav});
    EXPECT_EQ(nlohmann::json::parse(relative.out).at("commands").back().back(), dir + "/sub/../x.m4a");
}

TEST(JoinCommand, QualityAndBitrateForTheOutputsEncoder)
{
    const std::string dir = freshDir("cli quality"), wav = sineWav(1.0);
    // Arguments, exit code, the concat's encoder settings or a part of the message.
    const std::vector<std::tuple<std::vector<std::string>, int, std::string>> cases{
        {{"--quality", "5"}, 0, "libmp3lame -q:a 5"},
        {{"--bitrate", "320k"}, 0, "libmp3lame -b:a 320k"},
        {{"-o", "book.m4b", "--bitrate", "96"}, 0, "aac -b:a 96k -f ipod"},
        {{"-o", "a.opus", "--bitrate=64K"}, 0, "libopus -b:a 64k"},
        {{"-o", "a.flac"}, 0, "flac -sample_fmt s16"},
        {{"--quality", "10"}, 2, "--quality takes a number from 0 to 9, not '10'"},
        {{"--quality", "-1"}, 2, "--quality takes a number"},
        {{"--bitrate", "fast"}, 2, "--bitrate takes kbit/s such as 192 or 192k, not 'fast'"},
        {{"--bitrate", "8"}, 2, "--bitrate for MP3 takes 32 to 320 kbit/s"},
        {{"--quality", "2", "--bitrate", "192"}, 2, "exclude each other"},
        {{"-o", "a.m4a", "--quality", "2"}, 2, "--quality sets the VBR quality of .mp3 output; .m4a output has none"},
        {{"-o", "a.flac", "--bitrate", "192"}, 2, ".flac output has none to set"},
    };
    for (const auto& [options, code, expected] : cases) {
        std::vector<std::string> arguments{"join", "--dry-run"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        arguments.push_back(wav);
        const auto result = cliIn(dir, arguments);
        EXPECT_EQ(result.exitCode, code) << result.err;
        if (code != 0) {
            EXPECT_TRUE(contains(result.err, expected)) << result.err;
            continue;
        }
        std::string concat;
        const auto plan = nlohmann::json::parse(result.out);
        for (const auto& argument : plan.at("commands").back())
            concat += argument.get<std::string>() + " ";
        EXPECT_TRUE(contains(concat, "-c:a " + expected + " ")) << concat;
    }
}

TEST(JoinCommand, InterruptOrTerminateCancelsTheJoin)
{
    for (int signal : {SIGINT, SIGTERM}) {
        const std::string name = "cli-signal-" + std::to_string(signal);
        const std::string dir = freshDir(name), log = dir + "/log";
        // Files of different kinds, so that each is normalised; every normalisation sleeps.
        const QString wav = QString::fromStdString(sineWav(1.0)), flac = QString::fromStdString(sineFlac(1.0));
        const size_t running = std::min<size_t>(parallelNormalisations(), 3);
        QProcess cli;
        cli.setWorkingDirectory(QString::fromStdString(dir));
        cli.start(QString::fromStdString(cliPath()),
                  {"join", "--tools-dir", QString::fromStdString(scriptedCreator(name, log, "*temp*.wav")), wav, flac, wav});
        for (int i = 0; i < 200 && logLines(log).size() < running; ++i)
            QThread::msleep(50);
        QThread::msleep(200);
        ASSERT_EQ(logLines(log).size(), running);
        ::kill(static_cast<pid_t>(cli.processId()), signal);
        ASSERT_TRUE(cli.waitForFinished(10000));
        EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(cli.exitCode(), 130);
        EXPECT_FALSE(cli.readAllStandardError().contains("Something went wrong!"));
        for (const std::string& line : logLines(log))
            EXPECT_FALSE(processAlive(line)) << line;
        EXPECT_EQ(logLines(log).size(), running);  // nothing ran after the cancel
    }
}

TEST(JoinCommand, FilesFromAPlaylist)
{
    const std::string dir = freshDir("cli-playlist"), tools = scriptedCreator("cli-playlist", dir + "/log");
    QDir().mkpath(QString::fromStdString(dir + "/album"));
    writeFile(dir + "/album/01 first.wav", readFile(sineWav(1.0)));
    writeFile(dir + "/album/02 second.flac", readFile(sineFlac(1.0)));
    writeFile(dir + "/album/list.m3u", "#EXTM3U\n#EXTINF:1,First\n01 first.wav\n02 second.flac\n");
    // The playlist's files follow the ones given as arguments; relative entries are the playlist's.
    const auto dry = cliIn(dir, {"join", "--dry-run", "--tools-dir", tools, "--from-list", "album/list.m3u", sineM4a(1.0)});
    ASSERT_EQ(dry.exitCode, 0) << dry.err;
    const auto commands = nlohmann::json::parse(dry.out).at("commands");
    ASSERT_EQ(commands.size(), 4u);
    EXPECT_EQ(commands[0][2], sineM4a(1.0));
    EXPECT_EQ(commands[1][2], dir + "/album/01 first.wav");
    EXPECT_EQ(commands[2][2], dir + "/album/02 second.flac");
    // A playlist alone is enough; a missing one is a usage error.
    EXPECT_EQ(cliIn(dir, {"join", "--dry-run", "--tools-dir", tools, "--from-list=album/list.m3u"}).exitCode, 0);
    const auto missing = cliIn(dir, {"join", "--from-list", "nowhere.m3u"});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(contains(missing.err, "cannot read nowhere.m3u")) << missing.err;
}

TEST(Cli, HelpAndVersion)
{
    const auto help = runCommand(cliPath(), {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* part : {"velmora-cli probe", "velmora-cli list", "velmora-cli join", "--from-list FILE",
                             "130  cancelled", "exit status"})
        EXPECT_TRUE(contains(help.out, part)) << part;
    const auto join = runCommand(cliPath(), {"help", "join"});
    EXPECT_EQ(join.exitCode, 0);
    EXPECT_TRUE(contains(join.out, "usage: velmora-cli join") && contains(join.out, "exit status:")) << join.out;
    const auto unknown = runCommand(cliPath(), {"help", "mix"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(contains(unknown.err, "unknown command 'mix'"));
    // The version names the encoder it finds, or says it finds none.
    const auto version = runCommand(cliPath(), {"--version"});
    EXPECT_TRUE(version.out.starts_with("velmora-cli ") && contains(version.out, "\nffmpeg ")) << version.out;
    EXPECT_TRUE(contains(version.out, resourcesDir() + "/creator")) << version.out;
    const std::string alone = freshDir("cli-alone") + "/velmora-cli";
    ASSERT_TRUE(QFile::copy(QString::fromStdString(cliPath()), QString::fromStdString(alone)));
    QFile::setPermissions(QString::fromStdString(alone), QFileDevice::ExeOwner | QFileDevice::ReadOwner);
    const auto missing = runCommand(alone, {"--version"});
    EXPECT_EQ(missing.exitCode, 0);
    EXPECT_TRUE(contains(missing.out, "ffmpeg not found in ")) << missing.out;
}
