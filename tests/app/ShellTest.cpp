#include "AppTestSupport.h"

#include <cmath>

#include <QDesktopServices>
#include <QTextBrowser>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>

#include "app/ArrayController.h"
#include "app/DesktopActions.h"
#include "app/DragAndDropView.h"
#include "app/LaunchBookkeeping.h"
#include "app/NotificationCenter.h"
#include "app/ProgressSheet.h"
#include "join/Completion.h"

using namespace apptest;
using velmora::app::recordLaunch;

namespace {

// --- launch bookkeeping -----------------------------------------------------

class LaunchBookkeeping : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();  // the scratch home first
        defaults = velmora::userDefaults();
    }
    std::unique_ptr<QSettings> defaults;
    std::string installed() { return defaults->value("installedVersion").toString().toStdString(); }
    qint64 count() { return velmora::app::launchCount(*defaults); }
};

TEST_F(LaunchBookkeeping, CountsLaunchesPerVersion)
{
    DiagnosticLines lines;
    EXPECT_TRUE(recordLaunch(*defaults, QStringLiteral("1.0")));
    EXPECT_EQ(installed(), "1.0");
    EXPECT_EQ(count(), 1);
    EXPECT_FALSE(recordLaunch(*defaults, QStringLiteral("1.0")));
    EXPECT_EQ(count(), 2);
    for (int i = 0; i < 8; ++i)
        recordLaunch(*defaults, QStringLiteral("1.0"));
    EXPECT_EQ(count(), 10);
    EXPECT_TRUE(recordLaunch(*defaults, QStringLiteral("1.1")));
    EXPECT_EQ(installed(), "1.1");
    EXPECT_EQ(count(), 1);
    const auto all = lines.lines();
    ASSERT_EQ(all.size(), 11u);
    EXPECT_EQ(all[0], "First Time");
    EXPECT_EQ(all[1], "Not First Time");
    EXPECT_EQ(all[10], "First Time");
}

TEST_F(LaunchBookkeeping, AbsentVersions)
{
    DiagnosticLines lines;
    // Neither the application nor the store has a version: equal, the count rises from 0.
    EXPECT_FALSE(recordLaunch(*defaults, std::nullopt));
    EXPECT_EQ(count(), 1);
    EXPECT_FALSE(defaults->contains("installedVersion"));
    // A version appears: first time.
    EXPECT_TRUE(recordLaunch(*defaults, QStringLiteral("2.0")));
    // And goes away again: first time, the key is removed.
    EXPECT_TRUE(recordLaunch(*defaults, std::nullopt));
    EXPECT_FALSE(defaults->contains("installedVersion"));
    EXPECT_EQ(count(), 1);
    EXPECT_EQ(lines.lines(), (std::vector<std::string>{"Not First Time", "First Time", "First Time"}));
}

TEST_F(LaunchBookkeeping, LaunchUsesTheApplicationVersionAndListensForDrops)
{
    DiagnosticLines lines;
    delegate->applicationDidFinishLaunching();
    EXPECT_EQ(lines.lines(), std::vector<std::string>{"First Time"});
    EXPECT_EQ(velmora::userDefaults()->value("installedVersion").toString(), QCoreApplication::applicationVersion());

    // A notification without the "key" entry or with something else under it is ignored.
    auto& center = velmora::app::NotificationCenter::defaultCenter();
    center.post(QStringLiteral("FilesAddedByDragAndDrop"), {});
    center.post(QStringLiteral("FilesAddedByDragAndDrop"), {{QStringLiteral("key"), QStringLiteral("nope")}});
    EXPECT_TRUE(delegate->waitForBackgroundWork(5000));
    EXPECT_FALSE(delegate->progressWindow->isVisible());
    // An empty list of URLs runs an intake that adds nothing.
    center.post(QStringLiteral("FilesAddedByDragAndDrop"), {{QStringLiteral("key"), QVariant::fromValue(QList<QUrl>{})}});
    EXPECT_TRUE(delegate->waitForBackgroundWork(5000));
    EXPECT_FALSE(delegate->progressWindow->isVisible());
    EXPECT_EQ(delegate->mainArrayController->count(), 0);
}

// --- the drop area ------------------------------------------------------------

