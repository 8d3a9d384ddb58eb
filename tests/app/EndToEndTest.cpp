// Adding, joining and stopping through the window with the real tools: the
// intake with its count, Cancel and note of skipped files, drops into place,
// joins of audio and of video with the user's details and quality, the
// result alert's buttons, and Cancel or quit during a join.
#include "support/AppTestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QUndoStack>
#include <QTest>

#include "app/DetailsDialog.h"
#include "app/FileListView.h"
#include "join/plan/QualitySettings.h"

using namespace apptest;

namespace {

class EndToEnd : public AppTest {
protected:
    // Confirms the save dialog, which proposes a name on the Desktop.
    void confirmSave(const std::string& path, const QString& title = "Save Audio",
                     const QString& proposed = "joined.mp3")
    {
        window().joinButton()->click();
        QFileDialog* dialog = visibleChild<QFileDialog>(&window(), 5000);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), title);
        EXPECT_EQ(dialog->labelText(QFileDialog::FileName), QStringLiteral("Named:"));
        EXPECT_EQ(dialog->labelText(QFileDialog::Accept), QStringLiteral("Save"));
        EXPECT_EQ(dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text(), proposed);
        dialog->selectFile(QString::fromStdString(path));
        static_cast<QDialog*>(dialog)->accept();  // with the dialog's own checks
    }
    // A folder holding an "xdg-open" that writes down what it was asked to open.
    std::string fakeOpener(const std::string& log)
    {
        const std::string dir = testsupport::freshDir("opener");
        testsupport::writeFile(dir + "/xdg-open", "#!/bin/sh\necho \"$1\" >> '" + log + "'\n");
        QFile::setPermissions(QString::fromStdString(dir + "/xdg-open"), QFile::ExeOwner | QFile::ReadOwner);
        return dir;
    }
};

TEST_F(EndToEnd, IntakeListsUsableFilesInOrderAndNotesTheRest)
{
    const std::string dir = testsupport::freshDir("e2e");
    const std::string notMedia = dir + "/notes.wav";
    testsupport::writeFile(notMedia, "this is not audio");
    const std::string vob = dir + "/clip.VoB";
    QFile::copy(QString::fromStdString(testsupport::sineWav(1.0)), QString::fromStdString(vob));

    Names appeared;
    QObject::connect(list().model(), &QAbstractItemModel::rowsInserted, [&](const QModelIndex&, int first, int) {
        appeared.push_back(list().rows()[first].fileName);
    });
    QStringList said;  // what the sheet said while rows came in
    QObject::connect(&list(), &velmora::app::FileListController::contentChanged, [&] {
        if (sheet()->isVisible())
            said << sheet()->titleLabel()->text() + " / " + sheet()->statusLabel()->text();
    });
    ASSERT_TRUE(addAndWait(
        {testsupport::sineWav(1.0), notMedia, vob, testsupport::sineFlac(1.0), testsupport::sineM4a(1.0)}));
    EXPECT_EQ(appeared, (Names{"sine-1.wav", "sine-1.flac", "sine-1.m4a"}));
    EXPECT_EQ(names(), appeared);
    EXPECT_EQ(said, (QStringList{"Analyzing Files... / Analyzing 1 of 5", "Analyzing Files... / Analyzing 4 of 5",
                                  "Analyzing Files... / Analyzing 5 of 5"}));
    EXPECT_EQ(list().firstSelectedIndex(), 2);  // the last row added

    // One note, beside the window and not in its way, names what was left out.
    QMessageBox* note = skippedFilesNote();
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(note->isVisible());
    EXPECT_EQ(note->windowModality(), Qt::NonModal);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(note->text(), QStringLiteral("2 files were not added"));
    EXPECT_EQ(note->informativeText(), QStringLiteral("notes.wav: damaged\nclip.VoB: skipped extension"));
    // A usable batch brings no note.
    note->close();
    ASSERT_TRUE(addAndWait({testsupport::sineWav(1.0)}));
    EXPECT_EQ(skippedFilesNote(), nullptr);

    // One undo takes a whole intake out again.
    list().undoStack()->undo();
    EXPECT_EQ(names(), (Names{"sine-1.wav", "sine-1.flac", "sine-1.m4a"}));
    list().undoStack()->undo();
    EXPECT_TRUE(names().empty());
}

