#include "app/SaveDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLineEdit>

#include "app/MediaFileFilter.h"
#include "foundation/Paths.h"
#include "join/plan/CopyDecision.h"
#include "join/plan/JoinOptions.h"

namespace velmora::app {

SaveDialog::SaveDialog(const SaveDialogRequest& request, const std::optional<QString>& folder, QWidget* parent)
    : QFileDialog(parent)
{
    setOption(QFileDialog::DontUseNativeDialog);
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    setWindowTitle(QString::fromStdString(request.title));
    setLabelText(QFileDialog::FileName, QString::fromStdString(request.nameFieldLabel));
    setLabelText(QFileDialog::Accept, QString::fromStdString(request.prompt));
    if (folder)
        setDirectory(*folder);
    else if (request.directory)
        setDirectory(toQString(*request.directory));
    if (!request.filters.empty()) {
        // Picking a format puts its extension on the name in the field (the
        // dialog does that in save mode); the proposed name's format comes first selected.
        QStringList filters;
        const std::string proposed = lowerExtension(request.nameFieldText);
        QString selected;
        for (const SaveFormat& format : request.filters) {
            filters << QString::fromStdString(format.filterText());
            extensionOfFilter_[filters.back()] = format.extension;
            if (format.extension == proposed)
                selected = filters.back();
        }
        setNameFilters(filters);
        if (!selected.isEmpty())
            selectNameFilter(selected);
    } else {
        // No formats to choose from: the media files the intake knows, with
        // their long list of patterns kept out of sight.
        setOption(QFileDialog::HideNameFilterDetails);
        setNameFilters(mediaFileNameFilters());
    }
    selectFile(QString::fromStdString(request.nameFieldText));
    if (request.offerChapters)
        addChaptersBox();
    if (request.copyAllowed)
        addKeepEncodingBox(request);
    if (request.addToQueue) {
        queue_ = new QCheckBox(tr("Add to &Queue"), this);
        queue_->setObjectName(QStringLiteral("queueBox"));
        queue_->setToolTip(tr("Keep this join in the Jobs panel, to run in its turn, and go on with the next list"));
        queue_->setChecked(*request.addToQueue);
        if (auto* grid = qobject_cast<QGridLayout*>(layout()))
            grid->addWidget(queue_, grid->rowCount(), 1);
        else
            layout()->addWidget(queue_);
    }
}

bool SaveDialog::addToQueue() const
{
    return queue_ && queue_->isChecked();
}

void SaveDialog::addChaptersBox()
{
    chapters_ = new QCheckBox(tr("&Chapters"), this);
    chapters_->setObjectName(QStringLiteral("chaptersBox"));
    chapters_->setToolTip(tr("A chapter mark where each file starts, named by its title in the list.\n"
                             "Formats without chapter marks (WAV) get a .cue sheet beside the joined file."));
    // Under the formats, in line with the fields.
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(chapters_, grid->rowCount(), 1);
    else
        layout()->addWidget(chapters_);
    // Tab comes to it from the formats.
    if (auto* formats = findChild<QWidget*>(QStringLiteral("fileTypeCombo")))
        setTabOrder(formats, chapters_);
    connect(chapters_, &QCheckBox::clicked, this, [this] { chaptersSetByUser_ = true; });
    if (auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        connect(name, &QLineEdit::textChanged, this, &SaveDialog::followFormat);
    connect(this, &QFileDialog::filterSelected, this, &SaveDialog::followFormat);
    followFormat();
}

std::string SaveDialog::chosenPath() const
{
    const auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    std::string path = name ? fromQString(name->text()) : std::string();
    if (lowerExtension(path).empty()) {
        const auto picked = extensionOfFilter_.find(selectedNameFilter());
        if (picked != extensionOfFilter_.end())
            path = "joined." + picked->second;
    }
    return path;
}

void SaveDialog::followFormat()
{
    if (!chapters_ || chaptersSetByUser_)
        return;
    chapters_->setChecked(chaptersByDefault(chosenPath()));
}

void SaveDialog::addKeepEncodingBox(const SaveDialogRequest& request)
{
    copyAllowed_ = request.copyAllowed;
    keepEncodingRemembered_ = request.keepEncoding;
    keepEncoding_ = new QCheckBox(tr("&Keep the original encoding (fast)"), this);
    keepEncoding_->setObjectName(QStringLiteral("keepEncodingBox"));
    keepEncoding_->setToolTip(tr("Copy the files' sound as it is instead of re-encoding it: a long book takes seconds.\n"
                                 "A few milliseconds of each file's encoder delay stay at the joins."));
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(keepEncoding_, grid->rowCount(), 1);
    else
        layout()->addWidget(keepEncoding_);
    connect(keepEncoding_, &QCheckBox::clicked, this, [this] { keepEncodingSetByUser_ = true; });
    if (auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        connect(name, &QLineEdit::textChanged, this, &SaveDialog::followFormatForCopy);
    connect(this, &QFileDialog::filterSelected, this, &SaveDialog::followFormatForCopy);
    followFormatForCopy();
}

void SaveDialog::followFormatForCopy()
{
    if (!keepEncoding_)
        return;
    const std::string path = chosenPath();
    keepEncoding_->setVisible(copyAllowed_(path));
    if (!keepEncodingSetByUser_)
        keepEncoding_->setChecked(keepEncodingRemembered_.value_or(copiesByDefault(path)));
}

std::optional<bool> SaveDialog::keepEncoding() const
{
    if (!keepEncoding_ || keepEncoding_->isHidden())
        return std::nullopt;
    return keepEncoding_->isChecked();
}

bool SaveDialog::chapters() const
{
    return chapters_ && chapters_->isChecked();
}

}  // namespace velmora::app
