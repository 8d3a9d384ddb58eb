#pragma once
// Shared pieces of the window tests: one QApplication with the user's settings
// and Desktop folder in a scratch home, a fresh controller per test, and
// helpers to drive dialogs and alerts like a user would.

#include <functional>
#include <ostream>
#include <memory>
#include <mutex>

#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <gtest/gtest.h>

#include "app/AppDelegate.h"
#include "app/FileListController.h"
#include "app/MainWindow.h"
#include "app/ProgressSheet.h"
#include "foundation/Diagnostics.h"
#include "foundation/Resources.h"
#include "foundation/Settings.h"
#include "support/TestSupport.h"
#include "support/WidgetWait.h"

// Readable QStrings in test failures and messages.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}
inline std::ostream& operator<<(std::ostream& os, const QString& text)
{
    return os << text.toStdString();
}

namespace apptest {

using Names = std::vector<std::string>;

inline void startTestApp()
{
    static int argc = 1;
    static char name[] = "velmora_app_tests";
    static char* argv[] = {name, nullptr};
    if (qApp)
        return;
    const QString home = QString::fromStdString(testsupport::scratchDir() + "/home");
    QDir().mkpath(home + "/Desktop");
    qputenv("HOME", home.toUtf8());
    qputenv("XDG_CONFIG_HOME", (home + "/.config").toUtf8());
    // Joins keep their work folder under the temporary folder: one of our own.
    QDir().mkpath(home + "/tmp");
    qputenv("TMPDIR", (home + "/tmp").toUtf8());
    new QApplication(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
}

inline velmora::FileRow row(const std::string& name, const std::string& mediaType = "Audio")
{
    velmora::FileRow made;
    made.filePath = "/media/" + name;
    made.fileName = name;
    made.duration = 1.0;
    made.mediaType = mediaType;
    return made;
}

inline QUrl fileUrl(const std::string& path) { return QUrl::fromLocalFile(QString::fromStdString(path)); }

using testsupport::spinUntil;
using testsupport::visibleChild;

// The buttons in the order they were added (the layout may place them differently).
inline QStringList buttonTexts(QMessageBox* box)
{
    QStringList texts;
    for (QAbstractButton* b : box->findChildren<QAbstractButton*>())
        if (box->buttonRole(b) != QMessageBox::InvalidRole)
            texts << b->text();
    return texts;
}

inline void press(QMessageBox* box, const QString& text)
{
    for (QAbstractButton* b : box->buttons())
        if (b->text() == text)
            return b->click();
    ADD_FAILURE() << "no button " << text.toStdString();
}

// Sets PATH for the lifetime of the object (so that "xdg-open" is, or is not, found).
struct ScopedPath {
    explicit ScopedPath(const std::string& path) : saved(qgetenv("PATH")) { qputenv("PATH", path.c_str()); }
    ~ScopedPath() { qputenv("PATH", saved); }
    void set(const std::string& path) { qputenv("PATH", path.c_str()); }
    QByteArray saved;
};

// Captures diagnostic lines for the lifetime of the object.
struct DiagnosticLines {
    DiagnosticLines()
    {
        velmora::setDiagnosticCapture([this](const std::string& s) { std::lock_guard l(mutex); all.push_back(s); });
    }
    ~DiagnosticLines() { velmora::setDiagnosticCapture(nullptr); }
    Names lines() { std::lock_guard l(mutex); return all; }
    std::mutex mutex;
    Names all;
};

// A fresh controller with its window, and clean settings.
class AppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        startTestApp();
        velmora::setToolsDirectory({});
        velmora::settings()->clear();
        newDelegate();
    }
    void newDelegate()
    {
        delegate = std::make_unique<velmora::app::AppDelegate>();
        delegate->window->show();
    }
    void TearDown() override
    {
        delegate.reset();
        QCoreApplication::processEvents();
        velmora::setToolsDirectory({});
    }
    velmora::app::FileListController& list() { return *delegate->mainArrayController; }
    Names names()
    {
        Names result;
        for (const auto& r : list().rows())
            result.push_back(r.fileName);
        return result;
    }
    void fill(const Names& rowNames)
    {
        for (const auto& n : rowNames)
            list().appendRow(row(n));
    }
    // A message shown as a sheet on the window (not the note of skipped files).
    QMessageBox* waitForAlert(int timeoutMs = 5000)
    {
        QMessageBox* found = nullptr;
        spinUntil([&] {
            for (QMessageBox* box : delegate->window->findChildren<QMessageBox*>())
                found = box->isVisible() && box->windowModality() == Qt::WindowModal ? box : found;
            return found != nullptr;
        }, timeoutMs);
        return found;
    }
    // Makes the window the active one, as a click on it would.
    void activateWindow()
    {
        delegate->window->activateWindow();
        QApplication::setActiveWindow(delegate->window);
        ASSERT_TRUE(spinUntil([&] { return delegate->window->isActiveWindow(); }, 2000));
    }
    std::unique_ptr<velmora::app::AppDelegate> delegate;
};

}  // namespace apptest
