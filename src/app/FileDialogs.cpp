#include "app/FileDialogs.h"

#include <algorithm>

#include <QFileDialog>
#include <QFileInfo>

#include "app/MediaFileFilter.h"
#include "app/RememberedFolder.h"
#include "foundation/Paths.h"
#include "foundation/Settings.h"
#include "join/intake/NaturalOrder.h"

namespace velmora::app {
namespace {

QFileDialog* makeDialog(QWidget* parent, const QString& title, QFileDialog::FileMode mode,
                        QFileDialog::AcceptMode accept = QFileDialog::AcceptOpen)
{
    auto* dialog = new QFileDialog(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setFileMode(mode);
    dialog->setAcceptMode(accept);
    dialog->setWindowTitle(title);
    if (const auto folder = rememberedFolder(settingsKey::lastAddFolder))
        dialog->setDirectory(*folder);
    return dialog;
}

// The first file the user confirmed, if any.
void onConfirmed(QFileDialog* dialog, std::function<void(QString)> done)
{
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, done = std::move(done)](int result) {
        const QStringList files = dialog->selectedFiles();
        if (result == QDialog::Accepted && !files.isEmpty() && !files.front().isEmpty())
            done(files.front());
    });
    dialog->open();
}

}  // namespace

void askForFiles(QWidget* parent, std::function<void(QList<QUrl>)> done)
{
    QFileDialog* dialog = makeDialog(parent, QObject::tr("Add Files"), QFileDialog::ExistingFiles);
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->setNameFilters(mediaFileNameFilters());
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, done = std::move(done)](int result) {
        if (result != QDialog::Accepted)
            return;
        QList<QUrl> urls = dialog->selectedUrls();
        std::stable_sort(urls.begin(), urls.end(), [](const QUrl& a, const QUrl& b) {
            return naturalPathLess(fromQString(a.toLocalFile()), fromQString(b.toLocalFile()));
        });
        if (!urls.isEmpty() && urls.front().isLocalFile())
            rememberFolder(settingsKey::lastAddFolder, QFileInfo(urls.front().toLocalFile()).absolutePath());
        done(urls);
    });
    dialog->open();
}

void askForFolder(QWidget* parent, const QString& title, std::function<void(QString)> done)
{
    QFileDialog* dialog = makeDialog(parent, title, QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    onConfirmed(dialog, [done = std::move(done)](const QString& folder) {
        rememberFolder(settingsKey::lastAddFolder, folder);
        done(folder);
    });
}

void askForList(QWidget* parent, std::function<void(QString)> done)
{
    QFileDialog* dialog = makeDialog(parent, QObject::tr("Open List"), QFileDialog::ExistingFile);
    dialog->setNameFilters({QObject::tr("Playlists (*.m3u8 *.m3u)"), QObject::tr("All files (*)")});
    onConfirmed(dialog, std::move(done));
}

void askWhereToSaveList(QWidget* parent, std::function<void(QString)> done)
{
    QFileDialog* dialog = makeDialog(parent, QObject::tr("Save List As"), QFileDialog::AnyFile, QFileDialog::AcceptSave);
    dialog->setNameFilter(QObject::tr("M3U8 playlist (*.m3u8)"));
    dialog->setDefaultSuffix(QStringLiteral("m3u8"));
    dialog->selectFile(QObject::tr("List.m3u8"));
    onConfirmed(dialog, [done = std::move(done)](const QString& path) { done(QFileInfo(path).absoluteFilePath()); });
}

}  // namespace velmora::app
