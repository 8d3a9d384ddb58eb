// The application shell: launch bookkeeping, drops, About and the keyboard
// shortcuts, and the desktop entry.
#include <cmath>

#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTableWidget>
#include <QTest>

#include "BuildConfig.h"
#include "app/AboutDialog.h"
#include "app/DragAndDropView.h"
#include "app/FileListView.h"
#include "app/LaunchBookkeeping.h"
#include "app/Shortcuts.h"
#include "app/ShortcutsDialog.h"
#include "join/intake/MediaFiles.h"
#include "support/AppTestSupport.h"

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

// Qt delivers drag events only during a real drag: they are handed over directly.
struct DropArea : velmora::app::DragAndDropView {
    using DragAndDropView::dragEnterEvent;
    using DragAndDropView::dropEvent;
};
struct ListDrops : velmora::app::FileListView {
    using FileListView::dragEnterEvent;
    using FileListView::dragLeaveEvent;
    using FileListView::dragMoveEvent;
};

TEST_F(Shell, DropsPostLocalFilesAndFoldersInOrder)
{
    const std::string dir = testsupport::freshDir("drop");
    testsupport::writeFile(dir + "/b.wav", "x");
    testsupport::writeFile(dir + "/a.wav", "x");
    QDir().mkpath(QString::fromStdString(dir + "/folder"));
    std::vector<std::pair<QList<QUrl>, int>> received;
    DropArea view;
    QObject::connect(&view, &velmora::app::DragAndDropView::filesAddedByDragAndDrop,
                     [&](const QList<QUrl>& urls) { received.push_back({urls, -1}); });
    QObject::connect(&window(), &velmora::app::MainWindow::filesDropped,
                     [&](const QList<QUrl>& urls, int row) { received.push_back({urls, row}); });
    auto drop = [&](const QList<QUrl>& urls) {
        QMimeData mime;
        mime.setUrls(urls);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, {});
        view.dragEnterEvent(&enter);
        QDropEvent event(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, {});
        view.dropEvent(&event);
        return event.isAccepted() && enter.dropAction() == Qt::CopyAction && event.dropAction() == Qt::CopyAction;
    };
    // Folders go along (the intake expands them); what is not a local file does not.
    EXPECT_TRUE(drop({fileUrl(dir + "/b.wav"), fileUrl(dir + "/folder"), QUrl("https://example.com/x.wav"),
                      fileUrl(dir + "/missing.wav"), fileUrl(dir + "/a.wav")}));
    drop({QUrl("https://example.com/x.wav")});
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].first, (QList<QUrl>{fileUrl(dir + "/b.wav"), fileUrl(dir + "/folder"), fileUrl(dir + "/a.wav")}));
    EXPECT_TRUE(received[1].first.isEmpty());

    // While a join's sheet covers the window a drop must not start an intake
    // (which would take the sheet and its Cancel button away).
    sheet()->begin("Joining Audio...", false);
    EXPECT_FALSE(drop({fileUrl(dir + "/a.wav")}));
    sheet()->end();
    EXPECT_TRUE(drop({fileUrl(dir + "/a.wav")}));
    EXPECT_EQ(received.size(), 3u);
}