TEST_F(EndToEnd, DroppedFilesAndFoldersGoWhereTheyWereDropped)
{
    const std::string album = testsupport::freshDir("dropped-album");
    for (const std::string name : {"part10.wav", "part2.wav", "part1.wav"})
        QFile::copy(QString::fromStdString(testsupport::sineWav(1.0)), QString::fromStdString(album + "/" + name));
    fill({"A", "B", "C"});
    delegate->applicationDidFinishLaunching();  // listens to drops from here on
    velmora::app::FileListView* view = window().fileList();
    const QRect second = view->visualRect(list().model()->index(1, 0));
    QMimeData mime;
    mime.setUrls({fileUrl(album), fileUrl(testsupport::sineFlac(1.0))});
    EXPECT_EQ(view->takeDrop(&mime, second.center() - QPoint(0, second.height() / 4)), Qt::CopyAction);
    ASSERT_TRUE(waitForSheetEnd(1));
    EXPECT_EQ(names(), (Names{"A", "part1.wav", "part2.wav", "part10.wav", "sine-1.flac", "B", "C"}));
}

TEST_F(EndToEnd, IntakeCancelKeepsTheRowsListed)
{
    // The first files are probed at once; the others hang until stopped.
    const std::string dir = testsupport::freshDir("intake-cancel");
    const std::string tools = testsupport::fakeToolsWithScript(
        "slow-sniffer", "sniffer",
        "for last; do :; done\ncase \"$last\" in *slow*) exec sleep 29.5;; esac\nexec '" + testsupport::resourcesDir() +
            "/sniffer' \"$@\"");
    Names files{testsupport::sineWav(1.0), testsupport::sineFlac(1.0)};
    for (int i = 0; i < 4; ++i) {
        files.push_back(dir + "/slow" + std::to_string(i) + ".wav");
        testsupport::writeFile(files.back(), "x");
    }
    for (const bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Esc" : "Cancel");
        newDelegate();
        velmora::setToolsDirectory(tools);
        QList<QUrl> urls;
        for (const auto& f : files)
            urls << fileUrl(f);
        delegate->addFiles(urls);
        ASSERT_TRUE(spinUntil([&] { return list().count() == 2; }, 30000));
        EXPECT_TRUE(spinUntil([&] {
            return sheet()->statusLabel()->text() == QStringLiteral("Analyzing 3 of 6");
        }, 2000)) << sheet()->statusLabel()->text().toStdString();
        QElapsedTimer timer;
        timer.start();
        if (escape)
            QTest::keyClick(sheet(), Qt::Key_Escape);
        else
            sheet()->cancelButton()->click();
        ASSERT_TRUE(waitForSheetEnd(1, 10000));
        EXPECT_LT(timer.elapsed(), 3000);
        EXPECT_EQ(names(), (Names{"sine-1.wav", "sine-1.flac"}));
        EXPECT_EQ(skippedFilesNote(), nullptr);  // cancelled files were not skipped
        EXPECT_NE(testsupport::runCommand("pgrep", {"-f", "sleep 29.5"}).exitCode, 0);
    }
}

