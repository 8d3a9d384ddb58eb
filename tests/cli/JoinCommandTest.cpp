// velmora-cli join, run as a program.
#include <algorithm>
#include <sys/stat.h>

#include <QDir>
#include <QProcess>
#include <nlohmann/json.hpp>

#include "foundation/FileSystem.h"
#include "join/run/ToolRunner.h"
#include "support/JoinTestSupport.h"

using namespace jointest;
using namespace std::chrono_literals;

namespace {

const std::string kContact = "\nContact: support@velmora.app\n";

bool exists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// MD5 of the decoded audio.
std::string decodedMd5(const std::string& path)
{
    return runCommand("ffmpeg", {"-v", "error", "-i", path, "-map", "0:a", "-f", "md5", "-"}).out;
}

}  // namespace

TEST(JoinCommand, OutputAndExitStatus)
{
    const std::string dir = freshDir("cli join"), tools = scriptedCreator("cli-join", dir + "/log"), wav = sineWav(1.0);
    writeFile(dir + "/notes.txt", "just some words");
    writeFile(dir + "/plain-file", "x");
    writeFile(dir + "/a.wav", readFile(wav));
    ASSERT_EQ(::link((dir + "/a.wav").c_str(), (dir + "/hard.wav").c_str()), 0);
    // Arguments, exit code, standard output, a part of standard error.
    const std::vector<std::tuple<std::vector<std::string>, int, std::string, std::string>> cases{
        {{"join", "--tools-dir", tools, "notes.txt"}, 1, "", "velmora-cli: cannot join notes.txt: "},
        {{"join", "--tools-dir", tools, "--skip-bad", "notes.txt"}, 1, "", "Nothing to join\n"},
        {{"join", "--probe-timeout", "soon", wav}, 2, "", "--probe-timeout needs a number of seconds above 0"},
        {{"join", "--probe-timeout", "0.0004", wav}, 2, "", "(at least 0.001)"},
        // An option where a value belongs, or an extension no join writes: refused before anything runs.
        {{"join", "--tools-dir", tools, "-o", "--force", wav}, 2, "", "-o needs a value, not the option '--force'"},
        {{"join", "--tools-dir", tools, "-o", "o.xyz", wav}, 2, "", "OUTPUT must end in one of .mp3, .m4a"},
        {{"join", "--tools-dir", tools, "-o", "notes", wav}, 2, "", "cannot tell the format of 'notes'"},
        // Outputs that must not be written: nothing runs.
        {{"join", "--tools-dir", tools, "-o", "plain-file/out.mp3", wav}, 2, "",
         "cannot write in " + dir + "/plain-file: Not a directory\n"},
        {{"join", "--tools-dir", tools, "-o", "notes.txt", wav}, 2, "",
         dir + "/notes.txt exists; use --force to replace it\n"},
        {{"join", "--tools-dir", tools, "-f", "-o", "a.wav", "a.wav", wav}, 2, "",
         dir + "/a.wav is the same file as the input " + dir + "/a.wav"},
        {{"join", "--tools-dir", tools, "--force", "-o", "hard.wav", wav, "a.wav"}, 2, "",
         dir + "/hard.wav is the same file as the input " + dir + "/a.wav"},
        {{"join", "--tools-dir", tools, "-f", "-o", "/dev/null", wav}, 2, "", "/dev/null is not a regular file"},
        {{"join", "--tools-dir", tools, "-f", "-o", ".", wav}, 2, "", dir + "/. is a folder"},
        {{"join", "--verbose", wav, mp3WithCover(1.0)}, 0,
         "Audio Joined Successfully!\n" + dir + "/joined.mp3\n", "Percent : "},
        // The default name, now taken, needs --force too.
        {{"join", "--tools-dir", tools, wav}, 2, "", dir + "/joined.mp3 exists; use --force to replace it"}};
    for (const auto& [arguments, code, out, err] : cases) {
        const auto result = cliIn(dir, arguments);
        EXPECT_EQ(result.exitCode, code) << result.err;
        EXPECT_EQ(result.out, out);
        EXPECT_TRUE(contains(result.err, err)) << result.err;
    }
    EXPECT_TRUE(logLines(dir + "/log").empty());  // the refused joins ran no encoder
    EXPECT_EQ(readFile(dir + "/a.wav"), readFile(wav));
    EXPECT_EQ(readFile(dir + "/notes.txt"), "just some words");

    // A dry run prints the plan; it works in a run folder of its own, gone
    // again when it ends, and runs no tool.
    const auto dry = cliIn(dir, {"join", "--dry-run", "--force", "--tools-dir", tools, wav, sineFlac(1.0)});
    EXPECT_EQ(dry.exitCode, 0);
    EXPECT_EQ(dry.err, "");
    const auto plan = nlohmann::json::parse(dry.out);
    const auto& commands = plan.at("commands");
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[0][2], wav);
    EXPECT_EQ(commands[2].back(), dir + "/.joined.velmora-partial.mp3");
    const std::vector<std::string> encoder = commands[2].get<std::vector<std::string>>();
    const auto metadataInput = std::find(encoder.begin(), encoder.end(), "ffmetadata");
    ASSERT_LT(metadataInput + 2, encoder.end());
    const std::string metadata = *(metadataInput + 2);
    EXPECT_TRUE(contains(metadata, "/velmora-" + std::to_string(::getuid()) + "/run-")) << metadata;
    EXPECT_FALSE(exists(metadata.substr(0, metadata.find("/delete/"))));
    EXPECT_TRUE(logLines(dir + "/log").empty());
    QDir().mkpath(QString::fromStdString(dir + "/sub"));
    const auto relative = cliIn(dir, {"join", "--dry-run", "-o", "sub/../x.m4a", wav});
    EXPECT_EQ(nlohmann::json::parse(relative.out).at("commands").back().back(), dir + "/sub/../.x.velmora-partial.m4a");
}

