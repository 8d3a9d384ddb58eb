// The application shell: launch bookkeeping, drops, the progress sheet, help
// and the rating check, desktop entries.
#include <cmath>

#include <QDropEvent>
#include <QMimeData>

#include "app/DesktopActions.h"
#include "app/DragAndDropView.h"
#include "app/FileListView.h"
#include "app/LaunchBookkeeping.h"
#include "support/AppTestSupport.h"
#include "join/Completion.h"

using namespace apptest;

namespace {

class Shell : public AppTest {};

TEST_F(Shell, LaunchBookkeepingAcrossVersions)
{
    DiagnosticLines lines;
    delegate->applicationDidFinishLaunching();  // the application's own version, "1.0"
    const struct { std::optional<QString> version; bool firstTime; qint64 count; } launches[]{
        {"1.0", false, 2}, {"1.0", false, 3}, {"1.1", true, 1}, {std::nullopt, true, 1}, {std::nullopt, false, 2}};
    auto defaults = velmora::settings();
    Names expectedLines{"First Time"};
    for (const auto& l : launches) {
        SCOPED_TRACE(l.version.value_or("-").toStdString());
        EXPECT_EQ(velmora::app::recordLaunch(*defaults, l.version), l.firstTime);
        EXPECT_EQ(velmora::app::launchCount(*defaults), l.count);
        EXPECT_EQ(defaults->value("installedVersion"), l.version ? QVariant(*l.version) : QVariant());
        expectedLines.push_back(l.firstTime ? "First Time" : "Not First Time");
    }
    EXPECT_EQ(lines.lines(), expectedLines);
}

// Qt delivers drop events only during a real drag: they are handed over directly.
struct DropArea : velmora::app::DragAndDropView {
    using DragAndDropView::dragEnterEvent;
    using DragAndDropView::dropEvent;
};

TEST_F(Shell, DropsPostLocalFilesInOrderAndSkipFolders)
{
    const std::string dir = testsupport::freshDir("drop");
    testsupport::writeFile(dir + "/b.wav", "x");
    testsupport::writeFile(dir + "/a.wav", "x");
    QDir().mkpath(QString::fromStdString(dir + "/folder"));
    std::vector<QList<QUrl>> received;
    DropArea view;
    QObject::connect(&view, &velmora::app::DragAndDropView::filesAddedByDragAndDrop,
                     [&](const QList<QUrl>& urls) { received.push_back(urls); });
    QObject::connect(delegate->window, &velmora::app::MainWindow::filesDropped,
                     [&](const QList<QUrl>& urls) { received.push_back(urls); });
    auto drop = [&](const QList<QUrl>& urls) {
        QMimeData mime;
        mime.setUrls(urls);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, {});
        view.dragEnterEvent(&enter);
        QDropEvent event(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, {});
        view.dropEvent(&event);
        return event.isAccepted() && enter.dropAction() == Qt::CopyAction && event.dropAction() == Qt::CopyAction;
    };
    EXPECT_TRUE(drop({fileUrl(dir + "/b.wav"), fileUrl(dir + "/folder"), QUrl("https://example.com/x.wav"),
                      fileUrl(dir + "/missing.wav"), fileUrl(dir + "/a.wav")}));
    drop({fileUrl(dir + "/folder")});
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0], (QList<QUrl>{fileUrl(dir + "/b.wav"), fileUrl(dir + "/a.wav")}));
    EXPECT_TRUE(received[1].isEmpty());

    // While a join's sheet covers the window a drop must not start an intake
    // (which would take the sheet and its Cancel button away).
    delegate->showProgressSheet("Joining Audio...", false);
    EXPECT_FALSE(drop({fileUrl(dir + "/a.wav")}));
    delegate->hideProgressSheet();
    EXPECT_TRUE(drop({fileUrl(dir + "/a.wav")}));
    EXPECT_EQ(received.size(), 3u);
    // Files dropped on the list itself go the same way.
    QMimeData files;
    files.setUrls({fileUrl(dir + "/a.wav")});
    EXPECT_EQ(delegate->window->fileList()->takeDrop(&files, {5, 5}), Qt::CopyAction);
    EXPECT_EQ(received.size(), 4u);
}