TEST_F(Shell, DropPositionLineAndHighlight)
{
    fill({"A", "B", "C"});
    auto* view = static_cast<ListDrops*>(window().fileList());
    std::vector<int> droppedAt;
    QObject::connect(view, &velmora::app::FileListView::filesDropped,
                     [&](const QList<QUrl>&, int row) { droppedAt.push_back(row); });
    const QRect first = view->visualRect(list().model()->index(0, 0));
    const QRect second = view->visualRect(list().model()->index(1, 0));
    QMimeData files;
    files.setUrls({fileUrl(testsupport::sineWav(1.0))});
    std::unique_ptr<QMimeData> rows(view->selectedRowsMimeData());
    // Where the pointer is, what the line marks, whether the list lights up, and where a drop goes.
    const struct { QMimeData* mime; QPoint at; int row; bool highlighted; } cases[]{
        {&files, first.center() - QPoint(0, first.height() / 4), 0, true},
        {&files, second.center() + QPoint(0, second.height() / 4), 2, true},
        {&files, {5, view->viewport()->height() - 5}, 3, true},
        {rows.get(), first.center() - QPoint(0, first.height() / 4), 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        QDragEnterEvent enter(c.at, Qt::CopyAction | Qt::MoveAction, c.mime, Qt::LeftButton, {});
        view->dragEnterEvent(&enter);
        QDragMoveEvent move(c.at, Qt::CopyAction | Qt::MoveAction, c.mime, Qt::LeftButton, {});
        view->dragMoveEvent(&move);
        EXPECT_TRUE(move.isAccepted());
        EXPECT_EQ(view->dropIndicatorRow(), c.row);
        EXPECT_EQ(view->isDropHighlighted(), c.highlighted);
        QDragLeaveEvent leave;
        view->dragLeaveEvent(&leave);
        EXPECT_EQ(view->dropIndicatorRow(), -1);
        EXPECT_FALSE(view->isDropHighlighted());
        if (c.mime == &files) {
            EXPECT_EQ(view->takeDrop(&files, c.at), Qt::CopyAction);
            EXPECT_EQ(droppedAt.back(), c.row);
        }
    }
}

TEST_F(Shell, AboutNamesTheToolsItFound)
{
    const struct { std::string tools; QString version; } cases[]{
        {testsupport::resourcesDir(), QStringLiteral("ffmpeg version ")},
        {testsupport::freshDir("no-tools"), QStringLiteral("none: no working \"creator\" in the tools folder")}};
    for (const auto& c : cases) {
        velmora::setToolsDirectory(c.tools);
        window().action("aboutAction")->trigger();
        auto* about = visibleChild<velmora::app::AboutDialog>(&window(), 2000);
        ASSERT_NE(about, nullptr);
        EXPECT_TRUE(spinUntil([&] { return about->toolVersionLabel()->text().startsWith(c.version); }, 5000))
            << about->toolVersionLabel()->text();
        EXPECT_EQ(about->toolsFolderLabel()->text().toStdString(), c.tools);
        EXPECT_FALSE(about->licenceLabel()->text().isEmpty());
        const QStringList texts = [&] {
            QStringList all;
            for (QLabel* label : about->findChildren<QLabel*>())
                all << label->text();
            return all;
        }();
        EXPECT_TRUE(texts.contains("Velmora") && texts.contains(QStringLiteral(VELMORA_VERSION)));
        about->close();
        spinUntil([&] { return visibleChild<velmora::app::AboutDialog>(&window()) == nullptr; }, 2000);
    }
}

TEST_F(Shell, ShortcutsHoldUnderEveryTheme)
{
    // A theme without a binding (qt6ct leaves Quit empty) still gets the usual keys.
    const QKeySequence ctrlQ(Qt::CTRL | Qt::Key_Q);
    const struct { QList<QKeySequence> bindings; QList<QKeySequence> expected; } cases[]{
        {{QKeySequence()}, {ctrlQ}},
        {{QKeySequence(Qt::CTRL | Qt::Key_W)}, {QKeySequence(Qt::CTRL | Qt::Key_W)}},
        {{ctrlQ, QKeySequence()}, {ctrlQ}}};
    for (const auto& c : cases)
        EXPECT_EQ(velmora::app::withFallback(c.bindings, ctrlQ), c.expected);

    // F1 opens the list of shortcuts, read off the menus.
    ASSERT_NO_FATAL_FAILURE(activateWindow());
    QTest::keyClick(window().fileList(), Qt::Key_F1);
    auto* dialog = visibleChild<velmora::app::ShortcutsDialog>(&window(), 2000);
    ASSERT_NE(dialog, nullptr);
    QMap<QString, QString> listed;
    for (int r = 0; r < dialog->table()->rowCount(); ++r)
        listed[dialog->table()->item(r, 0)->text()] = dialog->table()->item(r, 1)->text();
    EXPECT_EQ(listed.value("Quit"), QStringLiteral("Ctrl+Q"));
    EXPECT_EQ(listed.value("Move Up"), QStringLiteral("Ctrl+Up"));
    EXPECT_TRUE(listed.value("Redo").contains("Ctrl+Shift+Z"));
    dialog->close();
}

TEST_F(Shell, DesktopEntryOffersTheTypesTheIntakeKnows)
{
    QFile entry(QStringLiteral(VELMORA_SOURCE_DIR "/src/app/app.velmora.Velmora.desktop"));
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly | QIODevice::Text));
    QStringList offered;
    for (const QString& line : QString::fromUtf8(entry.readAll()).split('\n')) {
        if (line.startsWith("MimeType="))
            offered = line.mid(9).split(';', Qt::SkipEmptyParts);
    }
    QStringList known;
    for (const auto& type : velmora::mediaFileTypes())
        known << QString::fromStdString(type.mimeType);
    EXPECT_EQ(offered, known);
}

}  // namespace
