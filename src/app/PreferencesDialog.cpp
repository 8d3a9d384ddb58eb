#include "app/PreferencesDialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace velmora::app {
namespace {

QComboBox* bitrateBox(std::initializer_list<int> rates, const QString& name, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    for (int rate : rates)
        box->addItem(QObject::tr("%1 kbit/s").arg(rate), rate);
    return box;
}

// Selects the rate, adding it when the list lacks it (a value kept from elsewhere).
void selectRate(QComboBox* box, int rate)
{
    int index = box->findData(rate);
    if (index < 0) {
        box->addItem(QObject::tr("%1 kbit/s").arg(rate), rate);
        index = box->count() - 1;
    }
    box->setCurrentIndex(index);
}

int selectedRate(const QComboBox* box)
{
    return box->currentData().toInt();
}

}  // namespace

PreferencesDialog::PreferencesDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("preferences"));
    setWindowTitle(tr("Preferences"));

    auto* mp3 = new QGroupBox(tr("MP3"), this);
    auto* mp3Grid = new QGridLayout(mp3);
    mp3Variable_ = new QRadioButton(tr("Variable bit rate, quality:"), mp3);
    mp3Variable_->setObjectName(QStringLiteral("mp3Variable"));
    mp3Quality_ = new QSpinBox(mp3);
    mp3Quality_->setObjectName(QStringLiteral("mp3Quality"));
    mp3Quality_->setRange(kMp3QualityBest, kMp3QualityLeast);
    mp3Quality_->setToolTip(tr("0 is the best and largest, 9 the smallest"));
    mp3Constant_ = new QRadioButton(tr("Constant bit rate:"), mp3);
    mp3Constant_->setObjectName(QStringLiteral("mp3Constant"));
    mp3Bitrate_ = bitrateBox({96, 128, 160, 192, 224, 256, 320}, QStringLiteral("mp3Bitrate"), mp3);
    auto* mode = new QButtonGroup(this);
    mode->addButton(mp3Variable_);
    mode->addButton(mp3Constant_);
    mp3Grid->addWidget(mp3Variable_, 0, 0);
    mp3Grid->addWidget(mp3Quality_, 0, 1);
    mp3Grid->addWidget(new QLabel(tr("(0 best, 9 smallest)"), mp3), 0, 2);
    mp3Grid->addWidget(mp3Constant_, 1, 0);
    mp3Grid->addWidget(mp3Bitrate_, 1, 1);
    connect(mp3Variable_, &QRadioButton::toggled, mp3Quality_, &QWidget::setEnabled);
    connect(mp3Constant_, &QRadioButton::toggled, mp3Bitrate_, &QWidget::setEnabled);

    auto* others = new QGroupBox(tr("Other formats"), this);
    auto* form = new QFormLayout(others);
    aacBitrate_ = bitrateBox({96, 128, 160, 192, 256, 320}, QStringLiteral("aacBitrate"), others);
    opusBitrate_ = bitrateBox({64, 96, 128, 160, 192, 256}, QStringLiteral("opusBitrate"), others);
    form->addRow(tr("AAC (M4A, M4B, MP4):"), aacBitrate_);
    form->addRow(tr("Opus:"), opusBitrate_);
    form->addRow(new QLabel(tr("FLAC and WAV keep every sample as it is."), others));

    auto* queue = new QGroupBox(tr("Queue"), this);
    auto* queueForm = new QFormLayout(queue);
    jobsAtOnce_ = new QSpinBox(queue);
    jobsAtOnce_->setObjectName(QStringLiteral("jobsAtOnce"));
    jobsAtOnce_->setRange(1, 16);
    jobsAtOnce_->setToolTip(tr("One join keeps one core busy: more at once than the computer has cores gains nothing"));
    queueForm->addRow(tr("Jobs at once:"), jobsAtOnce_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mp3);
    layout->addWidget(others);
    layout->addWidget(queue);
    layout->addWidget(buttons);
    setQuality(QualitySettings{});
}

void PreferencesDialog::setQuality(const QualitySettings& given)
{
    const QualitySettings quality = sanitised(given);
    const bool constant = quality.mp3Bitrate > 0;
    mp3Variable_->setChecked(!constant);
    mp3Constant_->setChecked(constant);
    mp3Quality_->setEnabled(!constant);
    mp3Bitrate_->setEnabled(constant);
    mp3Quality_->setValue(quality.mp3VbrQuality);
    selectRate(mp3Bitrate_, constant ? quality.mp3Bitrate : 192);
    selectRate(aacBitrate_, quality.aacBitrate);
    selectRate(opusBitrate_, quality.opusBitrate);
}

void PreferencesDialog::setJobsAtOnce(int count)
{
    jobsAtOnce_->setValue(count);
}

int PreferencesDialog::jobsAtOnce() const
{
    return jobsAtOnce_->value();
}

QualitySettings PreferencesDialog::quality() const
{
    QualitySettings quality;
    quality.mp3VbrQuality = mp3Quality_->value();
    quality.mp3Bitrate = mp3Constant_->isChecked() ? selectedRate(mp3Bitrate_) : 0;
    quality.aacBitrate = selectedRate(aacBitrate_);
    quality.opusBitrate = selectedRate(opusBitrate_);
    return quality;
}

}  // namespace velmora::app