TEST(DragAndDropView, PostsLocalFilesOnlyInOrder)
{
    testApp();
    const std::string dir = testsupport::freshDir("drop");
    testsupport::writeFile(dir + "/b.wav", "x");
    testsupport::writeFile(dir + "/a.wav", "x");
    QDir().mkpath(QString::fromStdString(dir + "/folder"));

    std::vector<QVariantMap> received;
    QObject observer;
    velmora::app::NotificationCenter::defaultCenter().addObserver(
        &observer, QStringLiteral("FilesAddedByDragAndDrop"),
        [&](const velmora::app::Notification& n) { received.push_back(n.userInfo); });

    // Qt delivers drop events only during a real drag: hand them over directly.
    struct View : velmora::app::DragAndDropView {
        using DragAndDropView::dragEnterEvent;
        using DragAndDropView::dropEvent;
    } view;
    auto* mime = new QMimeData;
    mime->setUrls({QUrl::fromLocalFile(QString::fromStdString(dir + "/b.wav")),
                   QUrl::fromLocalFile(QString::fromStdString(dir + "/folder")), QUrl("https://example.com/x.wav"),
                   QUrl::fromLocalFile(QString::fromStdString(dir + "/missing.wav")),
                   QUrl::fromLocalFile(QString::fromStdString(dir + "/a.wav"))});
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
    view.dragEnterEvent(&enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::CopyAction);
    view.dropEvent(&drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction);

    auto* folderOnly = new QMimeData;
    folderOnly->setUrls({QUrl::fromLocalFile(QString::fromStdString(dir + "/folder"))});
    QDropEvent drop2(QPointF(5, 5), Qt::CopyAction, folderOnly, Qt::LeftButton, Qt::NoModifier);
    view.dropEvent(&drop2);

    ASSERT_EQ(received.size(), 2u);
    const auto urls = received[0].value(QStringLiteral("key")).value<QList<QUrl>>();
    ASSERT_EQ(urls.size(), 2);
    EXPECT_TRUE(urls[0].toLocalFile().endsWith("/b.wav"));
    EXPECT_TRUE(urls[1].toLocalFile().endsWith("/a.wav"));
    EXPECT_TRUE(received[1].contains(QStringLiteral("key")));
    EXPECT_TRUE(received[1].value(QStringLiteral("key")).value<QList<QUrl>>().isEmpty());
    delete mime;
    delete folderOnly;
}

TEST(DragAndDropView, RefusesDropsWhileASheetCoversTheWindow)
{
    testApp();
    velmora::app::AppDelegate d;
    d.window->show();
    const std::string file = testsupport::freshDir("drop-sheet") + "/a.wav";
    testsupport::writeFile(file, "x");
    int posted = 0;
    QObject observer;
    velmora::app::NotificationCenter::defaultCenter().addObserver(
        &observer, QStringLiteral("FilesAddedByDragAndDrop"), [&](const velmora::app::Notification&) { ++posted; });
    struct View : velmora::app::DragAndDropView {
        using DragAndDropView::dropEvent;
    } view;  // any drop area of the application
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(file))});

    // A join's sheet is up: a drop must not start an intake that would take
    // the sheet (and its Cancel button) away.
    d.showProgressSheet("Joining Audio...", false);
    EXPECT_FALSE(velmora::app::DragAndDropView::acceptsDropsNow());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    view.dropEvent(&drop);
    EXPECT_FALSE(drop.isAccepted());
    EXPECT_EQ(posted, 0);

    d.hideProgressSheet();
    EXPECT_TRUE(velmora::app::DragAndDropView::acceptsDropsNow());
    QDropEvent again(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    view.dropEvent(&again);
    EXPECT_EQ(posted, 1);
}

// --- the progress sheet ---------------------------------------------------------

class ProgressSheet : public AppTest {};

