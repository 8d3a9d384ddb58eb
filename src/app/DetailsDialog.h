#pragma once
// Details: the joined file's title, artist, album and cover, as the inputs
// give them, for the user to check and change before joining.
//
// A field the user leaves as the inputs give it stays theirs: it follows
// the list when files come and go. Only what differs becomes an override.
// While the title is untouched it follows the album typed above it, as the
// joined file's title would. The cover is the inputs' own (embedded in a
// file, else a picture beside the first file) until the user chooses a
// JPEG or PNG file.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QByteArray>
#include <QDialog>

#include "join/metadata/AlbumMetadata.h"
#include "join/metadata/CoverArt.h"
#include "join/intake/FileRow.h"

class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace velmora::app {

class DetailsDialog : public QDialog {
    Q_OBJECT
public:
    // Fetches a cover picture embedded in an input (off the main thread) and
    // hands its bytes (empty: none) to the callback on the main thread.
    using PictureLoader = std::function<void(const CoverChoice&, std::function<void(QByteArray)>)>;

    DetailsDialog(const std::vector<FileRow>& rows, const MetadataOverrides& current, PictureLoader loader,
                  QWidget* parent = nullptr);

    // What the fields say, as overrides of what the inputs give.
    MetadataOverrides overrides() const;

    QLineEdit* titleField() const { return title_; }
    QLineEdit* artistField() const { return artist_; }
    QLineEdit* albumField() const { return album_; }
    QLabel* titleNote() const { return titleNote_; }
    QLabel* coverPreview() const { return coverPreview_; }
    QLabel* coverCaption() const { return coverCaption_; }
    QPushButton* chooseCoverButton() const { return chooseCover_; }
    QPushButton* inputsCoverButton() const { return inputsCover_; }
    QPushButton* noCoverButton() const { return noCover_; }
    QDialogButtonBox* buttons() const { return buttons_; }

private:
    // The title the joined file gets from the inputs, with the artist and
    // album as the fields say.
    std::optional<std::string> derivedTitle(TitleSource* source = nullptr) const;
    std::optional<std::string> fieldOverride(const QLineEdit* field, const char* tag) const;
    void albumEdited();
    void updateTitleNote();
    void restoreInputs();
    void chooseCoverFile();
    void useCover(const std::optional<std::string>& userCover);
    void showPicture(const QByteArray& bytes);

    std::vector<RowMetadata> metadata_;
    std::vector<std::string> paths_;
    AlbumMetadata inputs_;  // what the inputs have in common
    PictureLoader loader_;
    std::optional<std::string> userCover_;
    bool titleEdited_ = false;
    int pictureRequest_ = 0;  // a picture that arrives for an earlier choice is not shown

    QLineEdit* title_ = nullptr;
    QLabel* titleNote_ = nullptr;
    QLineEdit* artist_ = nullptr;
    QLineEdit* album_ = nullptr;
    QLabel* coverPreview_ = nullptr;
    QLabel* coverCaption_ = nullptr;
    QPushButton* chooseCover_ = nullptr;
    QPushButton* inputsCover_ = nullptr;
    QPushButton* noCover_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
};

}  // namespace velmora::app
