#include "app/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QDockWidget>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QUndoStack>
#include <QVBoxLayout>

#include "app/AppIcon.h"
#include "foundation/ClockText.h"
#include "app/DragAndDropView.h"
#include "app/FileListController.h"
#include "app/FileListView.h"
#include "app/ProgressSheet.h"
#include "app/Shortcuts.h"
#include "foundation/Resources.h"
#include "foundation/Settings.h"

namespace velmora::app {
namespace {

QString kAddToQueueTip()
{
    return QObject::tr("Keep this join in the Jobs panel with a copy of the list, and go on with the next");
}

constexpr QSize kUsualSize(1000, 580);
constexpr QSize kSmallestSize(640, 360);

QPushButton* makeButton(const QString& text, const QString& name, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QString shortcutText(const QAction* action)
{
    QStringList keys;
    for (const QKeySequence& key : action->shortcuts())
        keys << key.toString(QKeySequence::NativeText);
    return keys.join(QStringLiteral(", "));
}

}  // namespace

MainWindow::MainWindow(FileListController* list, QWidget* parent) : QMainWindow(parent), list_(list)
{
    setObjectName(QStringLiteral("window"));
    setWindowTitle(QStringLiteral("Velmora"));
    setWindowIcon(appIcon());

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(12, 12, 12, 8);
    layout->setSpacing(10);

    dropView_ = new DragAndDropView(central);
    dropView_->setFrameShape(QFrame::NoFrame);
    dropView_->setAccessibleName(tr("Drop area"));
    dropView_->setAccessibleDescription(tr("Drop audio or video files or folders here to add them to the list"));
    auto* dropLayout = new QVBoxLayout(dropView_);
    dropLayout->setContentsMargins(0, 0, 0, 0);
    fileList_ = new FileListView(list_, dropView_);
    fileList_->setObjectName(QStringLiteral("fileList"));
    fileList_->setAccessibleName(tr("File list"));
    fileList_->setAccessibleDescription(tr("The files to join, in the order they are joined"));
    dropLayout->addWidget(fileList_);
    layout->addWidget(dropView_, 1);
    setColumnWidths();

    auto* buttons = new QHBoxLayout;
    buttonsRow_ = buttons;
    buttons->setSpacing(6);
    addBTN_ = makeButton(tr("Add…"), QStringLiteral("addBTN"), central);
    addFolderBTN_ = makeButton(tr("Add Folder…"), QStringLiteral("addFolderBTN"), central);
    addFolderBTN_->setToolTip(tr("Add the media files of a folder and its subfolders, in name order"));
    removeBTN_ = makeButton(tr("Remove"), QStringLiteral("removeBTN"), central);
    moveUpBTN_ = makeButton(tr("Move Up"), QStringLiteral("moveUpBTN"), central);
    moveDownBTN_ = makeButton(tr("Move Down"), QStringLiteral("moveDownBTN"), central);
    helpBTN_ = makeButton(tr("Help"), QStringLiteral("helpBTN"), central);
    detailsBTN_ = makeButton(tr("Details…"), QStringLiteral("detailsBTN"), central);
    detailsBTN_->setToolTip(tr("The joined file's title, artist, album and cover"));
    joinBTN_ = makeButton(tr("Join…"), QStringLiteral("joinBTN"), central);
    addToQueueBTN_ = makeButton(tr("Add to Queue"), QStringLiteral("addToQueueBTN"), central);
    addToQueueBTN_->setToolTip(kAddToQueueTip());
    // The status line gives way first when the window is narrow: it ends in "…".
    summary_ = new ElidedLabel(central);
    summary_->setObjectName(QStringLiteral("summary"));
    summary_->setAccessibleName(tr("Status"));
    summary_->setAlignment(Qt::AlignCenter);
    summary_->setFocusPolicy(Qt::NoFocus);  // a status line, not a stop for Tab
    summary_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    buttons->addWidget(addBTN_);
    buttons->addWidget(addFolderBTN_);
    buttons->addWidget(removeBTN_);
    buttons->addSpacing(6);
    buttons->addWidget(moveUpBTN_);
    buttons->addWidget(moveDownBTN_);
    buttons->addWidget(summary_, 1);
    buttons->addWidget(helpBTN_);
    buttons->addWidget(detailsBTN_);
    buttons->addWidget(addToQueueBTN_);
    buttons->addWidget(joinBTN_);
    // The status line's own row, for when the buttons leave it no room.
    statusRow_ = new QHBoxLayout;
    layout->addLayout(statusRow_);
    layout->addLayout(buttons);
    setCentralWidget(central);

    // Tab goes from the list through the buttons, left to right, and back.
    QWidget* order[] = {fileList_, addBTN_, addFolderBTN_, removeBTN_, moveUpBTN_, moveDownBTN_, helpBTN_, detailsBTN_, addToQueueBTN_, joinBTN_};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(addBTN_, &QPushButton::clicked, this, &MainWindow::addRequested);
    connect(addFolderBTN_, &QPushButton::clicked, this, &MainWindow::addFolderRequested);
    connect(removeBTN_, &QPushButton::clicked, this, &MainWindow::removeRequested);
    connect(moveUpBTN_, &QPushButton::clicked, this, &MainWindow::moveUpRequested);
    connect(moveDownBTN_, &QPushButton::clicked, this, &MainWindow::moveDownRequested);
    connect(joinBTN_, &QPushButton::clicked, this, &MainWindow::joinRequested);
    connect(addToQueueBTN_, &QPushButton::clicked, this, &MainWindow::addToQueueRequested);
    connect(detailsBTN_, &QPushButton::clicked, this, &MainWindow::detailsRequested);
    connect(helpBTN_, &QPushButton::clicked, this, &MainWindow::helpRequested);
    connect(dropView_, &DragAndDropView::filesAddedByDragAndDrop, this,
            [this](const QList<QUrl>& urls) { emit filesDropped(urls, -1); });
    connect(fileList_, &FileListView::filesDropped, this, &MainWindow::filesDropped);
    connect(fileList_, &FileListView::contextMenuRequestedAt, this, [this](const QPoint& at) { rowMenu_->popup(at); });

    buildMenus();
    progressSheet_ = new ProgressSheet(this);

    connect(list_, &FileListController::contentChanged, this, &MainWindow::updateControls);
    connect(list_, &FileListController::selectionChanged, this, &MainWindow::updateControls);
    updateControls();

    // Never below what the buttons need to read in full, on two rows if need
    // be (ScreenFit keeps it on the screen).
    const QSize available = screen() ? screen()->availableGeometry().size() : kUsualSize;
    rightButtonsUp_ = false;
    for (QPushButton* button : {helpBTN_, detailsBTN_, addToQueueBTN_, joinBTN_}) {
        buttonsRow_->removeWidget(button);
        statusRow_->addWidget(button);
    }
    rightButtonsUp_ = true;
    setMinimumSize(kSmallestSize.boundedTo(available * 0.8).expandedTo(QMainWindow::layout()->totalMinimumSize()));
    placeRightButtons();
    resize(firstWindowSize(available).expandedTo(minimumSize()));
    restoreWindowState();
}

QSize MainWindow::firstWindowSize(const QSize& available)
{
    return kUsualSize.boundedTo(available * 0.8);
}

void MainWindow::setColumnWidths()
{
    // The name takes what the others leave and follows the window's width;
    // every column can be resized by hand.
    QHeaderView* header = fileList_->horizontalHeader();
    const QFontMetrics metrics(fileList_->font());
    const int padding = 28;
    header->setMinimumSectionSize(48);
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->resizeSection(FileListModel::titleColumn, metrics.horizontalAdvance(QStringLiteral("Chapter Twenty-One")) + padding);
    header->resizeSection(FileListModel::startColumn, metrics.horizontalAdvance(QStringLiteral("00:00:00")) + padding);
    header->resizeSection(FileListModel::durationColumn, metrics.horizontalAdvance(QStringLiteral("00:00:00")) + padding);
    header->resizeSection(FileListModel::codecColumn,
                          metrics.horizontalAdvance(QStringLiteral("h264, aac, mov_text")) + padding);
    header->resizeSection(FileListModel::mediaTypeColumn,
                          metrics.horizontalAdvance(QStringLiteral("Audio & Video")) + padding);
    header->resizeSection(FileListModel::sizeColumn, metrics.horizontalAdvance(QStringLiteral("999.99 MB")) + padding);
    header->resizeSection(FileListModel::loudnessColumn, metrics.horizontalAdvance(QStringLiteral("-23.5 LUFS")) + padding);
    header->resizeSection(FileListModel::nameColumn, 320);
}

QAction* MainWindow::addAction(QMenu* menu, const QString& text, const QString& name, void (MainWindow::*signal)())
{
    QAction* action = menu->addAction(text, this, signal);
    keepAction(action, name);
    return action;
}

void MainWindow::keepAction(QAction* action, const QString& name)
{
    action->setObjectName(name);
    actions_.insert(name, action);
    shortcutActions_ << action;
}

QAction* MainWindow::action(const QString& name) const
{
    return actions_.value(name);
}

void MainWindow::buildMenus()
{
    // Menus carry the keyboard shortcuts.
    QMenu* fileMenu = menuBar()->addMenu(tr("&File"));
    addAction(fileMenu, tr("&Add Files…"), QStringLiteral("addAction"), &MainWindow::addRequested)
        ->setShortcuts(standardShortcuts(QKeySequence::Open, QKeySequence(Qt::CTRL | Qt::Key_O)));
    addAction(fileMenu, tr("Add &Folder…"), QStringLiteral("addFolderAction"), &MainWindow::addFolderRequested)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    fileMenu->addSeparator();
    addAction(fileMenu, tr("&Open List…"), QStringLiteral("openListAction"), &MainWindow::openListRequested)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    recentMenu_ = fileMenu->addMenu(tr("Open &Recent"));
    recentMenu_->setObjectName(QStringLiteral("recentMenu"));
    addAction(fileMenu, tr("&Save List As…"), QStringLiteral("saveListAction"), &MainWindow::saveListRequested)
        ->setShortcuts(standardShortcuts(QKeySequence::SaveAs, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)));
    setRecentLists({});
    fileMenu->addSeparator();
    addAction(fileMenu, tr("&Join…"), QStringLiteral("joinAction"), &MainWindow::joinRequested)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_J));
    addAction(fileMenu, tr("Add to &Queue"), QStringLiteral("addToQueueAction"), &MainWindow::addToQueueRequested)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_J));
    addAction(fileMenu, tr("Join &Each Folder…"), QStringLiteral("joinEachFolderAction"),
              &MainWindow::joinEachFolderRequested);
    fileMenu->addSeparator();
    addAction(fileMenu, tr("&Quit"), QStringLiteral("quitAction"), &MainWindow::quitRequested)
        ->setShortcuts(standardShortcuts(QKeySequence::Quit, QKeySequence(Qt::CTRL | Qt::Key_Q)));

    QMenu* editMenu = menuBar()->addMenu(tr("&Edit"));
    QAction* undo = list_->undoStack()->createUndoAction(this, tr("&Undo"));
    undo->setShortcuts(standardShortcuts(QKeySequence::Undo, QKeySequence(Qt::CTRL | Qt::Key_Z)));
    QAction* redo = list_->undoStack()->createRedoAction(this, tr("&Redo"));
    QList<QKeySequence> redoKeys{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)};
    for (const QKeySequence& key : QKeySequence::keyBindings(QKeySequence::Redo)) {
        if (!redoKeys.contains(key))
            redoKeys << key;
    }
    redo->setShortcuts(redoKeys);
    editMenu->addAction(undo);
    editMenu->addAction(redo);
    keepAction(undo, QStringLiteral("undoAction"));
    keepAction(redo, QStringLiteral("redoAction"));
    editMenu->addSeparator();
    QAction* selectAll = editMenu->addAction(tr("Select &All"), fileList_, &QAbstractItemView::selectAll);
    keepAction(selectAll, QStringLiteral("selectAllAction"));
    selectAll->setShortcuts(standardShortcuts(QKeySequence::SelectAll, QKeySequence(Qt::CTRL | Qt::Key_A)));
    QAction* remove = addAction(editMenu, tr("Re&move"), QStringLiteral("removeAction"), &MainWindow::removeRequested);
    remove->setShortcuts({QKeySequence(Qt::Key_Delete), QKeySequence(Qt::Key_Backspace)});
    addAction(editMenu, tr("&Clear List"), QStringLiteral("clearAction"), &MainWindow::clearRequested);
    editMenu->addSeparator();
    QAction* moveUp = addAction(editMenu, tr("Mo&ve Up"), QStringLiteral("moveUpAction"), &MainWindow::moveUpRequested);
    moveUp->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Up));
    QAction* moveDown =
        addAction(editMenu, tr("Move &Down"), QStringLiteral("moveDownAction"), &MainWindow::moveDownRequested);
    moveDown->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Down));
    addAction(editMenu, tr("Sort by &Name"), QStringLiteral("sortByNameAction"), &MainWindow::sortByNameRequested);
    addAction(editMenu, tr("Sort by &Track Number"), QStringLiteral("sortByTrackNumberAction"),
              &MainWindow::sortByTrackNumberRequested);
    editMenu->addSeparator();
    addAction(editMenu, tr("D&etails…"), QStringLiteral("detailsAction"), &MainWindow::detailsRequested)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    editMenu->addSeparator();
    QAction* showInFolder = addAction(editMenu, tr("Show in &Folder"), QStringLiteral("showInFolderAction"),
                                      &MainWindow::showInFolderRequested);
    QAction* play = addAction(editMenu, tr("P&lay"), QStringLiteral("playAction"), &MainWindow::playRequested);
    editMenu->addSeparator();
    addAction(editMenu, tr("&Preferences…"), QStringLiteral("preferencesAction"), &MainWindow::preferencesRequested)
        ->setShortcuts(standardShortcuts(QKeySequence::Preferences, QKeySequence(Qt::CTRL | Qt::Key_Comma)));

    viewMenu_ = menuBar()->addMenu(tr("&View"));
    viewMenu_->setObjectName(QStringLiteral("viewMenu"));

    QMenu* helpMenu = menuBar()->addMenu(tr("&Help"));
    addAction(helpMenu, tr("&Keyboard Shortcuts"), QStringLiteral("shortcutsAction"), &MainWindow::shortcutsRequested)
        ->setShortcuts(standardShortcuts(QKeySequence::HelpContents, QKeySequence(Qt::Key_F1)));
    addAction(helpMenu, tr("&Questions?…"), QStringLiteral("helpAction"), &MainWindow::helpRequested);
    helpMenu->addSeparator();
    addAction(helpMenu, tr("&About Velmora"), QStringLiteral("aboutAction"), &MainWindow::aboutRequested);

    rowMenu_ = new QMenu(this);
    rowMenu_->setObjectName(QStringLiteral("rowMenu"));
    rowMenu_->addActions({remove, moveUp, moveDown});
    rowMenu_->addSeparator();
    rowMenu_->addActions({showInFolder, play});
}

