#include "app/DetailsDialog.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "foundation/Paths.h"

namespace velmora::app {
namespace {

constexpr int kPreviewSide = 128;

std::string tagOr(const AlbumMetadata& album, const char* key)
{
    const auto it = album.tags.find(key);
    return it == album.tags.end() ? std::string() : it->second;
}

QString fieldText(const std::optional<std::string>& value)
{
    return QString::fromStdString(value.value_or(std::string()));
}

}  // namespace

DetailsDialog::DetailsDialog(const std::vector<FileRow>& rows, const MetadataOverrides& current, PictureLoader loader,
                             QWidget* parent)
    : QDialog(parent), metadata_(metadataOf(rows)), paths_(pathsOf(rows)), loader_(std::move(loader)),
      userCover_(current.coverPath)
{
    setObjectName(QStringLiteral("details"));
    setWindowTitle(tr("Details"));
    inputs_ = albumMetadata(metadata_);
    const AlbumMetadata shown = albumMetadata(metadata_, current);
    titleEdited_ = current.title.has_value();

    auto* intro = new QLabel(tr("The joined file's own tags and cover; each chapter keeps its file's title."), this);

    title_ = new QLineEdit(fieldText(shown.title), this);
    title_->setObjectName(QStringLiteral("titleField"));
    title_->setPlaceholderText(tr("No title"));
    titleNote_ = new QLabel(this);
    titleNote_->setObjectName(QStringLiteral("titleNote"));
    titleNote_->setWordWrap(true);
    QSizePolicy notePolicy = titleNote_->sizePolicy();
    notePolicy.setRetainSizeWhenHidden(true);
    titleNote_->setSizePolicy(notePolicy);
    artist_ = new QLineEdit(QString::fromStdString(tagOr(shown, "artist")), this);
    artist_->setObjectName(QStringLiteral("artistField"));
    artist_->setPlaceholderText(tr("None the files share"));
    album_ = new QLineEdit(QString::fromStdString(tagOr(shown, "album")), this);
    album_->setObjectName(QStringLiteral("albumField"));
    album_->setPlaceholderText(tr("None the files share"));
    for (QLineEdit* field : {title_, artist_, album_})
        field->setMinimumWidth(360);

    coverPreview_ = new QLabel(this);
    coverPreview_->setObjectName(QStringLiteral("coverPreview"));
    coverPreview_->setFixedSize(kPreviewSide, kPreviewSide);
    coverPreview_->setFrameShape(QFrame::StyledPanel);
    coverPreview_->setAlignment(Qt::AlignCenter);
    coverPreview_->setAccessibleName(tr("Cover"));
    coverCaption_ = new QLabel(this);
    coverCaption_->setObjectName(QStringLiteral("coverCaption"));
    coverCaption_->setWordWrap(true);
    chooseCover_ = new QPushButton(tr("C&hoose…"), this);
    chooseCover_->setObjectName(QStringLiteral("chooseCoverButton"));
    chooseCover_->setToolTip(tr("A JPEG or PNG picture to use as the cover"));
    inputsCover_ = new QPushButton(tr("Use the &Inputs' Cover"), this);
    inputsCover_->setObjectName(QStringLiteral("inputsCoverButton"));
    inputsCover_->setToolTip(tr("The picture in the first file that has one, else a cover.jpg beside the first file"));
    noCover_ = new QPushButton(tr("&No Cover"), this);
    noCover_->setObjectName(QStringLiteral("noCoverButton"));
    noCover_->setToolTip(tr("Join without a cover picture"));
    for (QPushButton* button : {chooseCover_, inputsCover_, noCover_})
        button->setAutoDefault(false);
    auto* coverButtons = new QVBoxLayout;
    coverButtons->addWidget(coverCaption_);
    coverButtons->addWidget(chooseCover_, 0, Qt::AlignLeft);
    coverButtons->addWidget(inputsCover_, 0, Qt::AlignLeft);
    coverButtons->addWidget(noCover_, 0, Qt::AlignLeft);
    coverButtons->addStretch(1);
    auto* cover = new QHBoxLayout;
    cover->addWidget(coverPreview_, 0, Qt::AlignTop);
    cover->addLayout(coverButtons, 1);

    auto* form = new QFormLayout;
    // The note stands right under the title it speaks of.
    auto* titleColumn = new QVBoxLayout;
    titleColumn->setSpacing(2);
    titleColumn->addWidget(title_);
    titleColumn->addWidget(titleNote_);
    auto* titleLabel = new QLabel(tr("&Title:"), this);
    titleLabel->setBuddy(title_);
    form->addRow(titleLabel, titleColumn);
    form->addRow(tr("A&rtist:"), artist_);
    form->addRow(tr("A&lbum:"), album_);
    form->addRow(tr("Cover:"), cover);

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Reset, this);
    QPushButton* reset = buttons_->button(QDialogButtonBox::Reset);
    reset->setText(tr("R&eset"));
    reset->setToolTip(tr("Back to what the files say"));
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(reset, &QPushButton::clicked, this, &DetailsDialog::restoreInputs);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(form);
    layout->addWidget(buttons_);

