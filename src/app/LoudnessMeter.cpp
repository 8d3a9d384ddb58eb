#include "app/LoudnessMeter.h"

#include "app/FileListModel.h"
#include "foundation/ParallelWork.h"
#include "join/run/PartMeasure.h"

namespace velmora::app {

LoudnessMeter::LoudnessMeter(FileListModel* model, QObject* parent) : QObject(parent), model_(model)
{
    pool_.setMaxThreadCount(static_cast<int>(coreCount()));
    connect(model_, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { measureRows(first, last); });
}

LoudnessMeter::~LoudnessMeter()
{
    control_.cancel();
    pool_.clear();
    pool_.waitForDone();
}

void LoudnessMeter::setEnabled(bool enabled)
{
    enabled_ = enabled;
    if (enabled_ && model_->rowCount() > 0)
        measureRows(0, model_->rowCount() - 1);
}

void LoudnessMeter::measureRows(int first, int last)
{
    if (!enabled_)
        return;
    for (int i = first; i <= last && i < model_->rowCount(); ++i) {
        const FileRow& row = model_->rows()[static_cast<size_t>(i)];
        if (row.kind == MediaKind::video || !asked_.insert(row.filePath).second)
            continue;
        pool_.start([this, path = row.filePath] {
            const std::optional<PartLoudness> loudness = measureFileLoudness(path, control_);
            if (!loudness)
                return;
            QMetaObject::invokeMethod(
                this, [this, path, lufs = loudness->integrated, peak = loudness->truePeak] {
                    model_->setLoudness(path, lufs, peak);
                },
                Qt::QueuedConnection);
        });
    }
}

}  // namespace velmora::app