TEST(JoinCommand, AJoinThatCannotFitIsRefusedAndASmallTemporaryFolderIsEnough)
{
    // A 64 kB file system, mounted in a mount namespace of the join's own,
    // holds the output folder or the temporary folder.
    const std::string unshare = runCommand("unshare", {"-m", "true"}).exitCode == 0     ? "unshare -m"
                                : runCommand("unshare", {"-rm", "true"}).exitCode == 0 ? "unshare -rm"
                                                                                       : "";
    if (unshare.empty())
        GTEST_SKIP() << "no mount namespace here for a small file system";
    const std::string dir = freshDir("cli-full"), small = freshDir("cli-full-fs"), song = sineWav(20.0);
    const std::string mount = unshare + " sh -c 'mount -t tmpfs -o size=64k tmpfs \"$0\" && cd \"$0\" && "
                              "echo older > mix.mp3 && \"$@\"; echo \" exit $?\"; cat mix.mp3' '" + small + "' ";
    // 20 s of MP3 cannot fit in 64 kB: refused before anything runs.
    const auto full = runCommand("/bin/sh", {"-c", mount + "'" + cliPath() + "' join -f -o mix.mp3 '" + song + "' '" +
                                                   sineFlac(1.0) + "'"});
    EXPECT_TRUE(contains(full.err, "Something went wrong!\nThe joined file needs about ")) << full.err;
    EXPECT_TRUE(contains(full.err, " is free in " + small + ". Free some space there, or choose another folder.\n"))
        << full.err;
    EXPECT_TRUE(full.out.ends_with(" exit 1\nolder\n")) << full.out;  // what stood at the output is still there
    // The sound streams from decoder to encoder: the temporary folder holds
    // only the tags, however long the parts.
    const auto streamed = runCommand("/bin/sh", {"-c", mount + "env TMPDIR='" + small + "' '" + cliPath() +
                                                           "' join -o '" + dir + "/mix.mp3' '" + song + "' '" +
                                                           sineFlac(1.0) + "'"});
    EXPECT_TRUE(contains(streamed.out, " exit 0\n")) << streamed.err;
    EXPECT_NEAR(mediaDuration(dir + "/mix.mp3"), 21.0, 0.06);
}