TEST_F(Shell, ProgressSheetFormsAndHide)
{
    auto& d = *delegate;
    const struct { const char* title; bool indeterminate; } forms[]{{"Analyzing Files...", true},
                                                                     {"Joining Audio...", false}};
    for (const auto& f : forms) {
        d.showProgressSheet(f.title, f.indeterminate);
        EXPECT_TRUE(d.progressWindow->isVisible() && d.progressWindow->windowModality() == Qt::WindowModal);
        EXPECT_EQ(d.progressTitle->text(), QString::fromUtf8(f.title));
        EXPECT_EQ(d.progressBar->maximum() == 0, f.indeterminate);
        EXPECT_EQ(d.progressBar->value(), 0);
        EXPECT_EQ(d.progressBarCancelBTN->isVisible(), !f.indeterminate);
        d.progressWindow->reject();  // the user cannot dismiss it
        d.progressWindow->close();
        EXPECT_TRUE(d.progressWindow->isVisible());
        d.hideProgressSheet();
        EXPECT_FALSE(d.progressWindow->isVisible());
    }

    // Values are clamped and NaN ignored; once indeterminate, the bar stays
    // so for the rest of that join only.
    d.showProgressSheet("Joining Audio...", false);
    const int max = d.progressBar->maximum();
    d.setProgress({31.25, 1, 2});
    EXPECT_EQ(d.progressBar->value(), std::lround(max * 0.3125));
    d.setProgress({150.0, 1, 2});
    d.setProgress({NAN, 1, 2});
    EXPECT_EQ(d.progressBar->value(), max);
    d.setProgress({-INFINITY, 1, 2});
    EXPECT_EQ(d.progressBar->value(), 0);
    d.setProgressIndeterminate();
    d.setProgress({60.0, 1, 2});
    EXPECT_EQ(d.progressBar->maximum(), 0);
    d.hideProgressSheet();
    d.showProgressSheet("Joining Audio...", false);
    EXPECT_EQ(d.progressBar->maximum(), max);
}

TEST_F(Shell, HelpResponsesAndTheRatingCheck)
{
    const struct { std::optional<qint64> launchCount; const char* button; int ratingPrompts; } cases[]{
        {10, "OK", 1},           {10, "Rate App", 2}, {11, "OK", 0}, {11, "Rate App", 1},
        {std::nullopt, "OK", 1}, {-20, "OK", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button + (" " + std::to_string(c.launchCount.value_or(-1))));
        auto defaults = velmora::settings();
        c.launchCount ? defaults->setValue("launchCount", *c.launchCount) : defaults->remove("launchCount");
        defaults->sync();
        newDelegate();
        delegate->helpBTNClicked();
        QMessageBox* box = waitForAlert();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), QStringLiteral("Questions?"));
        EXPECT_EQ(box->informativeText().toStdString(), velmora::supportEmailAddress());
        EXPECT_EQ(buttonTexts(box), (QStringList{"Rate App", "Check out my other Apps", "OK"}));
        press(box, QString::fromUtf8(c.button));
        spinUntil([&] { return visibleChild<QMessageBox>(delegate->window) == nullptr; }, 5000);
        EXPECT_EQ(delegate->ratingPromptCount(), c.ratingPrompts);
    }
}

TEST_F(Shell, FindsNamedApplicationsAndBuildsTheirCommand)
{
    const std::string dir = testsupport::freshDir("applications");
    testsupport::writeFile(dir + "/player.desktop", "[Desktop Entry]\nType=Application\nName=QuickTime Player\n"
                                                    "Exec=qtplayer --new %U\n[Desktop Action x]\nName=Other\n");
    testsupport::writeFile(dir + "/other.desktop", "[Desktop Entry]\nName=Other Player\nExec=other %f\n");
    const QStringList dirs{QString::fromStdString(dir)};
    const auto entry = velmora::app::findDesktopEntry(QStringLiteral("QuickTime Player"), dirs);
    ASSERT_TRUE(entry.has_value());
    EXPECT_FALSE(velmora::app::findDesktopEntry(QStringLiteral("Nothing"), dirs));
    EXPECT_EQ(velmora::app::execCommandForFile(entry->exec, QStringLiteral("/tmp/a b.mp3")),
              (QStringList{"qtplayer", "--new", "file:///tmp/a b.mp3"}));
    EXPECT_EQ(velmora::app::execCommandForFile(QStringLiteral("player %i"), QStringLiteral("/x.mp3")),
              (QStringList{"player", "/x.mp3"}));
}

}  // namespace
