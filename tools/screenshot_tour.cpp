// Takes the screenshots of the documentation: fills the window with a few
// generated recordings, joins them and grabs the screen at each step (the
// list, the join sheet with its time left, the result, a mixed list refused,
// About and Help).
// Needs a real display (see take-screenshots.sh) and ffmpeg on the PATH.
//   velmora_screenshot_tour <output folder>

#include <cstdio>
#include <functional>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
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
#include "app/FileListController.h"
#include "app/MainWindow.h"
#include "app/ProgressSheet.h"
#include "foundation/ChildProcess.h"
#include "foundation/Resources.h"
#include "support/WidgetWait.h"

namespace {

using testsupport::spinUntil;

template <typename T>
T* waitFor(QWidget* parent, int timeoutMs = 5000)
{
    return testsupport::visibleChild<T>(parent, timeoutMs);
}

// The screen under the window's frame, so sheets and dialogs on it show too.
void shoot(QWidget* window, const QString& path)
{
    spinUntil([] { return false; }, 500);
    const QRect r = window->frameGeometry();
    if (!window->screen()->grabWindow(0, r.x(), r.y(), r.width(), r.height()).save(path))
        std::fprintf(stderr, "could not write %s\n", qPrintable(path));
}

bool ffmpeg(const QString& output, const std::string& source, std::vector<std::string> codec = {})
{
    std::vector<std::string> args{"-y", "-v", "error", "-nostdin", "-f", "lavfi", "-i", source};
    args.insert(args.end(), codec.begin(), codec.end());
    args.push_back(output.toStdString());
    velmora::ChildProcess process(QStandardPaths::findExecutable("ffmpeg").toStdString(), args);
    return process.start() && process.waitForExit() == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    if (argc != 2) {
        std::fprintf(stderr, "usage: velmora_screenshot_tour <output folder>\n");
        return 2;
    }
    const QString out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
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
    QFile::link(QString::fromStdString(velmora::resourcePath("sniffer").value_or("")), media + "/tools/sniffer");
    velmora::setToolsDirectory((media + "/tools").toStdString());

    velmora::app::AppDelegate d;
    d.window->show();
    QList<QUrl> urls;
    for (const QString& f : files)
        urls << QUrl::fromLocalFile(f);
    d.addFiles(urls);
    if (!d.waitForBackgroundWork(60000) || d.mainArrayController->count() != files.size()) {
        std::fprintf(stderr, "the recordings were not added\n");
        return 1;
    }
    d.mainArrayController->selectIndexes({1});
    shoot(d.window, out + "/screenshot.png");

    // The join, with the time left once there is an estimate.
    d.window->joinButton()->click();
    QFileDialog* dialog = waitFor<QFileDialog>(d.window);
    if (!dialog)
        return 1;
    dialog->selectFile(media + "/joined.mp3");
    static_cast<QDialog*>(dialog)->accept();
    spinUntil([&] {
        return d.progressBar->value() > d.progressBar->maximum() * 2 / 5 &&
               d.progressWindow->timeLabel()->text().contains(QStringLiteral("left"));
    }, 60000);
    shoot(d.window, out + "/progress.png");
    QMessageBox* box = waitFor<QMessageBox>(d.window, 60000);
    if (!box)
        return 1;
    shoot(d.window, out + "/success.png");
    box->done(0);
    spinUntil([&] { return !box->isVisible(); }, 2000);

    // A video among the recordings: refused at once, with the rows named.
    d.addFiles({QUrl::fromLocalFile(clip)});
    if (!d.waitForBackgroundWork(60000))
        return 1;
    d.mainArrayController->selectIndexes({4});
    d.window->joinButton()->click();
    if ((box = waitFor<QMessageBox>(d.window)) == nullptr)
        return 1;
    shoot(d.window, out + "/mixed.png");
    box->done(0);
    spinUntil([&] { return !box->isVisible(); }, 2000);

    velmora::setToolsDirectory({});  // About names the tools Velmora really uses
    d.aboutClicked();
    auto* about = waitFor<velmora::app::AboutDialog>(d.window);
    if (!about)
        return 1;
    spinUntil([&] { return !about->toolVersionLabel()->text().endsWith(QStringLiteral("…")); }, 10000);
    shoot(d.window, out + "/about.png");
    about->close();

    d.window->helpButton()->click();
    if ((box = waitFor<QMessageBox>(d.window)) == nullptr)
        return 1;
    shoot(d.window, out + "/help.png");
    box->done(0);
    return 0;
}
