#pragma once
// The save dialog of a join: the proposed name, the formats to pick from
// (picking one switches the name's extension), and when asked for, a
// "Chapters" box under them. The box follows the format (checked for .m4b)
// until the user sets it; from then on it stays as the user left it. A "Keep
// the original encoding (fast)" box shows only for the formats the list can
// be copied into, as the user last left it, else checked for .m4b.

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
    // The "Keep the original encoding" box; null when it was not offered.
    QCheckBox* keepEncodingBox() const { return keepEncoding_; }
    // The box when it is shown; none when it is hidden or not offered.
    std::optional<bool> keepEncoding() const;
    bool keepEncodingSetByUser() const { return keepEncodingSetByUser_; }

private:
    void addChaptersBox();
    void addKeepEncodingBox(const SaveDialogRequest& request);
    // The name in the field, or "joined.<ext>" of the picked format when the name has no extension.
    std::string chosenPath() const;
    void followFormatForCopy();
    // What the box says while the user has not set it: on for the format of
    // the name in the field, or of the picked format when the name has none.
    void followFormat();

    QCheckBox* chapters_ = nullptr;
    QCheckBox* queue_ = nullptr;
    bool chaptersSetByUser_ = false;
    QCheckBox* keepEncoding_ = nullptr;
    std::function<bool(const std::string&)> copyAllowed_;
    std::optional<bool> keepEncodingRemembered_;
    bool keepEncodingSetByUser_ = false;
    std::map<QString, std::string> extensionOfFilter_;
};

}  // namespace velmora::app
