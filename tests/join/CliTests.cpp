// velmora-cli list and join.
#include <signal.h>

#include <QProcess>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "JoinTestSupport.h"

using testsupport::cliPath;
using testsupport::runCommand;

namespace {

// Runs the CLI in the given folder.
testsupport::CommandResult cliIn(const std::string& dir, const std::vector<std::string>& arguments,
                                 const std::vector<std::string>& environment = {})
{
    std::vector<std::string> args{"-c", "cd \"$0\" && exec \"$@\"", dir, cliPath()};
    args.insert(args.end(), arguments.begin(), arguments.end());
    return runCommand("/bin/sh", args, environment);
}

std::string creatorLogging(const std::string& name, const std::string& log, const std::string& sleepOn)
{
    return jointest::toolsWithCreator(name, "for last; do :; done\n"
                                            "echo \"$$ $last\" >> '" + log + "'\n"
                                            "case \"$last\" in " + sleepOn + ") exec sleep 30;; esac");
}

}  // namespace

TEST(Cli, ListPrintsRowsAndNamesSkippedFiles)
{
    const std::string dir = testsupport::freshDir("cli-list");
    testsupport::writeFile(dir + "/movie.VOB", "x");
    testsupport::writeFile(dir + "/notes.txt", "just some words");
    const std::string wav = testsupport::sineWav(1.0);
    const auto result = cliIn(dir, {"list", wav, "movie.VOB", "notes.txt", testsupport::mp3WithCover(1.0)});
    EXPECT_EQ(result.exitCode, 0);
    const auto list = nlohmann::json::parse(result.out);
    ASSERT_EQ(list.size(), 2u);
    for (const auto& row : list) {
        EXPECT_EQ(row.size(), 9u);
        for (const char* key : {"fileURL", "filePath", "fileName", "durationHuman", "duration", "codec", "mediaType",
                                "fileSizeHuman", "isProRes"})
            EXPECT_TRUE(row.contains(key)) << key;
    }
    EXPECT_EQ(list[0].at("fileURL"), "file://" + wav);
    EXPECT_EQ(list[0].at("filePath"), wav);
    EXPECT_EQ(list[1].at("mediaType"), "Audio");
    EXPECT_NE(result.err.find("movie.VOB: skipped extension\n"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("notes.txt: "), std::string::npos) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 2);
}

TEST(Cli, JoinRefusals)
{
    const std::string dir = testsupport::freshDir("cli-refusals");
    const std::string log = dir + "/log";
    const std::string tools = creatorLogging("cli-refusals", log, "never");
    testsupport::writeFile(dir + "/notes.txt", "just some words");

    auto nothing = cliIn(dir, {"join", "--tools-dir", tools, "notes.txt"});
    EXPECT_EQ(nothing.exitCode, 1);
    EXPECT_NE(nothing.err.find("Nothing to join\n"), std::string::npos);

    auto mixed = cliIn(dir, {"join", "--tools-dir", tools, "-o", "out.mp4", testsupport::sineWav(1.0),
                             testsupport::h264Clip(320, 240, 15, 1.0)});
    EXPECT_EQ(mixed.exitCode, 1);
    EXPECT_EQ(mixed.out, "");
    EXPECT_NE(mixed.err.find("Mix & Match - Can't join!\nContact: support@velmora.app\n"), std::string::npos);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(dir + "/out.mp4")));
    EXPECT_TRUE(jointest::logLines(log).empty());
}

TEST(Cli, DryRunPrintsThePlan)
{
    const std::string dir = testsupport::freshDir("cli-dry run");
    const std::string log = dir + "/log";
    const std::string tools = creatorLogging("cli-dry-run", log, "never");
    const auto result = cliIn(dir, {"join", "--dry-run", "--tools-dir", tools, testsupport::sineWav(1.0),
                                    testsupport::sineFlac(1.0)});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const auto plan = nlohmann::json::parse(result.out);
    const auto& commands = plan.at("commands");
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[2].back(), dir + "/joined.mp3");
    EXPECT_EQ(commands[0][1], testsupport::sineWav(1.0));
    ASSERT_EQ(plan.at("durations").size(), 3u);
    EXPECT_NEAR(plan.at("durations")[2].get<double>(), 2.0, 0.01);
    // The list file is written as for a join; no tool runs.
    const std::string list = commands[2][7];
    EXPECT_EQ(testsupport::readFile(list), "file '" + commands[0].back().get<std::string>() + "'\nfile '" +
                                               commands[1].back().get<std::string>() + "'\n");
    EXPECT_TRUE(jointest::logLines(log).empty());

    const auto relative = cliIn(dir, {"join", "--dry-run", "-o", "sub/../x.m4a", testsupport::sineWav(1.0)});
    ASSERT_EQ(relative.exitCode, 0);
    EXPECT_EQ(nlohmann::json::parse(relative.out).at("commands")[1].back(), dir + "/sub/../x.m4a");
}

