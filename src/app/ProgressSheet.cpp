#include "app/ProgressSheet.h"

#include <algorithm>
#include <cmath>

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora::app {

ProgressSheet::ProgressSheet(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      title_(new QLabel(this)),
      bar_(new QProgressBar(this)),
      cancel_(new QPushButton(tr("Cancel"), this))
{
    setObjectName(QStringLiteral("progressWindow"));
    setWindowTitle(tr("Velmora"));
    setWindowModality(Qt::WindowModal);

    QFont font = title_->font();
    font.setBold(true);
    title_->setFont(font);
    title_->setObjectName(QStringLiteral("progressTitle"));
    bar_->setObjectName(QStringLiteral("progressBar"));
    bar_->setRange(0, 0);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    bar_->setMinimumWidth(360);
    cancel_->setObjectName(QStringLiteral("progressBarCancelBTN"));
    cancel_->setAutoDefault(false);
    cancel_->setVisible(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->setSpacing(10);
    layout->addWidget(title_);
    layout->addWidget(bar_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);
    // Keep the same size whether Cancel is shown or not.
    QSizePolicy policy = cancel_->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    cancel_->setSizePolicy(policy);
    setFixedSize(sizeHint().expandedTo(QSize(420, 0)));
}

void ProgressSheet::begin(const QString& title, bool indeterminate)
{
    cancel_->setVisible(!indeterminate);
    bar_->setValue(0);
    bar_->setRange(0, indeterminate ? 0 : kMaximum);
    bar_->setValue(0);
    title_->setText(title);
    open();
}

void ProgressSheet::end()
{
    cancel_->setVisible(false);
    bar_->setValue(0);
    bar_->setRange(0, 0);
    hide();
}

void ProgressSheet::setPercent(double percent)
{
    if (isIndeterminate() || std::isnan(percent))
        return;
    bar_->setValue(static_cast<int>(std::lround(std::clamp(percent, 0.0, 100.0) * kScale)));
}

void ProgressSheet::setIndeterminate()
{
    bar_->setRange(0, 0);
}

bool ProgressSheet::isIndeterminate() const
{
    return bar_->maximum() == 0;
}

void ProgressSheet::reject() {}

void ProgressSheet::closeEvent(QCloseEvent* event)
{
    event->ignore();
}

}  // namespace velmora::app
