#pragma once
// The window's job queue: joins the user queued, run on a pool of their own
// (the window's pool stays free for adding files and joining at once) in
// their turn (as many at once as Preferences allows), followed to their end,
// and kept in a file under the application's data folder so that a restart
// finds them again, unfinished ones waiting.

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include <QObject>
#include <QThreadPool>

#include "join/run/JobQueue.h"
#include "join/run/JoinJob.h"

namespace velmora::app {

class JobsController : public QObject, public JobLauncher {
    Q_OBJECT
public:
    // The queue file is read at once, and its waiting jobs start.
    explicit JobsController(std::string queueFilePath, QObject* parent = nullptr);
    ~JobsController() override;

    JobQueue& queue() { return queue_; }
    // Queues a join with its own copy of the request.
    std::uint64_t add(JoinRequest request);
    // On quit: the file keeps the running jobs as they stand (waiting, next
    // time), then their joins are stopped.
    void stopAll();

    // The queue file: queue.json in the application's data folder.
    static std::string defaultQueueFilePath();
    // "Jobs at once" in Preferences (1 when unset).
    static int jobsAtOnce();
    static void setJobsAtOnce(int count);

    void launch(const QueueEntry& entry) override;
    void stop(std::uint64_t id) override;

signals:
    // An entry changed (0: entries were added or removed).
    void changed(quint64 id);

private:
    struct Running;
    class Host;
    void finish(std::uint64_t id, const JoinOutcome& outcome);
    void save();

    std::string path_;
    JobQueue queue_;
    std::map<std::uint64_t, std::shared_ptr<Running>> running_;
    std::map<std::uint64_t, JobStatus> savedStatus_;
    bool closing_ = false;
    // Last: it is the first to go, waiting for the joins that were stopped.
    QThreadPool pool_;
};

}  // namespace velmora::app
