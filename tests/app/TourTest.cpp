// A look at the window as a user sees it. Not part of the suite: run it by
// hand on a display, e.g.
//   VELMORA_TOUR_DIR=/tmp/tour xvfb-run -a -s "-screen 0 1024x768x24" env QT_QPA_PLATFORM=xcb
//     build/bin/velmora_app_tests --gtest_also_run_disabled_tests --gtest_filter='*Tour*'
// It fills the list, joins it, and takes screenshots of the whole screen at
// each step (main window, save dialog, progress sheet, success alert, help).

#include "AppTestSupport.h"

#include <unistd.h>

#include <QFileInfo>
#include <QScreen>

using namespace apptest;

namespace {

void settle(int ms)
{
    spinUntil([] { return false; }, ms);
}

// The whole screen, cut down to the main window (and what lies on it).
void screenshot(const std::string& name, QWidget* window = nullptr)
{
    const QByteArray dir = qgetenv("VELMORA_TOUR_DIR").isEmpty() ? QByteArray("/tmp/velmora-tour")
                                                                 : qgetenv("VELMORA_TOUR_DIR");
    QDir().mkpath(QString::fromUtf8(dir));
    settle(400);
    const std::string path = dir.toStdString() + "/" + name;
    const auto result = testsupport::runCommand("import", {"-window", "root", path});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    if (window) {
        const QRect r = window->frameGeometry();
        const std::string crop = std::to_string(r.width()) + "x" + std::to_string(r.height()) + "+" +
                                 std::to_string(r.x()) + "+" + std::to_string(r.y());
        testsupport::runCommand("convert", {path, "-crop", crop, "+repage", path});
    }
}

TEST_F(AppTest, DISABLED_Tour)
{
    const std::string media = testsupport::freshDir("tour");
    auto make = [&](const std::string& name, std::vector<std::string> args) {
        args.push_back(media + "/" + name);
        args.insert(args.begin(), {"-y", "-v", "error", "-nostdin"});
        EXPECT_EQ(testsupport::runCommand("ffmpeg", args).exitCode, 0);
        return media + "/" + name;
    };
    const std::vector<std::string> files{
        make("01 Morning Intro.wav", {"-f", "lavfi", "-i", "sine=frequency=440:duration=2"}),
        make("02 Interview with the Lighthouse Keeper (Part One).flac",
             {"-f", "lavfi", "-i", "sine=frequency=330:sample_rate=48000:duration=3"}),
        make("03 Harbour Sounds.m4a", {"-f", "lavfi", "-i", "sine=frequency=550:duration=2", "-c:a", "aac"}),
        make("04 Closing Theme.mp3",
             {"-f", "lavfi", "-i", "sine=frequency=660:duration=2", "-ac", "2", "-c:a", "libmp3lame"}),
    };
    // The encoder reads at the media's pace so the progress sheet can be seen.
    const std::string tools = testsupport::fakeToolsWithScript("tour", "creator", "exec ffmpeg -re \"$@\"");
    ::symlink((testsupport::resourcesDir() + "/sniffer").c_str(), (tools + "/sniffer").c_str());
    velmora::setToolsDirectory(tools);

    auto& d = *delegate;
    d.applicationDidFinishLaunching();
    d.window->show();
    screenshot("empty.png");

    QList<QUrl> urls;
    for (const auto& f : files)
        urls << QUrl::fromLocalFile(QString::fromStdString(f));
    d.addFiles(urls);
    ASSERT_TRUE(d.waitForBackgroundWork(60000));
    ASSERT_EQ(d.mainArrayController->count(), 4);
    d.mainArrayController->setSelectionIndexes({1});
    screenshot("screenshot.png", d.window);

    const std::string out = testsupport::freshDir("tour-out") + "/joined.mp3";
    d.ui.joinBTN->click();
    QFileDialog* dialog = nullptr;
    ASSERT_TRUE(spinUntil([&] { return (dialog = visibleChild<QFileDialog>(d.window)) != nullptr; }, 5000));
    screenshot("save.png", d.window);
    acceptDialog(dialog, QString::fromStdString(out));
    ASSERT_TRUE(spinUntil([&] { return d.progressBar->value() > d.progressBar->maximum() / 3; }, 30000));
    screenshot("progress.png", d.window);
    QMessageBox* box = waitForAlert(d, 60000);
    ASSERT_NE(box, nullptr);
    screenshot("success.png", d.window);
    press(box, QStringLiteral("OK"));
    EXPECT_EQ(testsupport::runCommand("ffmpeg", {"-v", "error", "-i", out, "-f", "null", "-"}).err, "");
    EXPECT_NEAR(testsupport::mediaDuration(out), 9.0, 0.3);

    d.ui.helpBTN->click();
    box = waitForAlert(d, 5000);
    ASSERT_NE(box, nullptr);
    screenshot("help.png", d.window);
    press(box, QStringLiteral("OK"));
    settle(200);
}

}  // namespace

namespace {

// The sheets and alerts over a list of made-up rows (no tools needed).
TEST_F(AppTest, DISABLED_TourOfSheets)
{
    auto& d = *delegate;
    velmora::FileRow long1 = row("A Very Long Recording Name That Goes On And On - Session 12 (Remastered).flac");
    long1.codec = "flac";
    long1.durationHuman = "01:02:03.456";
    velmora::FileRow video = row("Holiday clip.mp4", "Audio & Video");
    video.codec = "h264, aac, mov_text";
    video.fileSizeHuman = "123.46 MB";
    d.mainArrayController->addObject(long1);
    d.mainArrayController->addObject(row("short.wav"));
    d.mainArrayController->addObject(video);
    d.window->show();
    screenshot("rows.png", d.window);
    d.showProgressSheet("Joining Audio...", false);
    d.updateJoinProgress(42.0);
    screenshot("sheet-joining.png", d.window);
    d.hideProgressSheet();
    d.showProgressSheet("Analyzing Files...", true);
    screenshot("sheet-analysing.png", d.window);
    d.hideProgressSheet();
    d.helpBTNClicked();
    QMessageBox* box = waitForAlert(d, 5000);
    ASSERT_NE(box, nullptr);
    screenshot("help.png", d.window);
    press(box, QStringLiteral("OK"));
    d.showAlert({"Audio Joined Successfully!", "/home/user/Desktop/joined.mp3",
                 {"Launch in QuickTime Player", "Show in Finder", "OK"}, velmora::AlertStyle::informational},
                nullptr);
    box = waitForAlert(d, 5000);
    ASSERT_NE(box, nullptr);
    screenshot("success-alert.png", d.window);
    press(box, QStringLiteral("OK"));
    d.showAlert({"Something went wrong!", "Contact: support@velmora.app", {}, velmora::AlertStyle::critical}, nullptr);
    box = waitForAlert(d, 5000);
    ASSERT_NE(box, nullptr);
    screenshot("failure-alert.png", d.window);
    press(box, QStringLiteral("OK"));
}

}  // namespace