    connect(title_, &QLineEdit::textEdited, this, [this] {
        titleEdited_ = true;
        updateTitleNote();
    });
    connect(album_, &QLineEdit::textEdited, this, &DetailsDialog::albumEdited);
    connect(chooseCover_, &QPushButton::clicked, this, &DetailsDialog::chooseCoverFile);
    connect(inputsCover_, &QPushButton::clicked, this, [this] { useCover(std::nullopt); });
    connect(noCover_, &QPushButton::clicked, this, [this] { useCover(std::string()); });
    updateTitleNote();
    useCover(userCover_);
}

std::optional<std::string> DetailsDialog::fieldOverride(const QLineEdit* field, const char* tag) const
{
    const std::string typed = fromQString(field->text().trimmed());
    if (typed == tagOr(inputs_, tag))
        return std::nullopt;
    return typed;
}

std::optional<std::string> DetailsDialog::derivedTitle(TitleSource* source) const
{
    MetadataOverrides typed;
    typed.artist = fieldOverride(artist_, "artist");
    typed.album = fieldOverride(album_, "album");
    const AlbumMetadata album = albumMetadata(metadata_, typed);
    if (source)
        *source = album.titleSource;
    return album.title;
}

MetadataOverrides DetailsDialog::overrides() const
{
    MetadataOverrides result;
    result.artist = fieldOverride(artist_, "artist");
    result.album = fieldOverride(album_, "album");
    const std::string typed = fromQString(title_->text().trimmed());
    if (typed != derivedTitle().value_or(std::string()))
        result.title = typed;
    result.coverPath = userCover_;
    return result;
}

void DetailsDialog::albumEdited()
{
    if (!titleEdited_)
        title_->setText(fieldText(derivedTitle()));
    updateTitleNote();
}

void DetailsDialog::updateTitleNote()
{
    // A track's own title standing for the whole file is worth a second look.
    TitleSource source = TitleSource::none;
    const std::optional<std::string> derived = derivedTitle(&source);
    const bool trackTitle = source == TitleSource::firstRowTitle && derived &&
                            fromQString(title_->text().trimmed()) == *derived && !metadata_.empty();
    if (!metadata_.empty()) {
        titleNote_->setText(tr("From the title of the first file, “%1”, as the files share no album: "
                               "check that it names the whole joined file.")
                                .arg(QString::fromStdString(metadata_.front().fileName)));
    }
    // Its room stays when it is hidden, so the fields below never move.
    titleNote_->setVisible(trackTitle);
    title_->setAccessibleDescription(trackTitle ? titleNote_->text() : QString());
}

void DetailsDialog::restoreInputs()
{
    titleEdited_ = false;
    artist_->setText(QString::fromStdString(tagOr(inputs_, "artist")));
    album_->setText(QString::fromStdString(tagOr(inputs_, "album")));
    title_->setText(fieldText(inputs_.title));
    updateTitleNote();
    useCover(std::nullopt);
}

