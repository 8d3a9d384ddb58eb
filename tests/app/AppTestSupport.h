#pragma once
// Shared pieces of the window tests: one QApplication for the test program,
// with the user's settings and Desktop folder moved into a scratch home, and
// small helpers to drive dialogs and alerts like a user would.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QMainWindow>
#include <QMessageBox>
#include <QThread>
#include <gtest/gtest.h>

#include "app/AppDelegate.h"
#include "app/ArrayController.h"
#include "foundation/Resources.h"
#include "foundation/Diagnostics.h"
#include "foundation/Settings.h"
#include "join/FileRow.h"
#include "support/TestSupport.h"

namespace apptest {

inline QApplication* testApp()
{
    static QApplication* app = [] {
        const std::string home = testsupport::scratchDir() + "/home";
        QDir().mkpath(QString::fromStdString(home + "/Desktop"));
        QDir().mkpath(QString::fromStdString(home + "/.config"));
        qputenv("HOME", QByteArray::fromStdString(home));
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(home + "/.config"));
        static int argc = 1;
        static char name[] = "velmora_app_tests";
        static char* argv[] = {name, nullptr};
        auto* application = new QApplication(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Velmora"));
        QApplication::setApplicationVersion(QStringLiteral("1.0"));
        return application;
    }();
    return app;
}

inline std::string scratchHome()
{
    testApp();
    return testsupport::scratchDir() + "/home";
}

inline velmora::FileRow row(const std::string& name, const std::string& mediaType = "Audio")
{
    velmora::FileRow r;
    r.fileName = name;
    r.filePath = "/media/" + name;
    r.fileURL = "file:///media/" + name;
    r.mediaType = mediaType;
    r.durationHuman = "00:00:01.000";
    r.duration = 1.0;
    r.codec = "pcm_s16le";
    r.fileSizeHuman = "88 KB";
    return r;
}

// Runs the event loop until the predicate holds or the time is up.
inline bool spinUntil(const std::function<bool()>& predicate, int timeoutMs = 30000)
{
    QElapsedTimer timer;
    timer.start();
    while (!predicate()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

template <typename T>
T* visibleChild(QWidget* parent)
{
    for (T* child : parent->findChildren<T*>()) {
        if (child->isVisible())
            return child;
    }
    return nullptr;
}

// Confirms a file dialog as its accept button would (with the file's checks).
inline void acceptDialog(QFileDialog* dialog, const QString& path)
{
    dialog->selectFile(path);
    static_cast<QDialog*>(dialog)->accept();
}

inline QMessageBox* waitForAlert(velmora::app::AppDelegate& d, int timeoutMs = 30000)
{
    QMessageBox* box = nullptr;
    spinUntil([&] { return (box = visibleChild<QMessageBox>(d.window)) != nullptr; }, timeoutMs);
    return box;
}

inline QStringList buttonTexts(QMessageBox* box)
{
    // In the order they were added (the layout may place them differently).
    QStringList texts;
    for (QAbstractButton* b : box->findChildren<QAbstractButton*>()) {
        if (box->buttonRole(b) != QMessageBox::InvalidRole)
            texts << b->text();
    }
    return texts;
}

inline void press(QMessageBox* box, const QString& text)
{
    for (QAbstractButton* b : box->buttons()) {
        if (b->text() == text) {
            b->click();
            QCoreApplication::processEvents();
            return;
        }
    }
    ADD_FAILURE() << "no button " << text.toStdString();
}

// Captures diagnostic lines for the lifetime of the object.
class DiagnosticLines {
public:
    DiagnosticLines()
    {
        velmora::setDiagnosticCapture([this](const std::string& line) {
            std::lock_guard lock(mutex_);
            lines_.push_back(line);
        });
    }
    ~DiagnosticLines() { velmora::setDiagnosticCapture(nullptr); }
    std::vector<std::string> lines() const
    {
        std::lock_guard lock(mutex_);
        return lines_;
    }
    bool contains(const std::string& line) const
    {
        const auto all = lines();
        return std::find(all.begin(), all.end(), line) != all.end();
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

// A fresh controller with its window, and clean user defaults.
class AppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testApp();
        velmora::setToolsDirectory({});
        velmora::userDefaults()->clear();
        delegate = std::make_unique<velmora::app::AppDelegate>();
    }
    void TearDown() override
    {
        delegate.reset();
        QCoreApplication::processEvents();
        velmora::setToolsDirectory({});
    }
    std::vector<std::string> names() const
    {
        std::vector<std::string> result;
        for (const auto& r : delegate->mainArrayController->arrangedObjects())
            result.push_back(r.fileName);
        return result;
    }
    std::unique_ptr<velmora::app::AppDelegate> delegate;
};

}  // namespace apptest
