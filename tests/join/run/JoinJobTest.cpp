// What a join job leaves behind when its run dies or cannot lock its work
// folder, and what it does with a file standing where its partial output goes.
#include <signal.h>

#include <QFile>
#include <QProcess>

#include "support/JoinTestSupport.h"

using namespace jointest;
using namespace std::chrono_literals;

namespace {

QStringList entries(const std::string& dir)
{
    return QDir(QString::fromStdString(dir)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

}  // namespace

TEST_F(JoinTest, APartialLeftByAKilledRunIsSweptByTheNextJoinAndAUsersFileIsNot)
{
    const std::string dir = freshDir("killed"), out = dir + "/book.wav";
    const std::string a = dir + "/a.wav", b = dir + "/b.wav";
    writeFile(a, readFile(sineWav(1.0)));
    writeFile(b, readFile(sineWav(1.0)));
    // The first run's encoder sleeps on the joined file; the run is killed
    // there, with no chance to clean up.
    const std::string log = dir + "/log";
    const std::string tools = creatorTools("killed", "case \"$*\" in *pipe:0*) echo $$ >> '" + log +
                                                         "'; exec sleep 30;; esac\nexec '" + resourcesDir() +
                                                         "/creator' \"$@\"");
    QProcess cli;
    cli.start(QString::fromStdString(cliPath()),
              {"join", "--tools-dir", QString::fromStdString(tools),
               "-o", QString::fromStdString(out), QString::fromStdString(a), QString::fromStdString(b)});
    ASSERT_TRUE(cli.waitForStarted());
    ASSERT_TRUE(pollUntil([&] { return logLines(log).size() == 1; }, 30s)) << cli.readAllStandardError().toStdString();
    ::kill(static_cast<pid_t>(cli.processId()), SIGKILL);
    ASSERT_TRUE(cli.waitForFinished());
    EXPECT_EQ(entries(dir), (QStringList{".book.velmora-partial.wav", "a.wav", "b.wav", "log"}));
    EXPECT_TRUE(pollUntil([&] { return !processAlive(logLines(log)[0]); }, 5s));  // the encoder died with it

    // The next join to that output removes what the dead run recorded as its own.
    startJob(out, {analyzed(a).row.value(), analyzed(b).row.value()});
    ASSERT_TRUE(host.waitForOutcome(1, 60s));
    EXPECT_EQ(host.outcomes[0].status, JoinStatus::succeeded) << host.outcomes[0].reason;
    EXPECT_EQ(entries(dir), (QStringList{"a.wav", "b.wav", "book.wav", "log"}));
    EXPECT_NEAR(mediaDuration(out), 2.0, 0.01);

    // A file of the user's under that name is never taken for one.
    const std::string mine = dir + "/.mine.velmora-partial.wav";
    writeFile(mine, "the user's own");
    RecordingHost second;
    JoinJob job(JoinRequest{dir + "/mine.wav", {analyzed(a).row.value()}, {}}, second);
    job.run();
    second.drain();
    ASSERT_EQ(second.outcomes.size(), 1u);
    EXPECT_EQ(second.outcomes[0].status, JoinStatus::failed);
    EXPECT_EQ(second.outcomes[0].reason,
              "A file named .mine.velmora-partial.wav is in the way in " + dir +
                  ": Velmora writes the joined file under that name until it is done. Move or rename that file, "
                  "then join again.");
    EXPECT_EQ(readFile(mine), "the user's own");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(dir + "/mine.wav")));
}

TEST(JoinJob, AWorkFolderThatCannotBeLockedIsNamedAndNothingIsLeft)
{
    const std::string dir = freshDir("no-locks"), tmp = dir + "/tmp", out = dir + "/out/joined.wav";
    QDir().mkpath(QString::fromStdString(tmp));
    QDir().mkpath(QString::fromStdString(dir + "/out"));
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LD_PRELOAD", VELMORA_NO_LOCKS_LIBRARY);
    env.insert("TMPDIR", QString::fromStdString(tmp));
    cli.setProcessEnvironment(env);
    cli.start(QString::fromStdString(cliPath()),
              {"join", "-o", QString::fromStdString(out), QString::fromStdString(sineWav(1.0))});
    ASSERT_TRUE(cli.waitForFinished(60000));
    EXPECT_EQ(cli.exitCode(), 1);
    const std::string err = cli.readAllStandardError().toStdString();
    EXPECT_TRUE(contains(err, "Velmora cannot lock its work folder in " + tmp + "/velmora-" +
                                  std::to_string(::getuid()) +
                                  ": that file system does not support file locks. Set TMPDIR to a folder on a "
                                  "local disk."))
        << err;
    EXPECT_TRUE(entries(dir + "/out").isEmpty());  // no partial output
    // Only the per-user folder and its lock file: no run folder.
    EXPECT_EQ(entries(tmp + "/velmora-" + std::to_string(::getuid())), QStringList{"lock"});
}
