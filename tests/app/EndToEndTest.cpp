#include "AppTestSupport.h"

#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProgressBar>
#include <QPushButton>

#include "app/ArrayController.h"
#include "foundation/Resources.h"

using namespace apptest;

namespace {

class EndToEnd : public AppTest {
protected:
    QList<QUrl> urls(const std::vector<std::string>& paths)
    {
        QList<QUrl> result;
        for (const auto& p : paths)
            result << QUrl::fromLocalFile(QString::fromStdString(p));
        return result;
    }
    // Adds the files and waits for their intake; records the rows as they appear.
    void addAndWait(const std::vector<std::string>& paths)
    {
        delegate->addFiles(urls(paths));
        ASSERT_TRUE(delegate->waitForBackgroundWork(60000));
        ASSERT_TRUE(spinUntil([&] { return !delegate->progressWindow->isVisible(); }, 5000));
    }
    QFileDialog* confirmSave(const std::string& path)
    {
        delegate->joinBTNClicked();
        QFileDialog* dialog = nullptr;
        spinUntil([&] { return (dialog = visibleChild<QFileDialog>(delegate->window)) != nullptr; }, 5000);
        if (!dialog)
            return nullptr;
        acceptDialog(dialog, QString::fromStdString(path));
        return dialog;
    }
    // A tools folder whose encoder is the real one, reading its input at its
    // natural pace, so a join takes as long as its media.
    std::string pacedTools()
    {
        const std::string dir = testsupport::fakeToolsWithScript("paced", "creator", "exec ffmpeg -re \"$@\"");
        ::symlink((testsupport::resourcesDir() + "/sniffer").c_str(), (dir + "/sniffer").c_str());
        return dir;
    }
};

TEST_F(EndToEnd, IntakeAddsUsableFilesInOrderThenJoins)
{
    const std::string dir = testsupport::freshDir("e2e");
    const std::string notMedia = dir + "/notes.wav";
    testsupport::writeFile(notMedia, "this is not audio");
    const std::string vob = dir + "/clip.VoB";
    QFile::copy(QString::fromStdString(testsupport::sineWav(1.0)), QString::fromStdString(vob));

    std::vector<std::string> appeared;
    QObject::connect(delegate->mainArrayController->model(), &QAbstractItemModel::rowsInserted,
                     [&](const QModelIndex&, int first, int) {
                         appeared.push_back(delegate->mainArrayController->arrangedObjects()[first].fileName);
                     });
    bool sheetSeen = false;
    bool sheetIndeterminate = false;
    QObject::connect(delegate->mainArrayController, &velmora::app::ArrayController::contentChanged, [&] {
        sheetSeen = sheetSeen || delegate->progressWindow->isVisible();
        sheetIndeterminate = delegate->progressBar->maximum() == 0 &&
                             delegate->progressTitle->text() == QStringLiteral("Analyzing Files...") &&
                             !delegate->progressBarCancelBTN->isVisible();
    });

    delegate->window->show();
    DiagnosticLines lines;
    addAndWait({testsupport::sineWav(1.0), notMedia, vob, testsupport::sineFlac(1.0), testsupport::sineM4a(1.0)});
    EXPECT_EQ(appeared, (std::vector<std::string>{"sine-1.wav", "sine-1.flac", "sine-1.m4a"}));
    EXPECT_EQ(names(), appeared);
    EXPECT_TRUE(sheetSeen);
    EXPECT_TRUE(sheetIndeterminate);
    const auto all = lines.lines();
    EXPECT_EQ(std::count(all.begin(), all.end(), std::string("Audio")), 3);
    EXPECT_EQ(delegate->mainArrayController->selectionIndex(), 2);  // the last row added

    const std::string out = testsupport::freshDir("e2e-out") + "/joined together.mp3";
    ASSERT_NE(confirmSave(out), nullptr);
    QMessageBox* box = waitForAlert(*delegate, 60000);
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(delegate->progressWindow->isVisible());
    EXPECT_EQ(box->text(), QStringLiteral("Audio Joined Successfully!"));
    EXPECT_EQ(box->informativeText().toStdString(), out);
    EXPECT_EQ(buttonTexts(box), (QStringList{"Launch in QuickTime Player", "Show in Finder", "OK"}));
    EXPECT_EQ(box->icon(), QMessageBox::Information);
    EXPECT_NEAR(testsupport::mediaDuration(out), 3.0, 0.2);
    EXPECT_EQ(testsupport::runCommand("ffmpeg", {"-v", "error", "-i", out, "-f", "null", "-"}).err, "");

    // "OK" leaves only the rating check (launchCount absent reads as 0).
    const int before = delegate->reviewRequestCount();
    press(box, QStringLiteral("OK"));
    EXPECT_EQ(delegate->reviewRequestCount(), before + 1);
    // The list is unchanged by the join.
    EXPECT_EQ(names(), appeared);
}

TEST_F(EndToEnd, CancelStopsTheJoinWithoutAnAlert)
{
    velmora::setToolsDirectory(pacedTools());
    delegate->window->show();
    addAndWait({testsupport::sineWav(2.0), testsupport::sineWav(2.0)});
    ASSERT_EQ(delegate->mainArrayController->count(), 2);

    const std::string out = testsupport::freshDir("cancel-out") + "/joined.mp3";
    ASSERT_NE(confirmSave(out), nullptr);
    // Wait until the first encoder reports progress, then cancel.
    ASSERT_TRUE(spinUntil([&] { return delegate->progressBar->value() > 0; }, 20000));
    ASSERT_TRUE(delegate->progressBarCancelBTN->isVisible());
    QElapsedTimer timer;
    timer.start();
    delegate->progressBarCancelBTN->click();
    ASSERT_TRUE(spinUntil([&] { return !delegate->progressWindow->isVisible(); }, 10000));
    EXPECT_LT(timer.elapsed(), 3000);  // well before the join (about 8 s) would end
    ASSERT_TRUE(delegate->waitForBackgroundWork(10000));
    spinUntil([] { return false; }, 300);
    EXPECT_EQ(visibleChild<QMessageBox>(delegate->window), nullptr);
    ASSERT_NE(delegate->control.currentProcess(), nullptr);
    EXPECT_TRUE(delegate->control.currentProcess()->hasExited());
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(out)));
}

TEST_F(EndToEnd, QuittingStopsARunningJoin)
{
    velmora::setToolsDirectory(pacedTools());
    delegate->window->show();
    addAndWait({testsupport::sineWav(2.0), testsupport::sineWav(2.0)});
    const std::string out = testsupport::freshDir("quit-out") + "/joined.mp3";
    ASSERT_NE(confirmSave(out), nullptr);
    ASSERT_TRUE(spinUntil([&] { return delegate->progressBar->value() > 0; }, 20000));

    QElapsedTimer timer;
    timer.start();
    delegate->applicationWillTerminate();
    ASSERT_TRUE(delegate->waitForBackgroundWork(10000));
    EXPECT_LT(timer.elapsed(), 3000);  // the rest of the join (about 6 s) never ran
    EXPECT_TRUE(delegate->control.currentProcess()->hasExited());
    EXPECT_EQ(visibleChild<QMessageBox>(delegate->window), nullptr);
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(out)));
}

}  // namespace