void DetailsDialog::chooseCoverFile()
{
    auto* dialog = new QFileDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setWindowTitle(tr("Choose a Cover"));
    dialog->setNameFilters({tr("JPEG or PNG pictures (*.jpg *.jpeg *.png)"), tr("All files (*)")});
    const std::string start = userCover_ ? *userCover_ : paths_.empty() ? std::string() : paths_.front();
    if (!start.empty())
        dialog->setDirectory(toQString(parentDirectory(start)));
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& file) {
        const std::string path = fromQString(file);
        if (!pictureCodec(path).empty())
            return useCover(path);
        // The picture goes into the file as it is: it has to be one that every player reads.
        auto* refused = new QMessageBox(QMessageBox::Warning, windowTitle(),
                                        tr("“%1” is not a JPEG or PNG picture").arg(QFileInfo(file).fileName()),
                                        QMessageBox::Ok, this);
        refused->setObjectName(QStringLiteral("coverRefused"));
        refused->setAttribute(Qt::WA_DeleteOnClose);
        refused->setInformativeText(
            tr("The cover is copied into the joined file as it is, so it has to be a JPEG or PNG file."));
        refused->open();
    });
    dialog->open();
}

void DetailsDialog::useCover(const std::optional<std::string>& userCover)
{
    // Nothing: the inputs' cover; an empty path: none at all; else the user's file.
    userCover_ = userCover;
    const bool none = userCover_ && userCover_->empty();
    // Back to the inputs' cover only when they have one to give.
    const bool inputsHaveCover = chooseCover(metadata_, paths_, std::nullopt).origin != CoverOrigin::none;
    inputsCover_->setEnabled(userCover_.has_value() && inputsHaveCover);
    noCover_->setEnabled(!none);
    const CoverChoice cover = none ? CoverChoice{} : chooseCover(metadata_, paths_, userCover_);
    switch (cover.origin) {
    case CoverOrigin::none:
        coverCaption_->setText(none ? tr("No cover: the joined file gets none.")
                                    : tr("No cover: no file holds a picture, and there is no cover.jpg beside "
                                         "the first file."));
        break;
    case CoverOrigin::user:
        coverCaption_->setText(tr("“%1”, your choice").arg(QString::fromStdString(lastPathComponent(cover.path))));
        break;
    case CoverOrigin::embedded:
        coverCaption_->setText(
            tr("The picture in “%1”").arg(QString::fromStdString(metadata_[cover.row].fileName)));
        break;
    case CoverOrigin::folder:
        coverCaption_->setText(tr("“%1” beside the first file").arg(QString::fromStdString(lastPathComponent(cover.path))));
        break;
    }
    coverCaption_->setToolTip(toQString(cover.path));
    const int request = ++pictureRequest_;
    coverPreview_->setPixmap({});
    if (cover.origin == CoverOrigin::none) {
        coverPreview_->setText(tr("No cover"));
    } else if (!cover.streamIndex) {
        QFile file(toQString(cover.path));
        showPicture(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    } else if (!loader_) {
        coverPreview_->setText(tr("No preview"));
    } else {
        coverPreview_->setText(tr("Loading…"));
        QPointer<DetailsDialog> self(this);
        loader_(cover, [self, request](QByteArray bytes) {
            if (self && request == self->pictureRequest_)
                self->showPicture(bytes);
        });
    }
}

void DetailsDialog::showPicture(const QByteArray& bytes)
{
    const QImage image = QImage::fromData(bytes);
    if (image.isNull()) {
        coverPreview_->setPixmap({});
        coverPreview_->setText(tr("Can't show\nthis picture"));
        return;
    }
    const qreal ratio = devicePixelRatioF();
    QPixmap picture = QPixmap::fromImage(image.scaled(QSize(kPreviewSide - 4, kPreviewSide - 4) * ratio,
                                                      Qt::KeepAspectRatio, Qt::SmoothTransformation));
    picture.setDevicePixelRatio(ratio);
    coverPreview_->setPixmap(picture);
}

}  // namespace velmora::app
