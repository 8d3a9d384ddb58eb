// How fast the window lists a large batch, and whether it stays responsive
// meanwhile. Makes FILES copies of a short MP3 (default 300), times a few
// probes one after another (the probe tool's own time per file), then adds
// them all to the window at once, as a drop would, and measures:
//
// - the wall time until every row is listed and the sheet is gone, per file
//   (target: under 0.25 s), and next to the probe tool's own time and to
//   velmora-cli list (the same intake without a window);
// - in a second run of the same batch, the repaint latency: every 16 ms the
//   list asks to be repainted, and the time until the paint arrives is kept
//   (target: at most 50 ms throughout). The second run is timed too: asking
//   for 60 repaints a second costs the probes some of their CPU.
//
// Runs offscreen or on a display (QT_QPA_PLATFORM); exits 1 when a target is missed.
//   velmora_window_bench [FILES [ROUNDS]]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <numeric>
#include <thread>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include "support/WindowLookup.h"
#include "app/AppDelegate.h"
#include "app/FileListController.h"
#include "app/FileListView.h"
#include "app/MainWindow.h"
#include "app/ProgressSheet.h"
#include "foundation/ChildProcess.h"
#include "foundation/Diagnostics.h"
#include "foundation/Resources.h"
#include "probe/FileProbe.h"

namespace {

constexpr double kPerFileTarget = 0.25;     // seconds of wall time per file listed
constexpr double kRepaintTarget = 0.050;    // seconds from a repaint request to the paint

// Times the paints of a widget against the requests made for them.
class RepaintProbe : public QObject {
public:
    explicit RepaintProbe(QWidget* widget) : widget_(widget)
    {
        widget->installEventFilter(this);
        connect(&ticker_, &QTimer::timeout, this, [this] {
            if (!pending_) {
                pending_ = true;
                requested_.start();
            }
            widget_->update();
        });
        ticker_.start(16);
    }
    double worst() const { return worst_; }
    std::vector<double> latencies;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && pending_) {
            pending_ = false;
            const double seconds = static_cast<double>(requested_.nsecsElapsed()) / 1e9;
            latencies.push_back(seconds);
            worst_ = std::max(worst_, seconds);
        }
        return false;
    }

private:
    QWidget* widget_;
    QTimer ticker_;
    QElapsedTimer requested_;
    bool pending_ = false;
    double worst_ = 0;
};

velmora::app::MainWindow* mainWindow()
{
    return testsupport::findMainWindow();
}

velmora::app::FileListController* fileList(velmora::app::AppDelegate& d)
{
    return testsupport::findFileList(d);
}

