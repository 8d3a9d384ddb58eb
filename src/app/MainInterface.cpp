// The main window's layout and its connections to the controller.

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QVBoxLayout>

#include "app/AppDelegate.h"
#include "app/ArrayController.h"
#include "app/DragAndDropView.h"
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

void AppDelegate::loadInterface()
{
    window = new QMainWindow;
    window->setObjectName(QStringLiteral("window"));
    window->setWindowTitle(QStringLiteral("Velmora"));
    window->setWindowIcon(QIcon::fromTheme(QStringLiteral("velmora")));

    mainArrayController = new ArrayController(window);
    mainArrayController->setObjectName(QStringLiteral("mainArrayController"));

    auto* central = new QWidget(window);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(12, 12, 12, 8);
    layout->setSpacing(10);

    ui.dropView = new DragAndDropView(central);
    ui.dropView->setFrameShape(QFrame::NoFrame);
    auto* dropLayout = new QVBoxLayout(ui.dropView);
    dropLayout->setContentsMargins(0, 0, 0, 0);
    ui.fileList = new FileListView(mainArrayController, ui.dropView);
    ui.fileList->setObjectName(QStringLiteral("fileList"));
    dropLayout->addWidget(ui.fileList);
    layout->addWidget(ui.dropView, 1);

    // Columns: the name takes what is left; the others fit their usual texts.
    QHeaderView* header = ui.fileList->horizontalHeader();
    const QFontMetrics metrics(ui.fileList->font());
    const int padding = 28;
    header->setMinimumSectionSize(60);
    header->setSectionResizeMode(FileListModel::nameColumn, QHeaderView::Stretch);
    for (int column : {FileListModel::durationColumn, FileListModel::codecColumn, FileListModel::mediaTypeColumn,
                       FileListModel::sizeColumn})
        header->setSectionResizeMode(column, QHeaderView::Interactive);
    header->resizeSection(FileListModel::durationColumn,
                          metrics.horizontalAdvance(QStringLiteral("00:00:00.000")) + padding);
    header->resizeSection(FileListModel::codecColumn, metrics.horizontalAdvance(QStringLiteral("h264, aac, mov_text")) + padding);
    header->resizeSection(FileListModel::mediaTypeColumn,
                          metrics.horizontalAdvance(QStringLiteral("Audio & Video")) + padding);
    header->resizeSection(FileListModel::sizeColumn, metrics.horizontalAdvance(QStringLiteral("999.99 MB")) + padding);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(6);
    ui.addBTN = makeButton(tr("Add…"), QStringLiteral("addBTN"), central);
    ui.removeBTN = makeButton(tr("Remove"), QStringLiteral("removeBTN"), central);
    ui.moveUpBTN = makeButton(tr("Move Up"), QStringLiteral("moveUpBTN"), central);
    ui.moveDownBTN = makeButton(tr("Move Down"), QStringLiteral("moveDownBTN"), central);
    ui.helpBTN = makeButton(tr("Help"), QStringLiteral("helpBTN"), central);
    ui.joinBTN = makeButton(tr("Join…"), QStringLiteral("joinBTN"), central);
    ui.joinBTN->setDefault(true);
    ui.summary = new QLabel(central);
    ui.summary->setObjectName(QStringLiteral("summary"));
    ui.summary->setAlignment(Qt::AlignCenter);
    ui.summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    buttons->addWidget(ui.addBTN);
    buttons->addWidget(ui.removeBTN);
    buttons->addSpacing(12);
    buttons->addWidget(ui.moveUpBTN);
    buttons->addWidget(ui.moveDownBTN);
    buttons->addWidget(ui.summary, 1);
    buttons->addWidget(ui.helpBTN);
    buttons->addWidget(ui.joinBTN);
    layout->addLayout(buttons);
    window->setCentralWidget(central);

    connect(ui.addBTN, &QPushButton::clicked, this, &AppDelegate::addBTNClicked);
    connect(ui.removeBTN, &QPushButton::clicked, this, &AppDelegate::removeBTNClicked);
    connect(ui.moveUpBTN, &QPushButton::clicked, this, &AppDelegate::moveUpBTNClicked);
    connect(ui.moveDownBTN, &QPushButton::clicked, this, &AppDelegate::moveDownBTNClicked);
    connect(ui.joinBTN, &QPushButton::clicked, this, &AppDelegate::joinBTNClicked);
    connect(ui.helpBTN, &QPushButton::clicked, this, &AppDelegate::helpBTNClicked);

    // Menus carry the keyboard shortcuts.
    QMenu* fileMenu = window->menuBar()->addMenu(tr("&File"));
    QAction* addAction = fileMenu->addAction(tr("&Add Files…"), this, &AppDelegate::addBTNClicked);
    addAction->setShortcut(QKeySequence::Open);
    ui.joinAction = fileMenu->addAction(tr("&Join…"), this, &AppDelegate::joinBTNClicked);
    ui.joinAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_J));
    fileMenu->addSeparator();
    QAction* quitAction = fileMenu->addAction(tr("&Quit"), qApp, &QApplication::quit);
    quitAction->setShortcut(QKeySequence::Quit);
    QMenu* editMenu = window->menuBar()->addMenu(tr("&Edit"));
    ui.removeAction = editMenu->addAction(tr("&Remove"), this, &AppDelegate::removeBTNClicked);
    ui.removeAction->setShortcuts({QKeySequence(Qt::Key_Delete), QKeySequence(Qt::Key_Backspace)});
    ui.moveUpAction = editMenu->addAction(tr("Move &Up"), this, &AppDelegate::moveUpBTNClicked);
    ui.moveUpAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Up));
    ui.moveDownAction = editMenu->addAction(tr("Move &Down"), this, &AppDelegate::moveDownBTNClicked);
    ui.moveDownAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Down));
    QMenu* helpMenu = window->menuBar()->addMenu(tr("&Help"));
    helpMenu->addAction(tr("&Questions?…"), this, &AppDelegate::helpBTNClicked);

    // The progress sheet.
    auto* sheet = new ProgressSheet(window);
    progressWindow = sheet;
    progressTitle = sheet->titleLabel();
    progressBar = sheet->bar();
    progressBarCancelBTN = sheet->cancelButton();
    connect(progressBarCancelBTN, &QPushButton::clicked, this, &AppDelegate::cancelBTNClicked);

    connect(mainArrayController, &ArrayController::contentChanged, this, &AppDelegate::updateControls);
    connect(mainArrayController, &ArrayController::selectionChanged, this, &AppDelegate::updateControls);
    updateControls();

    window->resize(900, 560);
    window->setMinimumSize(640, 360);
}

void AppDelegate::updateControls()
{
    const bool hasSelection = !mainArrayController->selectionIndexes().empty();
    const int count = mainArrayController->count();
    ui.removeBTN->setEnabled(hasSelection);
    ui.moveUpBTN->setEnabled(hasSelection);
    ui.moveDownBTN->setEnabled(hasSelection);
    ui.removeAction->setEnabled(hasSelection);
    ui.moveUpAction->setEnabled(hasSelection);
    ui.moveDownAction->setEnabled(hasSelection);
    ui.joinBTN->setEnabled(count > 0);
    ui.joinAction->setEnabled(count > 0);
    if (count == 0)
        ui.summary->setText(tr("No files"));
    else
        ui.summary->setText((count == 1 ? tr("1 file") : tr("%1 files").arg(count)) + QStringLiteral(", ") +
                            tr("%1 in total").arg(QString::fromStdString(
                                durationText(mainArrayController->totalDuration()))));
}

}  // namespace velmora::app