TEST_F(EndToEnd, JoinsWithTheUsersDetailsAndQualityThenShowsTheResult)
{
    ASSERT_TRUE(addAndWait({testsupport::sineWav(1.0), testsupport::sineFlac(1.0), testsupport::sineM4a(1.0)}));
    // What the user set in Details and Preferences reaches the joined file.
    velmora::saveQualitySettings(velmora::QualitySettings{2, 256, 192, 128});
    trigger("detailsAction");
    auto* details = visibleChild<velmora::app::DetailsDialog>(&window(), 5000);
    ASSERT_NE(details, nullptr);
    details->albumField()->setText(QStringLiteral("Joined Album"));
    details->accept();
    const std::string out = testsupport::freshDir("e2e-out") + "/joined together.mp3";
    QString joiningTitle;
    QObject::connect(sheet()->bar(), &QProgressBar::valueChanged, [&] {
        joiningTitle = sheet()->titleLabel()->text();
    });
    ASSERT_NO_FATAL_FAILURE(confirmSave(out));
    QMessageBox* box = waitForAlert(60000);
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(sheet()->isVisible());
    EXPECT_EQ(joiningTitle, QStringLiteral("Joining Audio..."));
    EXPECT_EQ(box->text(), QStringLiteral("Audio Joined Successfully!"));
    EXPECT_EQ(box->informativeText().toStdString(), out);
    EXPECT_EQ(buttonTexts(box), (QStringList{"Open", "Show in Folder", "OK"}));
    EXPECT_NEAR(testsupport::mediaDuration(out), 3.0, 0.2);
    EXPECT_EQ(testsupport::runCommand("ffmpeg", {"-v", "error", "-i", out, "-f", "null", "-"}).err, "");
    const std::string report = testsupport::ffprobeJson(out);
    EXPECT_NE(report.find("\"Joined Album\""), std::string::npos) << report;
    EXPECT_NE(report.find("\"bit_rate\": \"256000\""), std::string::npos) << report;
    velmora::saveQualitySettings({});

    // Show in Folder on the result, then Play and Show in Folder from the
    // rows' menu: with an opener the file (or its folder) goes to it; without
    // one the user is told.
    const std::string log = testsupport::freshDir("opened") + "/log";
    const std::string opener = fakeOpener(log), nothing = testsupport::freshDir("no-opener");
    ScopedPath path(opener);
    press(box, QStringLiteral("Show in Folder"));
    EXPECT_TRUE(spinUntil([&] { return !testsupport::readFile(log).empty(); }, 5000));
    EXPECT_EQ(testsupport::readFile(log), out.substr(0, out.rfind('/')) + "\n");
    const std::string firstRow = list().rows()[0].filePath;
    const struct { std::string pathDir; const char* menu; std::string opened; } cases[]{
        {opener, "playAction", firstRow},
        {opener, "showInFolderAction", firstRow.substr(0, firstRow.rfind('/'))},
        {nothing, "playAction", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.menu) + " " + (c.opened.empty() ? "without" : "with"));
        QFile::remove(QString::fromStdString(log));
        path.set(c.pathDir);
        list().selectIndexes({0});
        trigger(c.menu);
        if (c.opened.empty()) {
            QMessageBox* told = waitForAlert();
            ASSERT_NE(told, nullptr);
            EXPECT_EQ(told->text(), QStringLiteral("No application to open the file"));
            told->done(0);
        } else {
            EXPECT_TRUE(spinUntil([&] { return !testsupport::readFile(log).empty(); }, 5000));
            EXPECT_EQ(testsupport::readFile(log), c.opened + "\n");
            EXPECT_EQ(waitForAlert(0), nullptr);
        }
    }
}

