#pragma once
// Shared pieces of the window tests: one QApplication with the user's settings
// and Desktop folder in a scratch home, a fresh controller per test, and
// helpers to drive dialogs and alerts like a user would.

#include <functional>
#include <ostream>
#include <memory>
#include <mutex>
#include <stdexcept>

#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QUndoStack>
#include <gtest/gtest.h>

#include "app/JobsController.h"
#include "app/AppDelegate.h"
#include "app/FileListController.h"
#include "app/MainWindow.h"
#include "app/ProgressSheet.h"
#include "foundation/Diagnostics.h"
#include "foundation/Resources.h"
#include "foundation/Settings.h"
#include "support/WindowLookup.h"
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
    qputenv("XDG_DATA_HOME", (home + "/.local/share").toUtf8());
    // Joins keep their work folder under the temporary folder: one of our own.
    QDir().mkpath(home + "/tmp");
    qputenv("TMPDIR", (home + "/tmp").toUtf8());
    new QApplication(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setApplicationVersion(QStringLiteral("1.0"));
}

inline velmora::FileRow row(const std::string& name, velmora::MediaKind kind = velmora::MediaKind::audio)
{
    // A file that is there: Join refuses rows whose file is gone.
    static const std::string folder = testsupport::freshDir("rows");
    velmora::FileRow made;
    made.filePath = folder + "/" + name;
    if (::access(made.filePath.c_str(), F_OK) != 0)
        testsupport::writeFile(made.filePath, "x");
    made.fileName = name;
    made.duration = 1.0;
    made.kind = kind;
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

// Counts the times a widget was shown and hidden again: the progress sheet
// goes away when an intake or a join has ended.
class HideCounter : public QObject {
public:
    explicit HideCounter(QWidget* widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            shown_ = true;
        if (event->type() == QEvent::Hide && shown_) {
            shown_ = false;
            ++count;
        }
        return false;
    }

private:
    bool shown_ = false;
};

// A fresh controller with its window, and clean settings. The test drives it
// as the user does: through the window's actions, buttons and dialogs, found
// by their object names.
class AppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        startTestApp();
        velmora::setToolsDirectory({});
        velmora::settings()->clear();
        // Each test starts with an empty job queue.
        QFile::remove(QString::fromStdString(velmora::app::JobsController::defaultQueueFilePath()));
        newDelegate();
    }
    void newDelegate(velmora::app::JoinNotice notice = {})
    {
        sheetEnds.reset();
        delegate = std::make_unique<velmora::app::AppDelegate>(std::move(notice));
        delegate->showWindow();
        sheetEnds = std::make_unique<HideCounter>(sheet());
    }
    void TearDown() override
    {
        sheetEnds.reset();
        delegate.reset();
        QCoreApplication::processEvents();
        velmora::setToolsDirectory({});
    }
    velmora::app::MainWindow& window()
    {
        if (velmora::app::MainWindow* found = testsupport::findMainWindow())
            return *found;
        throw std::runtime_error("no main window");
    }
    velmora::app::FileListController& list()
    {
        return *testsupport::findFileList(*delegate);
    }
    velmora::app::ProgressSheet* sheet() { return window().findChild<velmora::app::ProgressSheet*>("progressWindow"); }
    void trigger(const char* action) { window().action(QString::fromLatin1(action))->trigger(); }
    Names names()
    {
        Names result;
        for (const auto& r : list().rows())
            result.push_back(r.fileName);
        return result;
    }
    // Rows as the intake would list them, as the list's starting point (no step to undo).
    void fill(const std::vector<velmora::FileRow>& rows)
    {
        for (const auto& r : rows)
            list().addRow(list().count(), r, 0);
        list().undoStack()->clear();
    }
    void fill(const Names& rowNames)
    {
        std::vector<velmora::FileRow> rows;
        for (const auto& n : rowNames)
            rows.push_back(row(n));
        fill(rows);
    }
    // Waits until the sheet of the next intake or join has gone.
    bool waitForSheetEnd(int ends, int timeoutMs = 60000)
    {
        return spinUntil([&] { return sheetEnds->count >= ends; }, timeoutMs);
    }
    // Adds the files through the intake and waits until it has ended.
    bool addAndWait(const Names& paths, int row = -1)
    {
        QList<QUrl> urls;
        for (const auto& p : paths)
            urls << fileUrl(p);
        const int before = sheetEnds->count;
        delegate->addFiles(urls, row);
        return waitForSheetEnd(before + 1);
    }
    // The open note of skipped files, if any.
    QMessageBox* skippedFilesNote()
    {
        for (QMessageBox* note : window().findChildren<QMessageBox*>(QStringLiteral("skippedFilesNote")))
            if (note->isVisible())
                return note;
        return nullptr;
    }
    // A message shown as a sheet on the window (not the note of skipped files).
    QMessageBox* waitForAlert(int timeoutMs = 5000)
    {
        QMessageBox* found = nullptr;
        spinUntil([&] {
            for (QMessageBox* box : window().findChildren<QMessageBox*>())
                found = box->isVisible() && box->windowModality() == Qt::WindowModal ? box : found;
            return found != nullptr;
        }, timeoutMs);
        return found;
    }
    // Makes the window the active one, as a click on it would.
    void activateWindow()
    {
        window().activateWindow();
        QApplication::setActiveWindow(&window());
        ASSERT_TRUE(spinUntil([&] { return window().isActiveWindow(); }, 2000));
    }
    std::unique_ptr<velmora::app::AppDelegate> delegate;
    std::unique_ptr<HideCounter> sheetEnds;
};

}  // namespace apptest
