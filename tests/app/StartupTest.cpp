// `velmora FILE...`: files named on the command line (as "Open With" passes
// them) enter the list at start.
#include <QDir>

#include "app/StartupFiles.h"
#include "support/AppTestSupport.h"

using namespace apptest;

TEST(Startup, ArgumentsBecomeFileUrls)
{
    const QString cwd = QDir::currentPath();
    EXPECT_EQ(velmora::app::startupFileUrls({"/music/a b.mp3", "rel/c.flac", "file:///music/d%20e.wav",
                                            "https://example.com/x.mp3", ""}),
              (QList<QUrl>{QUrl::fromLocalFile("/music/a b.mp3"), QUrl::fromLocalFile(cwd + "/rel/c.flac"),
                           QUrl::fromLocalFile("/music/d e.wav")}));
}

TEST(Startup, TheWindowTakesTheFilesItIsStartedWith)
{
    // The window lists each accepted file's media type as a diagnostic line:
    // on standard error when the logging rules ask for them, never on standard output.
    const std::string home = testsupport::freshDir("startup-home");
    for (const bool asked : {false, true}) {
        std::vector<std::string> environment{"QT_QPA_PLATFORM=offscreen", "HOME=" + home,
                                             "XDG_CONFIG_HOME=" + home + "/.config", "TMPDIR=" + home};
        if (asked)
            environment.push_back("QT_LOGGING_RULES=velmora.diagnostics=true");
        const auto run = testsupport::runCommand(
            "timeout", {"-s", "TERM", "6", testsupport::binDir() + "/velmora", testsupport::sineWav(1.0),
                        testsupport::h264Clip(320, 240, 15, 1.0), home + "/missing.wav"},
            environment);
        EXPECT_EQ(run.out, "");
        const size_t first = run.err.find("First Time\n"),  // "Not First Time" the second time
                     audio = run.err.find("velmora.diagnostics: Audio\n"),
                     video = run.err.find("velmora.diagnostics: Audio & Video\n");
        EXPECT_EQ(asked, first != std::string::npos && audio != std::string::npos && video != std::string::npos &&
                             first < audio && audio < video)
            << run.err;
    }
}
