#include "app/FoundBooks.h"

#include <QThreadPool>

#include "app/FileDialogs.h"
#include "app/JobsController.h"
#include "app/JobsPanel.h"
#include "app/MainWindow.h"
#include "app/ProgressSheet.h"
#include "app/RememberedFolder.h"
#include "app/WindowJoinHost.h"
#include "foundation/Settings.h"
#include "foundation/Cancellation.h"
#include "foundation/Paths.h"
#include "join/intake/BookDiscovery.h"
#include "join/intake/Intake.h"
#include "join/outcome/Messages.h"
#include "join/outcome/OutputCheck.h"
#include "join/plan/BookOutputName.h"
#include "join/plan/OutputRule.h"
#include "join/plan/QualitySettings.h"

namespace velmora::app {

std::vector<FoundBook> readBooks(const std::string& root)
{
    Cancellation none;
    std::vector<FoundBook> found;
    std::vector<std::string> names;
    for (Book& book : findBooks({root})) {
        FoundBook f{std::move(book), {}, {}, {}};
        runIntake(f.book.parts, none, [&](size_t index, IntakeResult r) {
            if (r.row)
                f.rows.push_back(std::move(*r.row));
            else if (f.problem.empty())
                f.problem = "cannot use " + lastPathComponent(f.book.parts[index]) + ": " + intakeVerdictText(r.verdict);
        });
        if (f.problem.empty() && !isJoinableList(f.rows))
            f.problem = mixedListMessage(f.rows).messageText;
        names.push_back(bookOutputName(metadataOf(f.rows), f.book.name));
        found.push_back(std::move(f));
    }
    names = distinctNames(names);
    for (size_t i = 0; i < found.size(); ++i)
        found[i].name = names[i];
    return found;
}

std::string queueBooks(const std::vector<FoundBook>& books, const std::string& folder, const std::string& extension,
                       JobsController& jobs)
{
    std::string refused;
    for (const FoundBook& b : books) {
        if (!b.problem.empty())
            continue;
        JoinRequest request{folder + "/" + b.name + "." + extension, b.rows, {}};
        if (const auto problem = checkOutputPath(request.outputPath, pathsOf(b.rows), false)) {
            refused += problem->reason + "\n";
            continue;
        }
        request.options.quality = loadQualitySettings();
        request.options.sound = loadSoundOptions();
        request.options.chapters = chaptersByDefault(request.outputPath);
        jobs.add(std::move(request));
    }
    return refused;
}

void joinEachFolder(MainWindow* window, QThreadPool& pool, WindowJoinHost& host, JobsController& jobs,
                    JobsPanel* panel)
{
    askForFolder(window, QObject::tr("Join Each Folder"), [window, &pool, &host, &jobs, panel](const QString& folder) {
        const std::string root = fromQString(folder);
        window->progressSheet()->begin(QObject::tr("Analyzing Files..."), false);
        // The books and their parts are read off the main thread.
        pool.start([window, &host, &jobs, panel, root] {
            std::vector<FoundBook> found = readBooks(root);
            host.postToMain([window, &host, &jobs, panel, root, found = std::move(found)]() mutable {
                window->progressSheet()->end();
                if (found.empty()) {
                    MessageRequest message;
                    message.messageText = QObject::tr("No folder below %1 holds media files.").arg(toQString(root)).toStdString();
                    host.showMessage(message, {});
                    return;
                }
                auto* books = new BooksDialog(std::move(found), rememberedFolder(settingsKey::lastSaveFolder)
                                                                    .value_or(toQString(root)), window);
                books->setAttribute(Qt::WA_DeleteOnClose);
                QObject::connect(books, &QDialog::accepted, books, [&host, &jobs, panel, books] {
                    const std::string refused =
                        queueBooks(books->books(), fromQString(books->outputFolder()), books->extension(), jobs);
                    rememberFolder(settingsKey::lastSaveFolder, books->outputFolder());
                    panel->show();
                    if (!refused.empty()) {
                        MessageRequest message;
                        message.messageText = QObject::tr("Some books were not queued.").toStdString();
                        message.informativeText = refused;
                        host.showMessage(message, {});
                    }
                });
                books->open();
            });
        });
    });
}

}  // namespace velmora::app