void MainWindow::setJobsPanel(QDockWidget* panel)
{
    addDockWidget(Qt::BottomDockWidgetArea, panel);
    panel->hide();
    QAction* toggle = panel->toggleViewAction();
    toggle->setText(tr("&Jobs"));
    toggle->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    viewMenu_->addAction(toggle);
    keepAction(toggle, QStringLiteral("jobsAction"));
}

void MainWindow::setRecentLists(const QStringList& paths)
{
    recentMenu_->clear();
    for (const QString& path : paths) {
        // The name first, the folder after it; an "&" in a name is shown as itself.
        QString label = QFileInfo(path).fileName() + QStringLiteral(" — ") + QFileInfo(path).absolutePath();
        label.replace(QLatin1Char('&'), QStringLiteral("&&"));
        recentMenu_->addAction(label, this, [this, path] { emit openRecentRequested(path); });
    }
    recentMenu_->setEnabled(!paths.isEmpty());
}

QList<std::pair<QString, QString>> MainWindow::shortcutList() const
{
    QList<std::pair<QString, QString>> rows;
    for (const QAction* action : shortcutActions_) {
        if (action->shortcuts().isEmpty())
            continue;
        QString text = action->text();
        if (action->objectName() == QLatin1String("undoAction"))
            text = tr("Undo");
        else if (action->objectName() == QLatin1String("redoAction"))
            text = tr("Redo");
        rows.append({text.remove(QLatin1Char('&')), shortcutText(action)});
    }
    rows.append({tr("Move between the list and the buttons"), tr("Tab, Shift+Tab")});
    rows.append({tr("Cancel the analysis or the join"), tr("Esc")});
    rows.append({tr("Open the menu of the selected rows"), tr("Menu, Shift+F10")});
    return rows;
}

