// Takes the screenshots of the documentation: fills the window with a few
// generated recordings, joins them and grabs the screen at each step (the
// list, the join sheet with its time left, the result, a mixed list refused,
// About and Help), then loads an audiobook in three parts, sorts it by name
// and shows its Details.
// Needs a real display (see take-screenshots.sh) and ffmpeg on the PATH.
//   velmora_screenshot_tour <output folder> [folder for shots to check only]
// The second folder gets the save dialog with its Chapters box.
//   velmora_screenshot_tour --window <shot.png> [folder for shots to check only]
// grabs the whole screen with the window and its rows only (run it once at
// QT_SCALE_FACTOR=1 and once at 2); the folder gets the save dialog and the
// shortcut list as they open on that screen.

#include <cstdio>
#include <functional>

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QTabWidget>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include "app/AboutDialog.h"
#include "app/AppDelegate.h"
#include "app/CoverPicture.h"
#include "app/DetailsDialog.h"
#include "app/FileListController.h"
#include "app/FileListModel.h"
#include "app/MainWindow.h"
#include "app/PreferencesDialog.h"
#include "app/ProgressSheet.h"
#include "foundation/ChildProcess.h"
#include "foundation/Resources.h"
#include "join/plan/SoundOptions.h"
#include "support/WidgetWait.h"
#include "support/WindowLookup.h"

