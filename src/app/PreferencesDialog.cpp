#include "app/PreferencesDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
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

QDoubleSpinBox* decimalBox(const QString& name, double low, double high, double step, int decimals,
                           const QString& suffix, QWidget* parent)
{
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(name);
    box->setRange(low, high);
    box->setSingleStep(step);
    box->setDecimals(decimals);
    box->setSuffix(suffix);
    return box;
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

    auto* sound = new QWidget(this);
    auto* loudnessGroup = new QGroupBox(tr("Loudness"), sound);
    auto* loudnessForm = new QFormLayout(loudnessGroup);
    loudness_ = new QComboBox(loudnessGroup);
    loudness_->setObjectName(QStringLiteral("loudness"));
    loudness_->addItem(tr("Keep as it is"), QString::fromStdString(loudnessModeName(LoudnessMode::keep)));
    loudness_->addItem(tr("Even out the parts"), QString::fromStdString(loudnessModeName(LoudnessMode::parts)));
    loudness_->addItem(tr("Whole file"), QString::fromStdString(loudnessModeName(LoudnessMode::whole)));
    loudness_->setToolTip(tr("Even out the parts brings each part to the target; Whole file applies one gain to "
                             "all, so the parts keep their relative levels"));
    targetLufs_ = decimalBox(QStringLiteral("targetLufs"), kMinTargetLufs, kMaxTargetLufs, 0.5, 1, tr(" LUFS"),
                             loudnessGroup);
    loudnessForm->addRow(tr("Loudness:"), loudness_);
    loudnessForm->addRow(tr("Target:"), targetLufs_);
    loudnessForm->addRow(new QLabel(tr("No gain raises a peak above -1 dBTP."), loudnessGroup));
    connect(loudness_, &QComboBox::currentIndexChanged, this, [this] { targetLufs_->setEnabled(loudness_->currentIndex() > 0); });

    auto* edges = new QGroupBox(tr("Between and around parts"), sound);
    auto* edgesForm = new QFormLayout(edges);
    gapSeconds_ = decimalBox(QStringLiteral("gapSeconds"), 0.0, kMaxGapSeconds, 0.1, 1, tr(" s"), edges);
    gapSeconds_->setToolTip(tr("Silence inserted between two parts; each chapter starts after it"));
    trimSilence_ = new QCheckBox(tr("Trim the silence at the start and end of each part"), edges);
    trimSilence_->setObjectName(QStringLiteral("trimSilence"));
    trimSilence_->setToolTip(tr("Keeps 0.25 s of silence at each edge"));
    trimThreshold_ = decimalBox(QStringLiteral("trimThreshold"), kMinTrimThresholdDb, kMaxTrimThresholdDb, 1.0, 0,
                                tr(" dBFS"), edges);
    edgesForm->addRow(tr("Pause between parts:"), gapSeconds_);
    edgesForm->addRow(trimSilence_);
    edgesForm->addRow(tr("Silence is below:"), trimThreshold_);
    connect(trimSilence_, &QCheckBox::toggled, trimThreshold_, &QWidget::setEnabled);

    auto* soundLayout = new QVBoxLayout(sound);
    soundLayout->addWidget(loudnessGroup);
    soundLayout->addWidget(edges);
    soundLayout->addStretch(1);

    auto* quality = new QWidget(this);
    auto* qualityLayout = new QVBoxLayout(quality);
    qualityLayout->addWidget(mp3);
    qualityLayout->addWidget(others);
    qualityLayout->addWidget(queue);

    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("preferencePages"));
    pages_->addTab(quality, tr("Quality"));
    pages_->addTab(sound, tr("Sound"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
    layout->addWidget(buttons);
    setQuality(QualitySettings{});
    setSound(SoundOptions{});
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

void PreferencesDialog::setSound(const SoundOptions& given)
{
    const SoundOptions sound = sanitised(given);
    loudness_->setCurrentIndex(std::max(0, loudness_->findData(QString::fromStdString(loudnessModeName(sound.loudness)))));
    targetLufs_->setValue(sound.targetLufs);
    targetLufs_->setEnabled(sound.loudness != LoudnessMode::keep);
    gapSeconds_->setValue(sound.gapSeconds);
    trimSilence_->setChecked(sound.trimSilence);
    trimThreshold_->setValue(sound.trimThresholdDb);
    trimThreshold_->setEnabled(sound.trimSilence);
}

SoundOptions PreferencesDialog::sound() const
{
    SoundOptions sound;
    sound.loudness = loudnessModeNamed(loudness_->currentData().toString().toStdString()).value_or(LoudnessMode::keep);
    sound.targetLufs = targetLufs_->value();
    sound.gapSeconds = gapSeconds_->value();
    sound.trimSilence = trimSilence_->isChecked();
    sound.trimThresholdDb = trimThreshold_->value();
    return sanitised(sound);
}

}  // namespace velmora::app