void MainWindow::updateControls()
{
    const bool hasSelection = !list_->selectedIndexes().empty();
    const int count = list_->count();
    for (QPushButton* button : {removeBTN_, moveUpBTN_, moveDownBTN_})
        button->setEnabled(hasSelection);
    for (const char* name : {"removeAction", "moveUpAction", "moveDownAction", "showInFolderAction", "playAction"})
        action(QLatin1String(name))->setEnabled(hasSelection);
    for (const char* name : {"clearAction", "selectAllAction", "detailsAction", "saveListAction"})
        action(QLatin1String(name))->setEnabled(count > 0);
    for (const char* name : {"sortByNameAction", "sortByTrackNumberAction"})
        action(QLatin1String(name))->setEnabled(count > 1);
    // Without the tools Join cannot run: its tooltip says what to install.
    std::optional<std::string> missingTool = toolAdvice(kCreatorToolResource);
    if (!missingTool)
        missingTool = toolAdvice(kProbeToolResource);
    const bool canJoin = count > 0 && !missingTool;
    const QString why = missingTool ? QString::fromStdString(*missingTool) : QString();
    joinBTN_->setEnabled(canJoin);
    addToQueueBTN_->setEnabled(canJoin);
    joinBTN_->setToolTip(why);
    addToQueueBTN_->setToolTip(missingTool ? why : kAddToQueueTip());
    action(QStringLiteral("joinAction"))->setEnabled(canJoin);
    action(QStringLiteral("addToQueueAction"))->setEnabled(canJoin);
    detailsBTN_->setEnabled(count > 0);
    if (count == 0)
        summary_->setText(tr("No files"));
    else
        summary_->setText((count == 1 ? tr("1 file") : tr("%1 files").arg(count)) + QStringLiteral(", ") +
                          tr("%1 in total").arg(QString::fromStdString(clockText(list_->totalDuration()))));
    summary_->setToolTip(summary_->text());
    placeStatusLine();
}

