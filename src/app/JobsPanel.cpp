#include "app/JobsPanel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/JobsController.h"
#include "foundation/Paths.h"

namespace velmora::app {
namespace {

enum Column { nameColumn, outputColumn, statusColumn, columnCount };
constexpr int kIdRole = Qt::UserRole + 1;

}  // namespace

JobsPanel::JobsPanel(JobsController& jobs, QWidget* parent) : QDockWidget(tr("Jobs"), parent), jobs_(jobs)
{
    setObjectName(QStringLiteral("jobsPanel"));
    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(8, 4, 8, 8);
    table_ = new QTableWidget(0, columnCount, content);
    table_->setObjectName(QStringLiteral("jobsTable"));
    table_->setAccessibleName(tr("Jobs"));
    table_->setHorizontalHeaderLabels({tr("Name"), tr("Output"), tr("Status")});
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setColumnWidth(nameColumn, 200);
    table_->setColumnWidth(outputColumn, 340);
    layout->addWidget(table_, 1);

    auto* buttons = new QHBoxLayout;
    const auto makeButton = [&](const QString& text, const char* name) {
        auto* button = new QPushButton(text, content);
        button->setObjectName(QLatin1String(name));
        button->setAutoDefault(false);
        buttons->addWidget(button);
        return button;
    };
    start_ = makeButton(tr("Start"), "startJobBTN");
    stop_ = makeButton(tr("Stop"), "stopJobBTN");
    retry_ = makeButton(tr("Retry"), "retryJobBTN");
    remove_ = makeButton(tr("Remove"), "removeJobBTN");
    buttons->addStretch(1);
    open_ = makeButton(tr("Open Output"), "openOutputBTN");
    layout->addLayout(buttons);
    setWidget(content);

    connect(start_, &QPushButton::clicked, this, [this] { jobs_.queue().start(selectedId()); });
    connect(stop_, &QPushButton::clicked, this, [this] { jobs_.queue().stop(selectedId()); });
    connect(retry_, &QPushButton::clicked, this, [this] { jobs_.queue().retry(selectedId()); });
    connect(remove_, &QPushButton::clicked, this, [this] { jobs_.queue().remove(selectedId()); });
    connect(open_, &QPushButton::clicked, this, [this] {
        if (const QueueEntry* entry = jobs_.queue().entry(selectedId()))
            emit openOutputRequested(toQString(entry->outputPath));
    });
    connect(table_, &QTableWidget::itemSelectionChanged, this, &JobsPanel::updateButtons);
    connect(&jobs_, &JobsController::changed, this, [this](quint64 id) {
        if (id == 0)
            rebuild();
        else
            refresh(id);
    });
    rebuild();
}

QPushButton* JobsPanel::button(const QString& name) const
{
    return findChild<QPushButton*>(name);
}

std::uint64_t JobsPanel::selectedId() const
{
    const QList<QTableWidgetItem*> items = table_->selectedItems();
    return items.isEmpty() ? 0 : table_->item(items.front()->row(), nameColumn)->data(kIdRole).toULongLong();
}

void JobsPanel::rebuild()
{
    const std::uint64_t selected = selectedId();
    const auto& entries = jobs_.queue().entries();
    table_->setRowCount(static_cast<int>(entries.size()));
    for (int r = 0; r < table_->rowCount(); ++r) {
        const QueueEntry& e = entries[static_cast<size_t>(r)];
        auto* name = new QTableWidgetItem(toQString(e.name));
        name->setData(kIdRole, QVariant::fromValue<qulonglong>(e.id));
        table_->setItem(r, nameColumn, name);
        table_->setItem(r, outputColumn, new QTableWidgetItem(toQString(e.outputPath)));
        auto* status = new QTableWidgetItem(QString::fromStdString(queueStatusText(e)));
        status->setToolTip(status->text());
        table_->setItem(r, statusColumn, status);
        if (e.id == selected)
            table_->selectRow(r);
    }
    updateButtons();
}

void JobsPanel::refresh(std::uint64_t id)
{
    const QueueEntry* entry = jobs_.queue().entry(id);
    if (!entry)
        return;
    for (int r = 0; r < table_->rowCount(); ++r) {
        const QTableWidgetItem* name = table_->item(r, nameColumn);
        if (!name || name->data(kIdRole).toULongLong() != id)
            continue;
        QTableWidgetItem* status = table_->item(r, statusColumn);
        status->setText(QString::fromStdString(queueStatusText(*entry)));
        status->setToolTip(status->text());
    }
    if (id == selectedId())
        updateButtons();
}

void JobsPanel::updateButtons()
{
    const QueueEntry* entry = jobs_.queue().entry(selectedId());
    const JobStatus status = entry ? entry->status : JobStatus::done;
    const bool ended = status == JobStatus::failed || status == JobStatus::cancelled;
    start_->setEnabled(entry && (status == JobStatus::waiting || ended));
    stop_->setEnabled(entry && (status == JobStatus::waiting || isActive(status)));
    retry_->setEnabled(entry && ended);
    remove_->setEnabled(entry && !isActive(status));
    open_->setEnabled(entry && status == JobStatus::done);
}

}  // namespace velmora::app
