#pragma once
// Measures the loudness of the list's files in the background, one per core,
// while the loudness is evened out (Preferences > Sound), and shows each in
// the list's Loudness column once it is known. A file is measured once.

#include <set>
#include <string>

#include <QObject>
#include <QThreadPool>

#include "foundation/Cancellation.h"

namespace velmora::app {

class FileListModel;

class LoudnessMeter : public QObject {
    Q_OBJECT
public:
    LoudnessMeter(FileListModel* model, QObject* parent = nullptr);
    ~LoudnessMeter() override;

    // On: the files in the list, and those added later, are measured.
    void setEnabled(bool enabled);
    bool enabled() const { return enabled_; }
    // Files measured or being measured.
    size_t asked() const { return asked_.size(); }

private:
    void measureRows(int first, int last);

    FileListModel* model_;
    QThreadPool pool_;
    Cancellation control_;
    std::set<std::string> asked_;
    bool enabled_ = false;
};

}  // namespace velmora::app
