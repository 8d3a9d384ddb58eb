#include "app/ProgressSheet.h"

#include <algorithm>
#include <cmath>

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "foundation/ClockText.h"

namespace velmora::app {
ProgressSheet::ProgressSheet(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      title_(new QLabel(this)),
      bar_(new QProgressBar(this)),
      status_(new QLabel(this)),
      time_(new QLabel(this)),
      cancel_(new QPushButton(tr("Cancel"), this)),
      ticker_(new QTimer(this))
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
    status_->setObjectName(QStringLiteral("progressStatus"));
    time_->setObjectName(QStringLiteral("progressTime"));
    for (QLabel* label : {status_, time_}) {
        label->setForegroundRole(QPalette::PlaceholderText);
        label->setFocusPolicy(Qt::NoFocus);
    }
    time_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    cancel_->setObjectName(QStringLiteral("progressBarCancelBTN"));
    cancel_->setAutoDefault(false);
    cancel_->setVisible(false);
    connect(cancel_, &QPushButton::clicked, this, [this] {
        // The work ends on its own time; until then the sheet says it is ending.
        cancel_->setEnabled(false);
        ticker_->stop();
        status_->setText(tr("Cancelling…"));
        emit cancelRequested();
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->setSpacing(8);
    layout->addWidget(title_);
    layout->addWidget(bar_);
    auto* lines = new QHBoxLayout;
    lines->addWidget(status_, 1);
    lines->addWidget(time_, 1);
    layout->addLayout(lines);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);
    // Keep the same size whether Cancel is shown or not.
    QSizePolicy policy = cancel_->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    cancel_->setSizePolicy(policy);
    setFixedSize(sizeHint().expandedTo(QSize(460, 0)));

    ticker_->setInterval(1000);
    connect(ticker_, &QTimer::timeout, this, &ProgressSheet::updateTime);
}

void ProgressSheet::begin(const QString& title, bool indeterminate)
{
    cancel_->setVisible(true);
    cancel_->setEnabled(true);
    bar_->setValue(0);
    bar_->setRange(0, indeterminate ? 0 : kMaximum);
    bar_->setValue(0);
    title_->setText(title);
    status_->clear();
    time_->clear();
    joining_ = !indeterminate;
    progress_.reset();
    sinceProgress_.start();
    if (joining_) {
        ticker_->start();
        updateTime();
    }
    open();
}

void ProgressSheet::end()
{
    ticker_->stop();
    joining_ = false;
    cancel_->setVisible(false);
    bar_->setValue(0);
    bar_->setRange(0, 0);
    hide();
}

void ProgressSheet::setPercent(double percent)
{
    if (isIndeterminate() || std::isnan(percent))
        return;
    percent = std::clamp(percent, 0.0, 100.0);
    bar_->setValue(static_cast<int>(std::lround(percent * kScale)));
}

void ProgressSheet::setJoinProgress(const JoinProgress& progress)
{
    if (!cancel_->isEnabled())
        return;
    progress_ = progress;
    sinceProgress_.start();
    if (progress.indeterminate) {
        setIndeterminate();
        return;
    }
    if (isIndeterminate() || std::isnan(progress.percent))
        return;
    setPercent(progress.percent);
    status_->setText(joinStatusText(progress));
    updateTime();
}

void ProgressSheet::setIndeterminate()
{
    bar_->setRange(0, 0);
    status_->clear();
    updateTime();
}

bool ProgressSheet::isIndeterminate() const
{
    return bar_->maximum() == 0;
}

void ProgressSheet::setIntakeCount(size_t done, size_t total)
{
    if (total == 0 || !cancel_->isEnabled())
        return;
    bar_->setRange(0, kMaximum);
    bar_->setValue(static_cast<int>(std::lround(static_cast<double>(std::min(done, total)) * kMaximum /
                                                static_cast<double>(total))));
    status_->setText(intakeStatusText(done, total));
}

QString ProgressSheet::joinStatusText(const JoinProgress& progress)
{
    const double percent = std::isfinite(progress.percent) ? std::clamp(progress.percent, 0.0, 100.0) : 0.0;
    QString text = tr("%1 %").arg(static_cast<int>(std::floor(percent)));
    if (progress.fileCount > 0) {
        text += QStringLiteral(" · ");
        if (progress.status == JobStatus::analysing)
            text += tr("measuring the parts");
        else if (progress.copiedSeconds)
            text += tr("copied %1 of %2")
                        .arg(QString::fromStdString(clockText(*progress.copiedSeconds)),
                             QString::fromStdString(clockText(progress.copyTotalSeconds)));
        else if (progress.file == 0)
            text += tr("writing the joined file");
        else
            text += tr("file %1 of %2").arg(std::min(progress.file, progress.fileCount)).arg(progress.fileCount);
    }
    return text;
}

QString ProgressSheet::joinTimeText(const JoinProgress& progress)
{
    QString text = tr("%1 elapsed").arg(QString::fromStdString(clockText(progress.elapsedSeconds)));
    if (progress.indeterminate)
        return text;
    if (progress.percent >= 100.0 || progress.status == JobStatus::finishing)
        return text + QStringLiteral(" · ") + tr("finishing");
    if (!progress.secondsLeft)
        return text + QStringLiteral(" · ") + tr("estimating time left");
    return text + QStringLiteral(" · ") +
           tr("about %1 left").arg(QString::fromStdString(clockText(*progress.secondsLeft)));
}

QString ProgressSheet::intakeStatusText(size_t done, size_t total)
{
    return tr("Analyzing %1 of %2").arg(std::min(done + 1, total)).arg(total);
}

void ProgressSheet::updateTime()
{
    if (!joining_)
        return;
    JoinProgress shown = progress_.value_or(JoinProgress{});
    // Between the join's reports the clocks run on.
    const double since = static_cast<double>(sinceProgress_.elapsed()) / 1000.0;
    shown.elapsedSeconds += since;
    if (shown.secondsLeft)
        shown.secondsLeft = std::max(0.0, *shown.secondsLeft - since);
    time_->setText(joinTimeText(shown));
}

void ProgressSheet::reject()
{
    // Escape cancels what the sheet shows, as Cancel does; it never just
    // hides the sheet.
    if (cancel_->isVisible() && cancel_->isEnabled())
        cancel_->click();
}

void ProgressSheet::closeEvent(QCloseEvent* event)
{
    event->ignore();
}

}  // namespace velmora::app
