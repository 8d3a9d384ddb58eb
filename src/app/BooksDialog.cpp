#include "app/BooksDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "foundation/ClockText.h"
#include "foundation/Paths.h"
#include "join/plan/OutputFormat.h"

namespace velmora::app {

BooksDialog::BooksDialog(std::vector<FoundBook> books, const QString& outputFolder, QWidget* parent)
    : QDialog(parent), books_(std::move(books))
{
    setObjectName(QStringLiteral("booksDialog"));
    setWindowTitle(tr("Join Each Folder"));
    auto* layout = new QVBoxLayout(this);
    int usable = 0;
    for (const FoundBook& b : books_)
        usable += b.problem.empty() ? 1 : 0;
    layout->addWidget(new QLabel(usable == 1 ? tr("1 book will be queued, one job for each:")
                                             : tr("%1 books will be queued, one job for each:").arg(usable),
                                 this));
    table_ = new QTableWidget(static_cast<int>(books_.size()), 3, this);
    table_->setObjectName(QStringLiteral("booksTable"));
    table_->setHorizontalHeaderLabels({tr("Name"), tr("Parts"), tr("Duration")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int r = 0; r < table_->rowCount(); ++r) {
        const FoundBook& b = books_[static_cast<size_t>(r)];
        double seconds = 0.0;
        for (const FileRow& row : b.rows)
            seconds += playedLength(row);
        auto* name = new QTableWidgetItem(toQString(b.name));
        auto* duration = new QTableWidgetItem(b.problem.empty() ? QString::fromStdString(clockText(seconds))
                                                                : tr("not queued: %1").arg(toQString(b.problem)));
        if (!b.problem.empty()) {
            name->setForeground(palette().brush(QPalette::Disabled, QPalette::Text));
            duration->setToolTip(duration->text());
        }
        name->setToolTip(toQString(b.book.folder));
        table_->setItem(r, 0, name);
        table_->setItem(r, 1, new QTableWidgetItem(QString::number(b.book.parts.size())));
        table_->setItem(r, 2, duration);
    }
    table_->resizeColumnToContents(1);
    layout->addWidget(table_, 1);

    auto* form = new QFormLayout;
    format_ = new QComboBox(this);
    format_->setObjectName(QStringLiteral("bookFormat"));
    for (const SaveFormat& f : saveFormats(false))
        format_->addItem(QString::fromStdString(f.filterText()), QString::fromStdString(f.extension));
    const int m4b = format_->findData(QStringLiteral("m4b"));
    format_->setCurrentIndex(m4b >= 0 ? m4b : 0);
    form->addRow(tr("Format:"), format_);
    auto* folderRow = new QHBoxLayout;
    folder_ = new QLineEdit(outputFolder, this);
    folder_->setObjectName(QStringLiteral("bookFolder"));
    auto* choose = new QPushButton(tr("Choose…"), this);
    choose->setAutoDefault(false);
    folderRow->addWidget(folder_, 1);
    folderRow->addWidget(choose);
    form->addRow(tr("Save to:"), folderRow);
    layout->addLayout(form);
    connect(choose, &QPushButton::clicked, this, [this] {
        const QString folder = QFileDialog::getExistingDirectory(this, tr("Save to"), folder_->text(),
                                                                 QFileDialog::DontUseNativeDialog);
        if (!folder.isEmpty())
            folder_->setText(folder);
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("Add to Queue"));
    buttons->button(QDialogButtonBox::Ok)->setEnabled(usable > 0);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(640, 420);
}

std::string BooksDialog::extension() const
{
    return format_->currentData().toString().toStdString();
}

QString BooksDialog::outputFolder() const
{
    return folder_->text();
}

}  // namespace velmora::app