TEST(Cli, VerboseWritesDiagnosticsOnStandardError)
{
    const std::string dir = testsupport::freshDir("cli-verbose");
    const auto quiet = cliIn(dir, {"join", "--dry-run", testsupport::sineWav(1.0)});
    EXPECT_EQ(quiet.err, "");
    const auto verbose = cliIn(dir, {"join", "--dry-run", "--verbose", testsupport::sineWav(1.0)});
    EXPECT_NE(verbose.err.find("Audio\n.mp3\n"), std::string::npos) << verbose.err;
    EXPECT_NE(verbose.err.find("/delete\n"), std::string::npos) << verbose.err;

    // A temporary folder in which nothing can be made: the list file cannot be written.
    testsupport::writeFile(dir + "/file", "x");
    const auto unwritable = cliIn(dir, {"join", "--dry-run", "--verbose", testsupport::sineWav(1.0)},
                                  {"TMPDIR=" + dir + "/file"});
    EXPECT_NE(unwritable.err.find("\nerror\n"), std::string::npos) << unwritable.err;
}

TEST(Cli, JoinSucceedsAndFails)
{
    const std::string dir = testsupport::freshDir("cli-join");
    const auto ok = cliIn(dir, {"join", "--verbose", testsupport::sineWav(1.0), testsupport::mp3WithCover(1.0)});
    EXPECT_EQ(ok.exitCode, 0) << ok.err;
    EXPECT_EQ(ok.out, "Audio Joined Successfully!\n" + dir + "/joined.mp3\n");
    EXPECT_NE(ok.err.find("Percent : "), std::string::npos);
    EXPECT_GT(testsupport::mediaDuration(dir + "/joined.mp3"), 1.9);

    testsupport::writeFile(dir + "/plain-file", "x");
    const auto failed = cliIn(dir, {"join", "-o", "plain-file/out.mp3", testsupport::sineWav(1.0)});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(failed.out, "");
    EXPECT_NE(failed.err.find("Something went wrong!\nContact: support@velmora.app\n"), std::string::npos);
}

TEST(Cli, InterruptCancelsTheJoin)
{
    for (int signal : {SIGINT, SIGTERM}) {
        const std::string name = "cli-interrupt-" + std::to_string(signal);
        const std::string dir = testsupport::freshDir(name);
        const std::string log = dir + "/log";
        const std::string tools = creatorLogging(name, log, "*temp1.mp4");
        QProcess cli;
        cli.setWorkingDirectory(QString::fromStdString(dir));
        cli.start(QString::fromStdString(cliPath()),
                  {QStringLiteral("join"), QStringLiteral("--tools-dir"), QString::fromStdString(tools),
                   QString::fromStdString(testsupport::sineWav(1.0)), QString::fromStdString(testsupport::sineWav(1.0)),
                   QString::fromStdString(testsupport::sineWav(1.0))});
        ASSERT_TRUE(cli.waitForStarted());
        for (int i = 0; i < 200 && jointest::logLines(log).size() < 2; ++i)
            QThread::msleep(50);
        const auto lines = jointest::logLines(log);
        ASSERT_EQ(lines.size(), 2u);
        const pid_t sleeper = std::stoi(lines[1]);
        ::kill(static_cast<pid_t>(cli.processId()), signal);
        ASSERT_TRUE(cli.waitForFinished(10000));
        EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(cli.exitCode(), 130);
        EXPECT_EQ(cli.readAllStandardOutput(), QByteArray());
        const QByteArray err = cli.readAllStandardError();
        EXPECT_FALSE(err.contains("Something went wrong!")) << err.toStdString();
        EXPECT_FALSE(jointest::processAlive(sleeper));
        EXPECT_EQ(jointest::logLines(log).size(), 2u);  // nothing ran after the cancel
        EXPECT_FALSE(QFile::exists(QString::fromStdString(dir + "/joined.mp3")));
    }
}