bool makeMp3(const QString& path)
{
    velmora::ChildProcess ffmpeg(velmora::resourcePath(velmora::kCreatorToolResource).value_or(""),
                                 {"-y", "-v", "error", "-nostdin", "-f", "lavfi", "-i", "sine=frequency=440:duration=3",
                                  "-ac", "2", "-c:a", "libmp3lame", path.toStdString()});
    return ffmpeg.start() && ffmpeg.waitForExit() == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VelmoraBench"));
    velmora::setDiagnosticTarget(velmora::DiagnosticTarget::discard);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;

    QTemporaryDir work(QDir::tempPath() + QStringLiteral("/velmora-window-bench-XXXXXX"));
    const QString first = work.path() + "/track 1.mp3";
    if (!makeMp3(first)) {
        std::fprintf(stderr, "ffmpeg could not make the recording\n");
        return 2;
    }
    QList<QUrl> urls{QUrl::fromLocalFile(first)};
    for (int i = 2; i <= count; ++i) {
        const QString path = work.path() + QStringLiteral("/track %1.mp3").arg(i);
        QFile::copy(first, path);
        urls << QUrl::fromLocalFile(path);
    }

    // The probe tool's own time per file, one after another.
    const int sample = std::min(count, 30);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < sample; ++i)
        velmora::FileProbe probe(urls[i].toLocalFile().toStdString());
    const double probeSeconds = static_cast<double>(timer.nsecsElapsed()) / 1e9 / sample;

    // velmora-cli list on the same files: the intake without a window.
    QStringList paths;
    for (const QUrl& url : urls)
        paths << url.toLocalFile();
    const auto listWithCli = [&] {
        std::vector<std::string> arguments{"list"};
        for (const QString& path : paths)
            arguments.push_back(path.toStdString());
        velmora::ChildProcess cli(QCoreApplication::applicationDirPath().toStdString() + "/velmora-cli", arguments);
        cli.setStandardOutput(velmora::ChildProcess::Output::discard);
        QElapsedTimer clock;
        clock.start();
        if (!cli.start() || cli.waitForExit() != 0) {
            std::fprintf(stderr, "velmora-cli list failed\n");
            std::exit(2);
        }
        return static_cast<double>(clock.nsecsElapsed()) / 1e9;
    };

    // Lists the batch in a fresh window; returns the wall time.
    const auto listAll = [&](bool watchRepaints, std::vector<double>* latencies, double* worst) {
        velmora::app::AppDelegate delegate;
        delegate.showWindow();
        QThread::msleep(200);
        QCoreApplication::processEvents();
        std::unique_ptr<RepaintProbe> repaint;
        if (watchRepaints)
            repaint = std::make_unique<RepaintProbe>(mainWindow()->fileList()->viewport());
        // The event loop sleeps until something happens, as the application's does.
        QTimer wake;
        wake.start(100);
        QElapsedTimer clock;
        clock.start();
        delegate.addFiles(urls);
        while (fileList(delegate)->count() < count || mainWindow()->progressSheet()->isVisible()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            if (clock.elapsed() > 600000) {
                std::fprintf(stderr, "not every file was listed within 10 minutes\n");
                std::exit(1);
            }
        }
        const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        if (repaint) {
            *latencies = repaint->latencies;
            *worst = repaint->worst();
        }
        return seconds;
    };
    // The machine may be busy with other work: the window and the command
    // line take turns, and the medians are compared.
    std::vector<double> windowTimes, cliTimes;
    for (int round = 0; round < rounds; ++round) {
        cliTimes.push_back(listWithCli());
        windowTimes.push_back(listAll(false, nullptr, nullptr));
    }
    const auto median = [](std::vector<double> values) {
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    const double wall = median(windowTimes);
    const double cliPerFile = median(cliTimes) / count;
    std::vector<double> latencies;
    double worst = 0;
    const double watchedWall = listAll(true, &latencies, &worst);
    const double perFile = wall / count;

    // The window's own share: rows handed to a shown list one at a time, as
    // the intake hands them, with the events each one causes handled.
    double perRowMain = 0;
    {
        velmora::app::AppDelegate delegate;
        delegate.showWindow();
        QCoreApplication::processEvents();
        velmora::FileRow row;
        row.fileName = "track.mp3";
        row.filePath = first.toStdString();
        row.duration = 3.0;
        row.kind = velmora::MediaKind::audio;
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < count; ++i) {
            fileList(delegate)->addRow(i, row, 1);
            QCoreApplication::processEvents();
        }
        perRowMain = static_cast<double>(clock.nsecsElapsed()) / 1e9 / count;
    }

    std::vector<double> sorted = latencies;
    std::sort(sorted.begin(), sorted.end());
    const double medianLatency = sorted.empty() ? 0 : sorted[sorted.size() / 2];
    const double p99 = sorted.empty() ? 0 : sorted[std::min(sorted.size() - 1, sorted.size() * 99 / 100)];

    std::printf("files listed:                 %d\n", count);
    std::printf("cores:                        %u\n", std::max(1u, std::thread::hardware_concurrency()));
    std::printf("probe tool, one at a time:    %.1f ms a file\n", probeSeconds * 1000);
    std::printf("window, all listed:           %.2f s, %.1f ms a file (target under %.0f ms; median of %d)\n", wall,
                perFile * 1000, kPerFileTarget * 1000, rounds);
    std::printf("  against the probe tool:     %.2f of its one-at-a-time time\n", perFile / probeSeconds);
    std::printf("velmora-cli list:             %.1f ms a file (window / cli: %.2f)\n", cliPerFile * 1000,
                perFile / cliPerFile);
    std::printf("  of which the window's own:  %.2f ms a row (the list, its undo step, the controls)\n",
                perRowMain * 1000);
    std::printf("window, repaints watched:     %.1f ms a file\n", watchedWall / count * 1000);
    std::printf("repaints:                     %zu, median %.1f ms, 99th %.1f ms, worst %.1f ms (target at most %.0f ms)\n",
                sorted.size(), medianLatency * 1000, p99 * 1000, worst * 1000, kRepaintTarget * 1000);
    const bool met = perFile < kPerFileTarget && worst <= kRepaintTarget;
    std::printf("%s\n", met ? "targets met" : "TARGET MISSED");
    return met ? 0 : 1;
}