void MainWindow::saveWindowState() const
{
    auto store = settings();
    store->setValue(QLatin1String(settingsKey::windowGeometry), saveGeometry());
    // Widths by column name, so that a column added later neither takes
    // another's width nor makes the others' widths unreadable.
    QVariantMap widths;
    const QHeaderView* header = fileList_->horizontalHeader();
    for (int c = 0; c < header->count(); ++c)
        widths.insert(FileListModel::columnKey(c), c == FileListModel::nameColumn
                                                       ? fileList_->nameColumnWidthWhenEmpty()
                                                       : header->sectionSize(c));
    store->setValue(QLatin1String(settingsKey::fileListColumns), widths);
    store->sync();
}

void MainWindow::restoreWindowState()
{
    auto store = settings();
    const QByteArray geometry = store->value(QLatin1String(settingsKey::windowGeometry)).toByteArray();
    if (!geometry.isEmpty())
        restoreGeometry(geometry);
    // Widths kept in an older form are left for the usual ones.
    const QVariant kept = store->value(QLatin1String(settingsKey::fileListColumns));
    if (kept.typeId() != QMetaType::QVariantMap)
        return;
    const QVariantMap widths = kept.toMap();
    QHeaderView* header = fileList_->horizontalHeader();
    bool restored = false;
    for (int c = 0; c < header->count(); ++c) {
        const int width = widths.value(FileListModel::columnKey(c)).toInt();
        if (width >= header->minimumSectionSize()) {
            header->resizeSection(c, width);
            restored = true;
        }
    }
    if (restored)
        fileList_->setFitNameColumnOnFirstShow(false);
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    placeRightButtons();
    placeStatusLine();
}