TEST(JoinCommand, TwoJoinsAtOnceGetWhatEachGetsAlone)
{
    // The encoder reads at the media's pace, so the joins overlap for seconds.
    const std::string dir = freshDir("cli-two"), paced = creatorTools("paced", "exec ffmpeg -re \"$@\"");
    const std::vector<std::vector<std::string>> inputs{{sineWav(1.0), sineM4a(1.0)}, {sineFlac(1.0), sineWav(2.0)}};
    std::vector<std::string> alone;
    for (size_t i = 0; i < inputs.size(); ++i) {
        std::vector<std::string> args{"join", "-o", "alone" + std::to_string(i) + ".mp3"};
        args.insert(args.end(), inputs[i].begin(), inputs[i].end());
        ASSERT_EQ(cliIn(dir, args).exitCode, 0);
        alone.push_back(decodedMd5(dir + "/alone" + std::to_string(i) + ".mp3"));
    }
    std::vector<std::unique_ptr<QProcess>> joins;
    for (size_t i = 0; i < inputs.size(); ++i) {
        QStringList args{"join", "--tools-dir", QString::fromStdString(paced), "-o",
                         QString::fromStdString(dir + "/together" + std::to_string(i) + ".mp3")};
        for (const std::string& input : inputs[i])
            args << QString::fromStdString(input);
        joins.push_back(std::make_unique<QProcess>());
        joins.back()->start(QString::fromStdString(cliPath()), args);
        QThread::msleep(500);
    }
    for (size_t i = 0; i < inputs.size(); ++i) {
        ASSERT_TRUE(joins[i]->waitForFinished(60000));
        EXPECT_EQ(joins[i]->exitCode(), 0) << joins[i]->readAllStandardError().toStdString();
        EXPECT_EQ(decodedMd5(dir + "/together" + std::to_string(i) + ".mp3"), alone[i]) << i;
        EXPECT_FALSE(alone[i].empty());
    }
}

TEST(JoinCommand, AProgramFileReplacedDuringTheJoinStillFindsItsTools)
{
    // A copy of velmora-cli beside a resources folder of its own, whose
    // encoder removes the program file (as an upgrade replaces it) before
    // the decoders and the final check's probe are started.
    const std::string dir = freshDir("cli-replaced"), program = dir + "/velmora-cli";
    ASSERT_TRUE(QFile::copy(QString::fromStdString(cliPath()), QString::fromStdString(program)));
    ASSERT_TRUE(QFile::setPermissions(QString::fromStdString(program), QFile::ReadOwner | QFile::ExeOwner));
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(dir + "/resources")));
    ASSERT_TRUE(QFile::link(QString::fromStdString(resourcesDir() + "/sniffer"),
                            QString::fromStdString(dir + "/resources/sniffer")));
    writeFile(dir + "/resources/creator", "#!/bin/sh\nrm -f '" + program + "'\nexec '" + resourcesDir() +
                                              "/creator' \"$@\"\n");
    ASSERT_TRUE(QFile::setPermissions(QString::fromStdString(dir + "/resources/creator"),
                                      QFile::ReadOwner | QFile::ExeOwner));
    const CommandResult joined = runCommand(program, {"join", "-o", dir + "/out.mp3", sineWav(1.0), sineFlac(1.0)});
    EXPECT_EQ(joined.exitCode, 0) << joined.err;
    EXPECT_FALSE(QFile::exists(QString::fromStdString(program)));
    EXPECT_NEAR(mediaDuration(dir + "/out.mp3"), 2.0, 0.06);
}