namespace {

using testsupport::spinUntil;

template <typename T>
T* waitFor(QWidget* parent, int timeoutMs = 5000)
{
    return testsupport::visibleChild<T>(parent, timeoutMs);
}

velmora::app::MainWindow* mainWindow()
{
    return testsupport::findMainWindow();
}

velmora::app::FileListController* fileList(velmora::app::AppDelegate& d)
{
    return testsupport::findFileList(d);
}

// Waits until the list holds `count` rows and the intake's sheet has gone.
bool listed(velmora::app::AppDelegate& d, int count)
{
    return spinUntil([&] { return fileList(d)->count() == count && !mainWindow()->progressSheet()->isVisible(); },
                     60000);
}

// The screen under the window's frame, so sheets and dialogs on it show too.
void shoot(QWidget* window, const QString& path)
{
    spinUntil([] { return false; }, 500);
    const QRect r = window->frameGeometry();
    if (!window->screen()->grabWindow(0, r.x(), r.y(), r.width(), r.height()).save(path))
        std::fprintf(stderr, "could not write %s\n", qPrintable(path));
}

// The tools as installed: the tour's own encoder reads at the media's pace.
std::string installedTools;

bool ffmpeg(const QString& output, const std::string& source, std::vector<std::string> codec = {})
{
    std::vector<std::string> args{"-y", "-v", "error", "-nostdin", "-f", "lavfi", "-i", source};
    args.insert(args.end(), codec.begin(), codec.end());
    args.push_back(output.toStdString());
    velmora::ChildProcess process(QStandardPaths::findExecutable("ffmpeg").toStdString(), args);
    return process.start() && process.waitForExit() == 0;
}

// A cover like a publisher's, or a plain one where ffmpeg has no fonts.
bool makeCover(const QString& path)
{
    const std::string background =
        "gradients=s=400x400:c0=0x16324f:c1=0x2a6f97:x0=0:y0=0:x1=400:y1=400:nb_colors=2";
    const std::string text = ",drawtext=text='ADA MARSH':fontcolor=0xf4d35e:fontsize=22:x=(w-tw)/2:y=h*0.2"
                             ",drawtext=text='The Lighthouse':fontcolor=white:fontsize=40:x=(w-tw)/2:y=h*0.62"
                             ",drawtext=text='Keeper':fontcolor=white:fontsize=40:x=(w-tw)/2:y=h*0.62+50";
    return ffmpeg(path, background + text, {"-frames:v", "1"}) || ffmpeg(path, background, {"-frames:v", "1"});
}

// Three parts of an audiobook, added as a file dialog lists them (Part 10
// before Part 2) and sorted by name; the first holds the cover.
int audiobookTour(velmora::app::AppDelegate& d, const QString& media, const QString& out, const QString& checkOnly)
{
    const QString book = media + "/The Lighthouse Keeper";
    QDir().mkpath(book);
    const QString cover = media + "/cover-art.jpg";
    // Recorded at levels of their own, as parts mastered apart often are.
    const struct { const char* name; int seconds; const char* title; const char* gain; } parts[]{
        {"Part 1.m4a", 754, "The Lamp Room", "-14dB"}, {"Part 10.m4a", 981, "Homecoming", "-3dB"},
        {"Part 2.m4a", 1123, "Storm Season", "-9dB"}};
    if (!makeCover(cover))
        return 1;
    QList<QUrl> urls;
    for (const auto& part : parts) {
        const QString path = book + "/" + QString::fromLatin1(part.name);
        std::vector<std::string> args;
        if (part.seconds == 754)
            args = {"-i", cover.toStdString(), "-map", "0", "-map", "1", "-c:v", "copy", "-disposition:v", "attached_pic"};
        for (const std::string& tag : {std::string("title=") + part.title, std::string("album=The Lighthouse Keeper"),
                                      std::string("artist=Ada Marsh")})
            args.insert(args.end(), {"-metadata", tag});
        args.insert(args.end(), {"-af", std::string("volume=") + part.gain, "-c:a", "aac", "-b:a", "24k", "-ac", "1",
                                 "-ar", "22050"});
        if (!ffmpeg(path, "sine=frequency=220:sample_rate=22050:duration=" + std::to_string(part.seconds), args))
            return 1;
        urls << QUrl::fromLocalFile(path);
    }
    d.clearListClicked();
    d.addFiles(urls);
    if (!listed(d, 3)) {
        std::fprintf(stderr, "the audiobook was not added\n");
        return 1;
    }
    d.sortByNameClicked();
    fileList(d)->selectIndexes({0});
    shoot(mainWindow(), out + "/audiobook.png");

    d.detailsClicked();
    auto* details = waitFor<velmora::app::DetailsDialog>(mainWindow());
    if (!details)
        return 1;
    spinUntil([&] { return !details->coverPreview()->pixmap().isNull(); }, 10000);
    shoot(mainWindow(), out + "/details.png");
    details->reject();
    spinUntil([&] { return !details->isVisible(); }, 2000);

    // Preferences' Sound page, then the Loudness column once every part is measured.
    velmora::setToolsDirectory(installedTools);
    d.preferencesClicked();
    auto* preferences = waitFor<velmora::app::PreferencesDialog>(mainWindow());
    if (!preferences)
        return 1;
    preferences->pages()->setCurrentIndex(1);
    preferences->loudness()->setCurrentIndex(1);
    preferences->gapSeconds()->setValue(1.5);
    shoot(mainWindow(), out + "/sound.png");
    preferences->accept();
    auto* model = fileList(d)->model();
    if (!spinUntil([&] {
            for (const velmora::FileRow& row : model->rows()) {
                if (!model->hasLoudness(row.filePath))
                    return false;
            }
            return true;
        }, 120000)) {
        std::fprintf(stderr, "the parts' loudness was not shown\n");
        return 1;
    }
    shoot(mainWindow(), out + "/loudness.png");

    if (!checkOnly.isEmpty()) {
        QDir().mkpath(checkOnly);
        d.joinBTNClicked();
        QFileDialog* save = waitFor<QFileDialog>(mainWindow());
        if (!save)
            return 1;
        save->selectNameFilter(QStringLiteral("M4B audiobook (*.m4b)"));
        save->selectFile(QStringLiteral("The Lighthouse Keeper.m4b"));
        shoot(mainWindow(), checkOnly + "/save-dialog.png");
        save->reject();
        // A part of another album among them: the first part's title stands
        // for the whole, with its note.
        std::vector<velmora::FileRow> rows = fileList(d)->rows();
        rows.back().metadata.tags["album"] = "Another Book";
        auto loader = [](const velmora::CoverChoice& cover, std::function<void(QByteArray)> done) {
            done(velmora::app::coverPictureBytes(cover));
        };
        auto* mixed = new velmora::app::DetailsDialog(rows, {}, loader, mainWindow());
        mixed->setAttribute(Qt::WA_DeleteOnClose);
        mixed->open();
        shoot(mainWindow(), checkOnly + "/details-track-title.png");
        mixed->reject();
    }
    return 0;
}

// The window with its rows on the whole screen, then (to check only) the
// save dialog and the shortcut list on that screen.
int windowTour(velmora::app::AppDelegate& d, const QString& shot, const QString& checkOnly)
{
    fileList(d)->selectIndexes({1});
    spinUntil([] { return false; }, 800);
    QScreen* screen = mainWindow()->screen();
    if (!screen->grabWindow(0).save(shot))
        return 1;
    if (checkOnly.isEmpty())
        return 0;
    QDir().mkpath(checkOnly);
    d.joinBTNClicked();
    if (QFileDialog* save = waitFor<QFileDialog>(mainWindow())) {
        spinUntil([] { return false; }, 800);
        screen->grabWindow(0).save(checkOnly + "/save-dialog.png");
        save->reject();
    }
    d.shortcutsClicked();
    spinUntil([] { return false; }, 800);
    screen->grabWindow(0).save(checkOnly + "/shortcuts.png");
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    if (argc < 2 || argc > 4) {
        std::fprintf(stderr, "usage: velmora_screenshot_tour <output folder> [folder for shots to check]\n");
        return 2;
    }
    const bool windowOnly = QString::fromLocal8Bit(argv[1]) == QStringLiteral("--window");
    if (windowOnly && argc < 3) {
        std::fprintf(stderr, "usage: velmora_screenshot_tour --window <shot.png> [folder for shots to check]\n");
        return 2;
    }
    const QString out = QDir(QString::fromLocal8Bit(argv[windowOnly ? 2 : 1])).absolutePath();
    if (!windowOnly)
        QDir().mkpath(out);
    QTemporaryDir work;
    const QString media = work.path();
    const QStringList files{media + "/01 Morning Intro.wav",
                            media + "/02 Interview with the Lighthouse Keeper (Part One).flac",
                            media + "/03 Harbour Sounds.m4a", media + "/04 Closing Theme.mp3"};
    const QString clip = media + "/05 Harbour at Dusk.mp4";
    if (!ffmpeg(clip, "testsrc2=size=320x240:rate=24:duration=2", {"-f", "lavfi", "-i", "sine=frequency=330:duration=2",
                                                                   "-c:v", "libx264", "-c:a", "aac", "-shortest"}) ||
        !ffmpeg(files[0], "sine=frequency=440:duration=2") ||
        !ffmpeg(files[1], "sine=frequency=330:sample_rate=48000:duration=3") ||
        !ffmpeg(files[2], "sine=frequency=550:duration=2", {"-c:a", "aac"}) ||
        !ffmpeg(files[3], "sine=frequency=660:duration=2", {"-ac", "2", "-c:a", "libmp3lame"})) {
        std::fprintf(stderr, "ffmpeg could not make the recordings\n");
        return 1;
    }
    // The encoder reads at the media's pace so the progress sheet stays up.
    QFile creator(media + "/tools/creator");
    QDir().mkpath(media + "/tools");
    if (!creator.open(QIODevice::WriteOnly) || creator.write("#!/bin/sh\nexec ffmpeg -re \"$@\"\n") < 0)
        return 1;
    creator.close();
    creator.setPermissions(creator.permissions() | QFileDevice::ExeOwner);
    installedTools = QFileInfo(QString::fromStdString(velmora::resourcePath("sniffer").value_or(""))).absolutePath().toStdString();
    QFile::link(QString::fromStdString(velmora::resourcePath("sniffer").value_or("")), media + "/tools/sniffer");
    velmora::setToolsDirectory((media + "/tools").toStdString());

    // The list is shown as it first opens: the loudness is measured only once the Sound page asks for it.
    velmora::saveSoundOptions({});
    velmora::app::AppDelegate d;
    d.showWindow();
    QList<QUrl> urls;
    for (const QString& f : files)
        urls << QUrl::fromLocalFile(f);
    d.addFiles(urls);
    if (!listed(d, static_cast<int>(files.size()))) {
        std::fprintf(stderr, "the recordings were not added\n");
        return 1;
    }
    if (windowOnly)
        return windowTour(d, out, argc == 4 ? QString::fromLocal8Bit(argv[3]) : QString());
    fileList(d)->selectIndexes({1});
    shoot(mainWindow(), out + "/screenshot.png");

    // The join, with the time left once there is an estimate.
    mainWindow()->joinButton()->click();
    QFileDialog* dialog = waitFor<QFileDialog>(mainWindow());
    if (!dialog)
        return 1;
    dialog->selectFile(media + "/joined.mp3");
    static_cast<QDialog*>(dialog)->accept();
    spinUntil([&] {
        const velmora::app::ProgressSheet* sheet = mainWindow()->progressSheet();
        return sheet->bar()->value() > sheet->bar()->maximum() * 2 / 5 &&
               sheet->timeLabel()->text().contains(QStringLiteral("left"));
    }, 60000);
    shoot(mainWindow(), out + "/progress.png");
    QMessageBox* box = waitFor<QMessageBox>(mainWindow(), 60000);
    if (!box)
        return 1;
    shoot(mainWindow(), out + "/success.png");
    box->done(0);
    spinUntil([&] { return !box->isVisible(); }, 2000);

    // A video among the recordings: refused at once, with the rows named.
    d.addFiles({QUrl::fromLocalFile(clip)});
    if (!listed(d, static_cast<int>(files.size()) + 1))
        return 1;
    fileList(d)->selectIndexes({4});
    mainWindow()->joinButton()->click();
    if ((box = waitFor<QMessageBox>(mainWindow())) == nullptr)
        return 1;
    shoot(mainWindow(), out + "/mixed.png");
    box->done(0);
    spinUntil([&] { return !box->isVisible(); }, 2000);

    velmora::setToolsDirectory({});  // About names the tools Velmora really uses
    d.aboutClicked();
    auto* about = waitFor<velmora::app::AboutDialog>(mainWindow());
    if (!about)
        return 1;
    spinUntil([&] { return !about->toolVersionLabel()->text().endsWith(QStringLiteral("…")); }, 10000);
    shoot(mainWindow(), out + "/about.png");
    about->close();

    mainWindow()->helpButton()->click();
    if ((box = waitFor<QMessageBox>(mainWindow())) == nullptr)
        return 1;
    shoot(mainWindow(), out + "/help.png");
    box->done(0);
    spinUntil([&] { return !box->isVisible(); }, 2000);
    return audiobookTour(d, media, out, argc == 3 ? QString::fromLocal8Bit(argv[2]) : QString());
}
