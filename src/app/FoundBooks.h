#pragma once
// Join Each Folder: the books below a folder, read with their parts, and the
// jobs queued for those the user confirmed.

#include <string>
#include <vector>

#include "app/BooksDialog.h"

class QThreadPool;

namespace velmora::app {

class JobsController;
class JobsPanel;
class MainWindow;
class WindowJoinHost;

// Every book below `root` with the rows of its usable parts, its output name
// (distinct among them) and, for a book that cannot be joined, why. Runs the
// intake: not on the main thread.
std::vector<FoundBook> readBooks(const std::string& root);

// Queues a job per book that can be joined into `folder` as `extension`, as
// the command line's batch does; an output that is there already or cannot
// be written is not queued. Returns the reasons of those, one per line.
std::string queueBooks(const std::vector<FoundBook>& books, const std::string& folder, const std::string& extension,
                       JobsController& jobs);

// File › Join Each Folder…: asks for the root folder, reads its books on
// `pool` behind the sheet, shows them to confirm, then queues them.
void joinEachFolder(MainWindow* window, QThreadPool& pool, WindowJoinHost& host, JobsController& jobs,
                    JobsPanel* panel);

}  // namespace velmora::app