TEST(JoinCommand, QualityAndBitrateForTheOutputsEncoder)
{
    const std::string dir = freshDir("cli quality"), wav = sineWav(1.0);
    // Arguments, exit code, the concat's encoder settings or a part of the message.
    const std::vector<std::tuple<std::vector<std::string>, int, std::string>> cases{
        {{"--quality", "5"}, 0, "libmp3lame -q:a 5"},
        {{"-o", "book.m4b", "--bitrate", "96"}, 0, "aac -b:a 96k -f ipod"},
        {{"--quality", "10"}, 2, "--quality takes a number from 0 to 9, not '10'"},
        {{"--bitrate", "fast"}, 2, "--bitrate takes kbit/s such as 192 or 192k, not 'fast'"},
        {{"--bitrate", "8"}, 2, "--bitrate for MP3 takes 32 to 320 kbit/s"},
        {{"--quality", "2", "--bitrate", "192"}, 2, "exclude each other"},
        {{"-o", "a.m4a", "--quality", "2"}, 2, "--quality sets the VBR quality of .mp3 output; .m4a output has none"},
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
        // Every part's decoder sleeps.
        const QString wav = QString::fromStdString(sineWav(1.0)), flac = QString::fromStdString(sineFlac(1.0));
        const size_t running = std::min<size_t>(parallelNormalisations(), 3);
        QProcess cli;
        cli.setWorkingDirectory(QString::fromStdString(dir));
        cli.start(QString::fromStdString(cliPath()),
                  {"join", "--tools-dir", QString::fromStdString(scriptedCreator(name, log, "pipe:1")), wav, flac, wav});
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
        EXPECT_TRUE(QDir(QString::fromStdString(dir)).entryList(QDir::Files | QDir::Hidden).contains("log"));
        EXPECT_EQ(QDir(QString::fromStdString(dir)).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }
}

TEST(JoinCommand, OddStartingConditions)
{
    // Closed standard streams, a TMPDIR that is gone, names that are not UTF-8
    // (input, output, the current folder and TMPDIR): each join still writes
    // the right file, and only that. Shell line (run in the scratch folder),
    // the output as the test sees it.
    const std::string dir = freshDir("cli-odd"), cli = cliPath();
    writeFile(dir + "/a.wav", readFile(sineWav(1.0)));
    ASSERT_EQ(::mkdir((dir + "/cwd\xfe").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((dir + "/tmp\xfd").c_str(), 0755), 0);
    writeFile(dir + "/cwd\xfe/bad\xff.wav", readFile(sineFlac(1.0)));
    const std::string join = "'" + cli + "' join --verbose -o out.mp3 a.wav '" + sineFlac(1.0) + "'";
    // The encoder notes what the program's standard streams are: a file the
    // program opened must never sit there, or its messages would go into it.
    const std::string streams = freshDir("cli-odd-streams") + "/streams";
    const std::string peek = creatorTools("cli-peek", "readlink /proc/$PPID/fd/0 /proc/$PPID/fd/1 /proc/$PPID/fd/2 > '" +
                                                          streams + "'\nexec '" + resourcesDir() + "/creator' \"$@\"");
    const std::vector<std::pair<std::string, std::string>> cases{
        {"exec 0<&- 1>&- 2>&-; " + join + " --tools-dir '" + peek + "'", dir + "/out.mp3"},
        {"TMPDIR=/nonexistent/tmp " + join + " -f", dir + "/out.mp3"},
        {"cd \"$(printf 'cwd\\376')\" && TMPDIR=\"$PWD/../$(printf 'tmp\\375')\" '" + cli +
             "' join --verbose -o \"$(printf 'out\\374.mp3')\" \"$(printf 'bad\\377.wav')\" ../a.wav",
         dir + "/cwd\xfe/out\xfc.mp3"}};
    for (const auto& [line, out] : cases) {
        const auto result = runCommand("/bin/sh", {"-c", "cd \"$0\" && " + line, dir});
        EXPECT_EQ(result.exitCode, 0) << line << "\n" << result.err;
        ASSERT_TRUE(exists(out)) << line;
        ASSERT_EQ(::rename(out.c_str(), (dir + "/checked.mp3").c_str()), 0);
        EXPECT_NEAR(mediaDuration(dir + "/checked.mp3"), 2.0, 0.1) << line;
        EXPECT_EQ(runCommand("ffmpeg", {"-v", "error", "-i", dir + "/checked.mp3", "-f", "null", "-"}).err, "");
        // The work folder named on standard error is gone.
        if (const size_t end = result.err.find("/delete\n"); end != std::string::npos) {
            const size_t start = result.err.rfind('\n', end) + 1;
            const std::string work = result.err.substr(start, end + 7 - start);
            EXPECT_FALSE(exists(work)) << work;
        }
    }
    EXPECT_EQ(readFile(streams), "/dev/null\n/dev/null\n/dev/null\n");
    EXPECT_FALSE(exists("/velmora-" + std::to_string(::getuid())));
    EXPECT_TRUE(exists(dir + "/tmp\xfd/velmora-" + std::to_string(::getuid())));
    EXPECT_EQ(QDir(QString::fromStdString(dir)).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"a.wav", "checked.mp3"}));  // no log, list or partial file here
}

