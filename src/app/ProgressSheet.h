#pragma once
// The progress sheet: a small window-modal dialog with a title, a progress
// bar, a line telling where the work stands and a Cancel button (Esc presses
// it). The user cannot close it otherwise; the application hides it when the
// work ends.
//
// A join shows its percentage, the file being worked on, the time elapsed
// and an estimate of the time left. An intake shows how many files of how
// many are being analysed.

#include <optional>

#include <QDialog>
#include <QElapsedTimer>

#include "join/run/JobProgress.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace velmora::app {

class ProgressSheet : public QDialog {
    Q_OBJECT
public:
    // Determinate values are shown on a finer scale than whole percents.
    static constexpr int kScale = 10;
    static constexpr int kMaximum = 100 * kScale;

    explicit ProgressSheet(QWidget* parent = nullptr);

    QLabel* titleLabel() const { return title_; }
    QProgressBar* bar() const { return bar_; }
    QPushButton* cancelButton() const { return cancel_; }
    // "42 % · file 3 of 7", or "Analyzing 24 of 300".
    QLabel* statusLabel() const { return status_; }
    // "0:35 elapsed · about 0:48 left" (joins only).
    QLabel* timeLabel() const { return time_; }

    // Shows the sheet over its window with Cancel: an indeterminate bar, or a
    // determinate one from 0 that measures time from now.
    void begin(const QString& title, bool indeterminate);
    // Hides it; the bar is left indeterminate at 0 and Cancel hidden.
    void end();
    // A share of the work, in percent; kept within 0 to 100. An
    // indeterminate bar stays so, and a value that is not a number is ignored.
    void setPercent(double percent);
    // Where a join stands: the bar, the file, the time elapsed and left.
    void setJoinProgress(const JoinProgress& progress);
    void setIndeterminate();
    bool isIndeterminate() const;
    // An intake: `done` files of `total` are analysed.
    void setIntakeCount(size_t done, size_t total);

    // The texts of the status and time lines, given where a join stands.
    static QString joinStatusText(const JoinProgress& progress);
    static QString joinTimeText(const JoinProgress& progress);
    static QString intakeStatusText(size_t done, size_t total);

signals:
    void cancelRequested();

public slots:
    void reject() override;  // Escape: the same as Cancel

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void updateTime();

    QLabel* title_;
    QProgressBar* bar_;
    QLabel* status_;
    QLabel* time_;
    QPushButton* cancel_;
    QTimer* ticker_;
    bool joining_ = false;
    // Where the join stood when it last said, and the time since then (the
    // elapsed time keeps counting between its reports).
    std::optional<JoinProgress> progress_;
    QElapsedTimer sinceProgress_;
};

}  // namespace velmora::app
