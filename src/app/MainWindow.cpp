#include "app/MainWindow.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/DragAndDropView.h"
#include "app/FileListController.h"
#include "app/FileListView.h"
#include "app/ProgressSheet.h"
#include "probe/HumanValues.h"

namespace velmora::app {
namespace {

QPushButton* makeButton(const QString& text, const QString& name, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

MainWindow::MainWindow(FileListController* list, QWidget* parent) : QMainWindow(parent), list_(list)
{
    setObjectName(QStringLiteral("window"));
    setWindowTitle(QStringLiteral("Velmora"));
    setWindowIcon(QIcon::fromTheme(QStringLiteral("velmora")));

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(12, 12, 12, 8);
    layout->setSpacing(10);

    dropView_ = new DragAndDropView(central);
    dropView_->setFrameShape(QFrame::NoFrame);
    auto* dropLayout = new QVBoxLayout(dropView_);
    dropLayout->setContentsMargins(0, 0, 0, 0);
    fileList_ = new FileListView(list_, dropView_);
    fileList_->setObjectName(QStringLiteral("fileList"));
    dropLayout->addWidget(fileList_);
    layout->addWidget(dropView_, 1);

    // Columns: the name takes what is left; the others fit their usual texts.
    QHeaderView* header = fileList_->horizontalHeader();
    const QFontMetrics metrics(fileList_->font());
    const int padding = 28;
    header->setMinimumSectionSize(60);
    header->setSectionResizeMode(FileListModel::nameColumn, QHeaderView::Stretch);
    for (int column : {FileListModel::durationColumn, FileListModel::codecColumn, FileListModel::mediaTypeColumn,
                       FileListModel::sizeColumn})
        header->setSectionResizeMode(column, QHeaderView::Interactive);
    header->resizeSection(FileListModel::durationColumn,
                          metrics.horizontalAdvance(QStringLiteral("00:00:00.000")) + padding);
    header->resizeSection(FileListModel::codecColumn,
                          metrics.horizontalAdvance(QStringLiteral("h264, aac, mov_text")) + padding);
    header->resizeSection(FileListModel::mediaTypeColumn,
                          metrics.horizontalAdvance(QStringLiteral("Audio & Video")) + padding);
    header->resizeSection(FileListModel::sizeColumn, metrics.horizontalAdvance(QStringLiteral("999.99 MB")) + padding);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(6);
    addBTN_ = makeButton(tr("Add…"), QStringLiteral("addBTN"), central);
    removeBTN_ = makeButton(tr("Remove"), QStringLiteral("removeBTN"), central);
    moveUpBTN_ = makeButton(tr("Move Up"), QStringLiteral("moveUpBTN"), central);
    moveDownBTN_ = makeButton(tr("Move Down"), QStringLiteral("moveDownBTN"), central);
    helpBTN_ = makeButton(tr("Help"), QStringLiteral("helpBTN"), central);
    joinBTN_ = makeButton(tr("Join…"), QStringLiteral("joinBTN"), central);
    joinBTN_->setDefault(true);
    summary_ = new QLabel(central);
    summary_->setObjectName(QStringLiteral("summary"));
    summary_->setAlignment(Qt::AlignCenter);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    buttons->addWidget(addBTN_);
    buttons->addWidget(removeBTN_);
    buttons->addSpacing(12);
    buttons->addWidget(moveUpBTN_);
    buttons->addWidget(moveDownBTN_);
    buttons->addWidget(summary_, 1);
    buttons->addWidget(helpBTN_);
    buttons->addWidget(joinBTN_);
    layout->addLayout(buttons);
    setCentralWidget(central);

    connect(addBTN_, &QPushButton::clicked, this, &MainWindow::addRequested);
    connect(removeBTN_, &QPushButton::clicked, this, &MainWindow::removeRequested);
    connect(moveUpBTN_, &QPushButton::clicked, this, &MainWindow::moveUpRequested);
    connect(moveDownBTN_, &QPushButton::clicked, this, &MainWindow::moveDownRequested);
    connect(joinBTN_, &QPushButton::clicked, this, &MainWindow::joinRequested);
    connect(helpBTN_, &QPushButton::clicked, this, &MainWindow::helpRequested);
    connect(dropView_, &DragAndDropView::filesAddedByDragAndDrop, this, &MainWindow::filesDropped);
    connect(fileList_, &FileListView::filesDropped, this, &MainWindow::filesDropped);

    buildMenus();
    progressSheet_ = new ProgressSheet(this);

    connect(list_, &FileListController::contentChanged, this, &MainWindow::updateControls);
    connect(list_, &FileListController::selectionChanged, this, &MainWindow::updateControls);
    updateControls();

    resize(900, 560);
    setMinimumSize(640, 360);
}

void MainWindow::buildMenus()
{
    // Menus carry the keyboard shortcuts.
    QMenu* fileMenu = menuBar()->addMenu(tr("&File"));
    QAction* addAction = fileMenu->addAction(tr("&Add Files…"), this, &MainWindow::addRequested);
    addAction->setShortcut(QKeySequence::Open);
    joinAction_ = fileMenu->addAction(tr("&Join…"), this, &MainWindow::joinRequested);
    joinAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_J));
    fileMenu->addSeparator();
    QAction* quitAction = fileMenu->addAction(tr("&Quit"), this, &MainWindow::quitRequested);
    quitAction->setShortcut(QKeySequence::Quit);
    QMenu* editMenu = menuBar()->addMenu(tr("&Edit"));
    removeAction_ = editMenu->addAction(tr("&Remove"), this, &MainWindow::removeRequested);
    removeAction_->setShortcuts({QKeySequence(Qt::Key_Delete), QKeySequence(Qt::Key_Backspace)});
    moveUpAction_ = editMenu->addAction(tr("Move &Up"), this, &MainWindow::moveUpRequested);
    moveUpAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Up));
    moveDownAction_ = editMenu->addAction(tr("Move &Down"), this, &MainWindow::moveDownRequested);
    moveDownAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Down));
    editMenu->addSeparator();
    QAction* preferencesAction = editMenu->addAction(tr("&Preferences…"), this, &MainWindow::preferencesRequested);
    preferencesAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    QMenu* helpMenu = menuBar()->addMenu(tr("&Help"));
    helpMenu->addAction(tr("&Questions?…"), this, &MainWindow::helpRequested);
}

void MainWindow::updateControls()
{
    const bool hasSelection = !list_->selectedIndexes().empty();
    const int count = list_->count();
    for (QPushButton* button : {removeBTN_, moveUpBTN_, moveDownBTN_})
        button->setEnabled(hasSelection);
    for (QAction* action : {removeAction_, moveUpAction_, moveDownAction_})
        action->setEnabled(hasSelection);
    joinBTN_->setEnabled(count > 0);
    joinAction_->setEnabled(count > 0);
    if (count == 0)
        summary_->setText(tr("No files"));
    else
        summary_->setText((count == 1 ? tr("1 file") : tr("%1 files").arg(count)) + QStringLiteral(", ") +
                          tr("%1 in total").arg(QString::fromStdString(durationText(list_->totalDuration()))));
}

}  // namespace velmora::app
