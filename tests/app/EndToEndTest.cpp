// Adding, joining and stopping through the window with the real tools. The
// pre-flight itself (proposed names, cancel, mixed and empty lists) is covered
// through the recording host in the join tests.
#include "support/AppTestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QLineEdit>

using namespace apptest;

namespace {

class EndToEnd : public AppTest {
protected:
    void addAndWait(const Names& paths)
    {
        QList<QUrl> urls;
        for (const auto& p : paths)
            urls << fileUrl(p);
        delegate->addFiles(urls);
        ASSERT_TRUE(delegate->waitForBackgroundWork(60000));
        ASSERT_TRUE(spinUntil([&] { return !delegate->progressWindow->isVisible(); }, 5000));
    }
    // Confirms the save dialog, which proposes an audio name on the Desktop.
    void confirmSave(const std::string& path)
    {
        delegate->joinBTNClicked();
        QFileDialog* dialog = visibleChild<QFileDialog>(delegate->window, 5000);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Save Video"));
        EXPECT_EQ(dialog->labelText(QFileDialog::FileName), QStringLiteral("Named:"));
        EXPECT_EQ(dialog->labelText(QFileDialog::Accept), QStringLiteral("Save"));
        EXPECT_EQ(dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text(), QStringLiteral("joined.mp3"));
        EXPECT_EQ(dialog->directory().canonicalPath(), QDir(QDir::homePath() + "/Desktop").canonicalPath());
        dialog->selectFile(QString::fromStdString(path));
        static_cast<QDialog*>(dialog)->accept();  // with the dialog's own checks
    }
};

TEST_F(EndToEnd, IntakeAddsUsableFilesInOrderThenJoins)
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
    QString sheetWhileAdding;  // the indeterminate form, without Cancel
    QObject::connect(&list(), &velmora::app::FileListController::contentChanged, [&] {
        if (delegate->progressWindow->isVisible() && !delegate->progressBarCancelBTN->isVisible())
            sheetWhileAdding = delegate->progressTitle->text();
    });
    addAndWait({testsupport::sineWav(1.0), notMedia, vob, testsupport::sineFlac(1.0), testsupport::sineM4a(1.0)});
    EXPECT_EQ(appeared, (Names{"sine-1.wav", "sine-1.flac", "sine-1.m4a"}));
    EXPECT_EQ(names(), appeared);
    EXPECT_EQ(sheetWhileAdding, QStringLiteral("Analyzing Files..."));
    EXPECT_EQ(list().firstSelectedIndex(), 2);  // the last row added

    const std::string out = testsupport::freshDir("e2e-out") + "/joined together.mp3";
    ASSERT_NO_FATAL_FAILURE(confirmSave(out));
    QMessageBox* box = waitForAlert(60000);
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(delegate->progressWindow->isVisible());
    EXPECT_EQ(box->text(), QStringLiteral("Audio Joined Successfully!"));
    EXPECT_EQ(box->informativeText().toStdString(), out);
    EXPECT_EQ(buttonTexts(box), (QStringList{"Launch in QuickTime Player", "Show in Finder", "OK"}));
    EXPECT_NEAR(testsupport::mediaDuration(out), 3.0, 0.2);
    EXPECT_EQ(testsupport::runCommand("ffmpeg", {"-v", "error", "-i", out, "-f", "null", "-"}).err, "");
    const int reviews = delegate->ratingPromptCount();
    press(box, QStringLiteral("OK"));  // launchCount is absent: the rating check asks
    EXPECT_EQ(delegate->ratingPromptCount(), reviews + 1);
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
        addAndWait({testsupport::sineWav(2.0), testsupport::sineFlac(2.0)});
        const std::string out = testsupport::freshDir("stopped") + "/joined.mp3";
        ASSERT_NO_FATAL_FAILURE(confirmSave(out));
        ASSERT_TRUE(spinUntil([&] { return delegate->progressBar->value() > 0; }, 20000));
        QElapsedTimer timer;
        timer.start();
        quit ? delegate->applicationWillTerminate() : delegate->progressBarCancelBTN->click();
        ASSERT_TRUE(delegate->waitForBackgroundWork(10000));
        EXPECT_LT(timer.elapsed(), 3000);
        spinUntil([] { return false; }, 300);
        EXPECT_TRUE(quit || !delegate->progressWindow->isVisible());
        EXPECT_EQ(visibleChild<QMessageBox>(delegate->window), nullptr);
        EXPECT_NE(testsupport::runCommand("pgrep", {"-f", testsupport::scratchDir()}).exitCode, 0);
        EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(out)));
    }
}

}  // namespace
