#include "app/ShortcutsDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace velmora::app {

ShortcutsDialog::ShortcutsDialog(const QList<std::pair<QString, QString>>& shortcuts, QWidget* parent)
    : QDialog(parent), table_(new QTableWidget(static_cast<int>(shortcuts.size()), 2, this))
{
    setObjectName(QStringLiteral("shortcutsDialog"));
    setWindowTitle(tr("Keyboard Shortcuts"));
    table_->setHorizontalHeaderLabels({tr("Command"), tr("Keys")});
    table_->setAccessibleName(tr("Keyboard shortcuts"));
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    table_->setTabKeyNavigation(false);
    table_->setShowGrid(false);
    table_->setAlternatingRowColors(true);
    for (int r = 0; r < shortcuts.size(); ++r) {
        table_->setItem(r, 0, new QTableWidgetItem(shortcuts[r].first));
        table_->setItem(r, 1, new QTableWidgetItem(shortcuts[r].second));
    }
    table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    table_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    buttons->button(QDialogButtonBox::Close)->setDefault(true);
    buttons->button(QDialogButtonBox::Close)->setFocus();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addWidget(buttons);
    resize(440, 480);
}

}  // namespace velmora::app