void MainWindow::placeRightButtons()
{
    const std::initializer_list<QPushButton*> right{helpBTN_, detailsBTN_, addToQueueBTN_, joinBTN_};
    int needed = 24;
    for (QPushButton* button : {addBTN_, addFolderBTN_, removeBTN_, moveUpBTN_, moveDownBTN_, helpBTN_, detailsBTN_,
                                addToQueueBTN_, joinBTN_})
        needed += button->sizeHint().width() + buttonsRow_->spacing();
    const bool up = centralWidget()->contentsRect().width() < needed;
    if (up == rightButtonsUp_)
        return;
    rightButtonsUp_ = up;
    for (QPushButton* button : right) {
        (up ? buttonsRow_ : statusRow_)->removeWidget(button);
        (up ? statusRow_ : buttonsRow_)->addWidget(button);
    }
}

void MainWindow::placeStatusLine()
{
    // Beside the buttons while they leave it room for its text, else on a
    // row of its own above them (a narrow window, a large scale factor).
    const bool beside = buttonsRow_->indexOf(summary_) >= 0;
    int buttonsWidth = buttonsRow_->contentsMargins().left() + buttonsRow_->contentsMargins().right();
    for (int i = 0; i < buttonsRow_->count(); ++i) {
        QLayoutItem* item = buttonsRow_->itemAt(i);
        if (item->widget() != summary_)
            buttonsWidth += item->sizeHint().width() + buttonsRow_->spacing();
    }
    const int room = centralWidget()->contentsRect().width() - 24 - buttonsWidth;
    const bool fits = room >= summary_->fontMetrics().horizontalAdvance(summary_->text()) + 12;
    if (fits == beside)
        return;
    // In the buttons' row, the status line or else a stretch keeps Help,
    // Details… and Join… on the right.
    const int at = buttonsRow_->indexOf(moveDownBTN_) + 1;
    if (fits) {
        statusRow_->removeWidget(summary_);
        delete buttonsRow_->takeAt(at);  // the stretch
        buttonsRow_->insertWidget(at, summary_, 1);
    } else {
        buttonsRow_->removeWidget(summary_);
        buttonsRow_->insertStretch(at, 1);
        statusRow_->addWidget(summary_);
    }
}

void MainWindow::changeEvent(QEvent* event)
{
    // Tools installed while the window was in the background count at once.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        updateControls();
    QMainWindow::changeEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    saveWindowState();
    QMainWindow::closeEvent(event);
}

}  // namespace velmora::app
