#pragma once
// Preferences: how hard the lossy output formats compress. MP3 by LAME's VBR
// quality or at a constant bit rate, the AAC bit rate (M4A, M4B, MP4) and the
// Opus bit rate. The controller loads and keeps the values.

#include <QDialog>

#include "join/plan/QualitySettings.h"

class QComboBox;
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
};

}  // namespace velmora::app
