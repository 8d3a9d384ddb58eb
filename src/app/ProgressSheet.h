#pragma once
// The progress sheet: a small window-modal dialog with a title, a progress
// bar and a Cancel button. The user cannot dismiss it; the application hides
// it when the work ends.

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

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

    // Shows the sheet over its window: indeterminate without Cancel, or
    // determinate from 0 with Cancel.
    void begin(const QString& title, bool indeterminate);
    // Hides it; the bar is left indeterminate at 0 and Cancel hidden.
    void end();
    // A share of the work, in percent; kept within 0 to 100. An
    // indeterminate bar stays so, and a value that is not a number is ignored.
    void setPercent(double percent);
    void setIndeterminate();
    bool isIndeterminate() const;

public slots:
    void reject() override;  // Escape does not close the sheet

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* title_;
    QProgressBar* bar_;
    QPushButton* cancel_;
};

}  // namespace velmora::app
