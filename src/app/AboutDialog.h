#pragma once
// The About window: the application's name, version and licence, the ffmpeg
// it found and where it looks for its tools, and its web page when one is set.

#include <optional>
#include <string>

#include <QDialog>

class QLabel;
class QThreadPool;

namespace velmora::app {

class AboutDialog;
// Opens About Velmora; the encoder's version is asked for on `pool` (it takes
// a moment) and shown once known.
void openAboutDialog(QWidget* parent, QThreadPool& pool);

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);

    // The encoder's version line once it is known; nothing: not found.
    void setToolVersion(const std::optional<std::string>& version);
    QLabel* toolVersionLabel() const { return toolVersion_; }
    QLabel* toolsFolderLabel() const { return toolsFolder_; }
    QLabel* licenceLabel() const { return licence_; }

private:
    QLabel* toolVersion_;
    QLabel* toolsFolder_;
    QLabel* licence_;
};

}  // namespace velmora::app