TEST(JoinCommand, MissingToolsAreNamed)
{
    const std::string dir = freshDir("cli-no-tools"), noCreator = creatorTools("cli-no-creator", "");
    const std::string noSniffer = freshDir("cli-no-sniffer"), wav = sineWav(1.0);
    const std::string cannotRun = fakeToolsWithScript("cli-cannot-run", "sniffer", "");
    writeFile(cannotRun + "/sniffer", "\x7f" "ELF but not really");
    const std::string noFfmpeg = "velmora-cli: ffmpeg not found at " + noCreator + "/creator (set --tools-dir)\n";
    const std::string noFfprobe = "velmora-cli: ffprobe not found at " + noSniffer + "/sniffer (set --tools-dir)\n";
    // Arguments, exit code, standard error.
    const std::vector<std::tuple<std::vector<std::string>, int, std::string>> cases{
        {{"join", "--tools-dir", noCreator, wav}, 1, noFfmpeg},
        {{"join", "--tools-dir", noSniffer, wav}, 1, noFfprobe},
        {{"probe", "--tools-dir", noSniffer, wav}, 1, noFfprobe},
        {{"list", "--tools-dir", cannotRun, wav, wav}, 1,
         "velmora-cli: ffprobe cannot run at " + cannotRun + "/sniffer (set --tools-dir)\n"},
        {{"join", "--dry-run", "--tools-dir", noCreator, wav}, 0, ""}};
    for (const auto& [arguments, code, err] : cases) {
        const auto result = cliIn(dir, arguments);
        EXPECT_EQ(result.exitCode, code) << arguments.front();
        EXPECT_EQ(result.err, err);
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
    // A playlist alone is enough, and a second one adds its files after the first's.
    writeFile(dir + "/second.m3u", "album/02 second.flac\n");
    const auto two = cliIn(dir, {"join", "--dry-run", "--tools-dir", tools, "--from-list=album/list.m3u",
                                 "--from-list", "second.m3u"});
    ASSERT_EQ(two.exitCode, 0) << two.err;
    EXPECT_EQ(nlohmann::json::parse(two.out).at("commands").size(), 4u);
    // A missing one is a usage error.
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

TEST(JoinCommand, NamedFilesThatCannotBeJoinedStopTheJoinUnlessSkipped)
{
    const std::string dir = freshDir("cli-named"), wav = sineWav(1.0);
    writeFile(dir + "/empty.mp3", "");
    writeFile(dir + "/garbled.mp3", std::string(4000, '\x55'));
    QDir().mkpath(QString::fromStdString(dir + "/no media"));
    const auto refused = cliIn(dir, {"join", "-o", "out.mp3", wav, "gone.mp3", "empty.mp3", "garbled.mp3",
                                     "http://example.org/a.mp3", "no media"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.out, "");
    for (const std::string line : {"cannot join gone.mp3: missing\n", "cannot join empty.mp3: empty\n",
                                   "cannot join garbled.mp3: damaged\n",
                                   "cannot join http://example.org/a.mp3: not a local file\n",
                                   "cannot join no media: a folder without media files\n",
                                   "nothing was joined; remove those files, or add --skip-bad to join the rest\n"})
        EXPECT_TRUE(contains(refused.err, "velmora-cli: " + line)) << line << refused.err;
    EXPECT_FALSE(exists(dir + "/out.mp3"));

    const auto skipped = cliIn(dir, {"join", "--skip-bad", "-o", "out.mp3", wav, "gone.mp3", wav});
    EXPECT_EQ(skipped.exitCode, 0) << skipped.err;
    EXPECT_TRUE(contains(skipped.err, "velmora-cli: skipped gone.mp3: ")) << skipped.err;
    EXPECT_NEAR(mediaDuration(dir + "/out.mp3"), 2.0, 0.06);

    // A name with a line break in it is a name like any other.
    writeFile(dir + "/two\nlines.mp3", readFile(mp3WithCover(1.0)));
    const auto odd = cliIn(dir, {"join", "-f", "-o", "out.mp3", "two\nlines.mp3", "two\nlines.mp3"});
    EXPECT_EQ(odd.exitCode, 0) << odd.err;
    EXPECT_NEAR(mediaDuration(dir + "/out.mp3"), 2.0, 0.06);
}

TEST(JoinCommand, CopyAndNoCopyChooseBetweenCopyingAndReEncoding)
{
    const std::string dir = freshDir("cli copy");
    const std::string a = sineM4a(1.0), b = sineM4a(1.5);
    const std::string odd = makeMedia("copy-48k.m4a", {"-f", "lavfi", "-i", "sine=sample_rate=48000:duration=1",
                                                       "-c:a", "aac", "-b:a", "96k"});
    // The command line and whether its dry run copies (one command taking
    // the packets as they are) or decodes and encodes.
    const std::vector<std::pair<std::vector<std::string>, bool>> plans{
        {{"-o", "book.m4b"}, true},
        {{"-o", "book.m4b", "--no-copy"}, false},
        {{"-o", "song.m4a"}, false},
        {{"-o", "song.m4a", "--copy"}, true},
        {{"-o", "song.mp3", "--copy"}, false},
    };
    for (const auto& [options, copies] : plans) {
        std::vector<std::string> arguments{"join", "--dry-run"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        arguments.insert(arguments.end(), {a, b});
        SCOPED_TRACE(testing::PrintToString(arguments));
        const CommandResult run = cliIn(dir, arguments);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const auto commands = nlohmann::json::parse(run.out).at("commands");
        EXPECT_EQ(commands.size(), copies ? 1u : 3u);
        const auto last = commands.back().get<std::vector<std::string>>();
        const auto codec = std::find(last.begin(), last.end(), "-c:a");
        EXPECT_EQ(codec != last.end() && codec + 1 != last.end() && codec[1] == "copy", copies) << run.out;
    }
    const CommandResult both = cliIn(dir, {"join", "--copy", "--no-copy", "-o", "x.m4b", a});
    EXPECT_EQ(both.exitCode, 2);
    EXPECT_TRUE(contains(both.err, "--copy and --no-copy exclude each other")) << both.err;

    // A real copy says so; a refused one says why in one line and re-encodes.
    const CommandResult copied = cliIn(dir, {"join", "-o", "copied.m4b", a, b});
    ASSERT_EQ(copied.exitCode, 0) << copied.err;
    EXPECT_TRUE(contains(copied.err, "velmora-cli: note: Joined without re-encoding.\n")) << copied.err;
    const CommandResult refused = cliIn(dir, {"join", "--copy", "-o", "refused.m4a", a, b, odd});
    ASSERT_EQ(refused.exitCode, 0) << refused.err;
    EXPECT_TRUE(contains(refused.err, "velmora-cli: note: The parts were re-encoded, not copied: part 3 is 48000 Hz, "
                                      "the others 44100 Hz.\n"))
        << refused.err;
    EXPECT_NEAR(mediaDuration(dir + "/refused.m4a"), 3.5, 0.05);
}