TEST_F(ProgressSheet, TwoFormsAndHide)
{
    auto& d = *delegate;
    d.window->show();
    d.showProgressSheet("Analyzing Files...", true);
    EXPECT_TRUE(d.progressWindow->isVisible());
    EXPECT_EQ(d.progressWindow->windowModality(), Qt::WindowModal);
    EXPECT_EQ(d.progressWindow->parentWidget(), d.window);
    EXPECT_EQ(d.progressTitle->text(), QStringLiteral("Analyzing Files..."));
    EXPECT_EQ(d.progressBar->maximum(), 0);  // indeterminate
    EXPECT_FALSE(d.progressBarCancelBTN->isVisible());

    d.hideProgressSheet();
    EXPECT_FALSE(d.progressWindow->isVisible());
    EXPECT_FALSE(d.progressBarCancelBTN->isVisibleTo(d.progressWindow));
    EXPECT_EQ(d.progressBar->maximum(), 0);
    EXPECT_EQ(d.progressBar->value(), 0);

    d.showProgressSheet("Joining Audio...", false);
    EXPECT_TRUE(d.progressWindow->isVisible());
    EXPECT_EQ(d.progressTitle->text(), QStringLiteral("Joining Audio..."));
    EXPECT_GT(d.progressBar->maximum(), 0);
    EXPECT_EQ(d.progressBar->value(), 0);
    EXPECT_TRUE(d.progressBarCancelBTN->isVisible());

    // The user cannot dismiss it.
    d.progressWindow->reject();
    d.progressWindow->close();
    EXPECT_TRUE(d.progressWindow->isVisible());
    d.hideProgressSheet();
}

TEST_F(ProgressSheet, JoinProgressValues)
{
    auto& d = *delegate;
    d.showProgressSheet("Joining Audio...", false);
    const int max = d.progressBar->maximum();
    d.updateJoinProgress(31.25);
    EXPECT_EQ(d.progressBar->value(), std::lround(max * 0.3125));
    d.updateJoinProgress(150.0);
    EXPECT_EQ(d.progressBar->value(), max);
    d.updateJoinProgress(-INFINITY);
    EXPECT_EQ(d.progressBar->value(), 0);
    d.updateJoinProgress(50.0);
    d.updateJoinProgress(NAN);
    EXPECT_EQ(d.progressBar->value(), max / 2);
    // Positive infinity: indeterminate for the rest of the join.
    d.updateJoinProgress(INFINITY);
    EXPECT_EQ(d.progressBar->maximum(), 0);
    d.updateJoinProgress(60.0);
    EXPECT_EQ(d.progressBar->maximum(), 0);
    // The next join starts determinate again.
    d.hideProgressSheet();
    d.showProgressSheet("Joining Audio...", false);
    EXPECT_EQ(d.progressBar->maximum(), max);
    EXPECT_EQ(d.progressBar->value(), 0);
    d.hideProgressSheet();
}

TEST_F(ProgressSheet, CancelSetsTheFlagAndLeavesTheSheet)
{
    auto& d = *delegate;
    d.showProgressSheet("Joining Audio...", false);
    d.progressBarCancelBTN->click();
    EXPECT_TRUE(d.control.isProcessCancelledByUser.load());
    EXPECT_TRUE(d.progressWindow->isVisible());
    d.hideProgressSheet();
}

// --- help and the rating check ---------------------------------------------------------

class Help : public AppTest {
protected:
    int helpAnswered(const QString& button)
    {
        const int before = delegate->reviewRequestCount();
        delegate->window->show();
        delegate->helpBTNClicked();
        QMessageBox* box = waitForAlert(*delegate, 5000);
        if (!box) {
            ADD_FAILURE() << "no help alert";
            return -1;
        }
        press(box, button);
        spinUntil([&] { return visibleChild<QMessageBox>(delegate->window) == nullptr; }, 5000);
        return delegate->reviewRequestCount() - before;
    }
    void setLaunchCount(std::optional<qint64> n)
    {
        auto defaults = velmora::userDefaults();
        if (n)
            defaults->setValue("launchCount", *n);
        else
            defaults->remove("launchCount");
        defaults->sync();
    }
};

TEST_F(Help, TheQuestionsAlert)
{
    delegate->window->show();
    delegate->helpBTNClicked();
    QMessageBox* box = waitForAlert(*delegate, 5000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), QStringLiteral("Questions?"));
    EXPECT_EQ(box->informativeText().toStdString(), velmora::supportEmailAddress());
    EXPECT_EQ(box->icon(), QMessageBox::Information);
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    EXPECT_EQ(buttonTexts(box), (QStringList{"Rate App", "Check out my other Apps", "OK"}));
    EXPECT_EQ(box->defaultButton()->text(), QStringLiteral("Rate App"));
    press(box, QStringLiteral("OK"));
}