TEST_F(EndToEnd, VideoListsReadVideo)
{
    ASSERT_TRUE(addAndWait({testsupport::h264Clip(320, 240, 15, 1.0), testsupport::h264Clip(320, 240, 15, 1.0)}));
    const std::string out = testsupport::freshDir("e2e-video") + "/joined.mp4";
    QString joiningTitle;
    QObject::connect(sheet()->bar(), &QProgressBar::valueChanged, [&] {
        joiningTitle = sheet()->titleLabel()->text();
    });
    ASSERT_NO_FATAL_FAILURE(confirmSave(out, "Save Video", "joined.mp4"));
    QMessageBox* box = waitForAlert(120000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(joiningTitle, QStringLiteral("Joining Video..."));
    EXPECT_EQ(box->text(), QStringLiteral("Video Joined Successfully!"));
    box->done(0);
}

TEST_F(EndToEnd, CancelOrQuitStopsTheEncoderWithoutAnAlert)
{
    // The encoder reads its input at the media's pace: the join takes about 6 s.
    const std::string tools = testsupport::fakeToolsWithScript("paced", "creator", "exec ffmpeg -re \"$@\"");
    ::symlink((testsupport::resourcesDir() + "/sniffer").c_str(), (tools + "/sniffer").c_str());
    for (const bool quit : {false, true}) {
        SCOPED_TRACE(quit ? "quit" : "cancel");
        newDelegate();
        velmora::setToolsDirectory(tools);
        ASSERT_TRUE(addAndWait({testsupport::sineWav(2.0), testsupport::sineFlac(2.0)}));
        const std::string out = testsupport::freshDir("stopped") + "/joined.mp3";
        ASSERT_NO_FATAL_FAILURE(confirmSave(out));
        // The parts are measured first, then streamed into the encoder one by one.
        ASSERT_TRUE(spinUntil([&] { return sheet()->statusLabel()->text().contains(" · file "); }, 20000));
        QElapsedTimer timer;
        timer.start();
        quit ? delegate->applicationWillTerminate() : sheet()->cancelButton()->click();
        ASSERT_TRUE(waitForSheetEnd(2, 10000));
        EXPECT_LT(timer.elapsed(), 3000);
        spinUntil([] { return false; }, 300);
        EXPECT_EQ(waitForAlert(0), nullptr);
        EXPECT_NE(testsupport::runCommand("pgrep", {"-f", testsupport::scratchDir()}).exitCode, 0);
        EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(out)));
    }
}

TEST_F(EndToEnd, AMissingProbeToolIsSaidOnceAndAFailedJoinSaysWhy)
{
    const std::string noSniffer = testsupport::freshDir("no-sniffer");
    velmora::setToolsDirectory(noSniffer);
    delegate->addFiles({fileUrl(testsupport::sineWav(1.0)), fileUrl(testsupport::sineFlac(1.0))});
    QMessageBox* box = waitForAlert();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), QStringLiteral("Velmora cannot find ffprobe. Install the ffmpeg package."));
    // Join stays off and says why; only the command line speaks of --tools-dir.
    fill({"A", "B", "C"});
    EXPECT_FALSE(window().joinButton()->isEnabled());
    EXPECT_FALSE(window().action(QStringLiteral("joinAction"))->isEnabled());
    EXPECT_EQ(window().joinButton()->toolTip(), QStringLiteral("Velmora cannot find ffmpeg. Install the ffmpeg package."));
    trigger("clearAction");
    press(box, QStringLiteral("OK"));
    spinUntil([] { return false; }, 300);
    EXPECT_TRUE(names().empty());
    EXPECT_EQ(visibleChild<QMessageBox>(&window()), nullptr);  // once, not once per file

    const std::string tools = testsupport::fakeToolsWithScript(
        "concat-fails", "creator",
        "case \"$*\" in *pipe:0*) echo 'muxer: disk full' >&2; exit 1;; esac\nexec ffmpeg \"$@\"");
    ::symlink((testsupport::resourcesDir() + "/sniffer").c_str(), (tools + "/sniffer").c_str());
    velmora::setToolsDirectory(tools);
    ASSERT_TRUE(addAndWait({testsupport::sineWav(1.0), testsupport::sineFlac(1.0)}));
    const std::string out = testsupport::freshDir("failed-out") + "/joined.mp3";
    ASSERT_NO_FATAL_FAILURE(confirmSave(out));
    box = waitForAlert(60000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), QStringLiteral("Something went wrong!"));
    EXPECT_EQ(box->informativeText(), QStringLiteral("Writing the joined file failed: ffmpeg exited with status 1.\n\n"
                                                     "Contact: support@velmora.app"));
    EXPECT_EQ(box->detailedText(), QStringLiteral("Writing the joined file failed: ffmpeg exited with status 1.\n\n"
                                                  "muxer: disk full\n"));
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(out)));
    box->done(0);
}

}  // namespace
