// velmora-cli join, run as a program.
#include <QProcess>
#include <nlohmann/json.hpp>

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
         "Mix & Match - Can't join!\nAudio only, 1 row:\n1. sine-1.wav\nVideo with audio, 1 row:\n2. clip-320x240-15-1.mp4\n" +
             contact},
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
    EXPECT_EQ(commands[0][1], wav);
    EXPECT_EQ(commands[2].back(), dir + "/joined.mp3");
    EXPECT_NEAR(plan.at("durations").at(2).get<double>(), 2.0, 0.01);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(commands[2][7].get<std::string>())));
    EXPECT_TRUE(logLines(dir + "/log").empty());
    const auto relative = cliIn(dir, {"join", "--dry-run", "-o", "sub/../x.m4a", wav});
    EXPECT_EQ(nlohmann::json::parse(relative.out).at("commands")[1].back(), dir + "/sub/../x.m4a");
}

TEST(JoinCommand, InterruptOrTerminateCancelsTheJoin)
{
    for (int signal : {SIGINT, SIGTERM}) {
        const std::string name = "cli-signal-" + std::to_string(signal);
        const std::string dir = freshDir(name), log = dir + "/log";
        const QString wav = QString::fromStdString(sineWav(1.0));
        QProcess cli;
        cli.setWorkingDirectory(QString::fromStdString(dir));
        cli.start(QString::fromStdString(cliPath()),
                  {"join", "--tools-dir", QString::fromStdString(scriptedCreator(name, log, "*temp1.mp4")), wav, wav, wav});
        for (int i = 0; i < 200 && logLines(log).size() < 2; ++i)
            QThread::msleep(50);
        ASSERT_EQ(logLines(log).size(), 2u);
        ::kill(static_cast<pid_t>(cli.processId()), signal);
        ASSERT_TRUE(cli.waitForFinished(10000));
        EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(cli.exitCode(), 130);
        EXPECT_FALSE(cli.readAllStandardError().contains("Something went wrong!"));
        EXPECT_FALSE(processAlive(logLines(log).at(1)));
        EXPECT_EQ(logLines(log).size(), 2u);  // nothing ran after the cancel
    }
}
