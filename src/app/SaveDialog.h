#pragma once
// The save dialog of a join: the proposed name, the formats to pick from
// (picking one switches the name's extension), and when asked for, a
// "Chapters" box under them. The box follows the format (checked for .m4b)
// until the user sets it; from then on it stays as the user left it.

#include <map>

#include <QFileDialog>

#include "app/WindowHost.h"

class QCheckBox;

namespace velmora::app {

class SaveDialog : public QFileDialog {
    Q_OBJECT
public:
    // Opens on `folder` when given, else on the request's directory.
    SaveDialog(const SaveDialogRequest& request, const std::optional<QString>& folder, QWidget* parent = nullptr);

    // The "Chapters" box; null when the request did not offer it.
    QCheckBox* chaptersBox() const { return chapters_; }
    bool chapters() const;
    // The "Add to Queue" box; null when the request did not offer it.
    QCheckBox* queueBox() const { return queue_; }
    bool addToQueue() const;

private:
    void addChaptersBox();
    // What the box says while the user has not set it: on for the format of
    // the name in the field, or of the picked format when the name has none.
    void followFormat();

    QCheckBox* chapters_ = nullptr;
    QCheckBox* queue_ = nullptr;
    bool chaptersSetByUser_ = false;
    std::map<QString, std::string> extensionOfFilter_;
};

}  // namespace velmora::app