TEST_F(Help, RatingPromptOnEveryTenthLaunch)
{
    setLaunchCount(10);
    EXPECT_EQ(helpAnswered("OK"), 1);
    EXPECT_EQ(helpAnswered("Rate App"), 2);
    setLaunchCount(11);
    EXPECT_EQ(helpAnswered("OK"), 0);
    EXPECT_EQ(helpAnswered("Rate App"), 1);
    setLaunchCount(std::nullopt);
    EXPECT_EQ(helpAnswered("OK"), 1);
    setLaunchCount(-20);
    EXPECT_EQ(helpAnswered("OK"), 1);
}

class WebCatchingDelegate : public velmora::app::AppDelegate {
public:
    std::vector<std::string> addresses;
    void openWebAddress(const std::string& address) override
    {
        addresses.push_back(address);
        AppDelegate::openWebAddress("");  // the real operation, with text that opens nothing
    }
};

TEST_F(Help, OtherAppsOpensTheDeveloperPage)
{
    setLaunchCount(11);
    delegate = std::make_unique<WebCatchingDelegate>();
    auto& catcher = static_cast<WebCatchingDelegate&>(*delegate);
    EXPECT_EQ(helpAnswered("Check out my other Apps"), 0);
    EXPECT_EQ(catcher.addresses, std::vector<std::string>{velmora::developerPageAddress()});
    // Only valid absolute web addresses are opened.
    EXPECT_FALSE(velmora::app::openWebAddress(QStringLiteral("not a url")));
    EXPECT_FALSE(velmora::app::openWebAddress(QString()));
}

// --- desktop actions ---------------------------------------------------------------

TEST(DesktopActions, FindsNamedApplicationsAndBuildsTheirCommand)
{
    testApp();
    const std::string dir = testsupport::freshDir("applications");
    testsupport::writeFile(dir + "/player.desktop",
                           "[Desktop Entry]\nType=Application\nName=QuickTime Player\nExec=qtplayer --new %U\n"
                           "[Desktop Action x]\nName=Other\n");
    testsupport::writeFile(dir + "/other.desktop", "[Desktop Entry]\nName=Other Player\nExec=other %f\n");
    const auto entry = velmora::app::findDesktopEntry(QStringLiteral("QuickTime Player"), {QString::fromStdString(dir)});
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->exec, QStringLiteral("qtplayer --new %U"));
    EXPECT_FALSE(velmora::app::findDesktopEntry(QStringLiteral("Nothing"), {QString::fromStdString(dir)}));
    EXPECT_EQ(velmora::app::execCommandForFile(entry->exec, QStringLiteral("/tmp/a b.mp3")),
              (QStringList{"qtplayer", "--new", "file:///tmp/a b.mp3"}));
    EXPECT_EQ(velmora::app::execCommandForFile(QStringLiteral("player %i"), QStringLiteral("/x.mp3")),
              (QStringList{"player", "/x.mp3"}));
}

}  // namespace


namespace {

// Where no application named "QuickTime Player" exists, the output opens with
// the user's default application; revealing falls back to opening its folder
// when no file manager answers on the session bus.
TEST(DesktopActions, ResultActionsFallBackToTheDesktopDefaults)
{
    testApp();
    QTextBrowser catcher;  // any object with a slot taking a URL
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "setSource");
    const std::string dir = testsupport::freshDir("result-actions");
    const std::string file = dir + "/joined.mp3";
    testsupport::writeFile(file, "x");

    velmora::app::AppDelegate d;
    d.openFileWithApplication(file, "QuickTime Player");
    EXPECT_EQ(catcher.source(), QUrl::fromLocalFile(QString::fromStdString(file)));
    d.revealInFileManager(file);
    EXPECT_TRUE(spinUntil([&] { return catcher.source() == QUrl::fromLocalFile(QString::fromStdString(dir)); }, 10000))
        << catcher.source().toString().toStdString();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
}

}  // namespace
