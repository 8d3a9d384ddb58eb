#pragma once
// Preferences, on two pages. Quality: how hard the lossy output formats
// compress (MP3 by LAME's VBR quality or at a constant bit rate, the AAC bit
// rate of M4A, M4B and MP4, the Opus bit rate) and the queue. Sound: the
// loudness of the parts, the pause between them and the trim of the silence
// at their edges. The controller loads and keeps the values.

#include <QDialog>

#include "join/plan/QualitySettings.h"
#include "join/plan/SoundOptions.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QTabWidget;
class QRadioButton;
class QSpinBox;

namespace velmora::app {

class PreferencesDialog : public QDialog {
    Q_OBJECT
public:
    explicit PreferencesDialog(QWidget* parent = nullptr);

    void setQuality(const QualitySettings& quality);
    QualitySettings quality() const;
    // How many queued joins run at once.
    void setJobsAtOnce(int count);
    int jobsAtOnce() const;
    QSpinBox* jobsAtOnceBox() const { return jobsAtOnce_; }
    void setSound(const SoundOptions& sound);
    SoundOptions sound() const;
    QTabWidget* pages() const { return pages_; }
    QComboBox* loudness() const { return loudness_; }
    QDoubleSpinBox* targetLufs() const { return targetLufs_; }
    QDoubleSpinBox* gapSeconds() const { return gapSeconds_; }
    QCheckBox* trimSilence() const { return trimSilence_; }
    QDoubleSpinBox* trimThreshold() const { return trimThreshold_; }

    QRadioButton* mp3Variable() const { return mp3Variable_; }
    QRadioButton* mp3Constant() const { return mp3Constant_; }
    QSpinBox* mp3Quality() const { return mp3Quality_; }
    QComboBox* mp3Bitrate() const { return mp3Bitrate_; }
    QComboBox* aacBitrate() const { return aacBitrate_; }
    QComboBox* opusBitrate() const { return opusBitrate_; }

private:
    QRadioButton* mp3Variable_ = nullptr;
    QRadioButton* mp3Constant_ = nullptr;
    QSpinBox* mp3Quality_ = nullptr;
    QComboBox* mp3Bitrate_ = nullptr;
    QComboBox* aacBitrate_ = nullptr;
    QComboBox* opusBitrate_ = nullptr;
    QSpinBox* jobsAtOnce_ = nullptr;
    QTabWidget* pages_ = nullptr;
    QComboBox* loudness_ = nullptr;
    QDoubleSpinBox* targetLufs_ = nullptr;
    QDoubleSpinBox* gapSeconds_ = nullptr;
    QCheckBox* trimSilence_ = nullptr;
    QDoubleSpinBox* trimThreshold_ = nullptr;
};

}  // namespace velmora::app
