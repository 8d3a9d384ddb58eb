#include "app/JobsController.h"

#include <mutex>

#include <QMetaObject>
#include <QStandardPaths>
#include <QThreadPool>
#include <QVariant>

#include "foundation/Cancellation.h"
#include "foundation/Diagnostics.h"
#include "foundation/Paths.h"
#include "foundation/Settings.h"
#include "join/intake/Intake.h"
#include "join/run/QueueFile.h"

namespace velmora::app {

namespace {
constexpr const char* kJobsAtOnceKey = "queue/jobsAtOnce";
}

// One launched job: the cancel of its intake (a job read back from the file
// analyses its files first), then its join.
struct JobsController::Running {
    std::mutex mutex;
    Cancellation intake;
    std::unique_ptr<JoinJob> job;
    bool stopped = false;
    std::unique_ptr<Host> host;
};

class JobsController::Host : public JoinHost {
public:
    Host(JobsController& controller, std::uint64_t id) : controller_(controller), id_(id) {}
    void postToMain(std::function<void()> task) override
    {
        QMetaObject::invokeMethod(&controller_, std::move(task), Qt::QueuedConnection);
    }
    void jobProgressed(const JoinProgress& progress) override { controller_.queue_.jobProgressed(id_, progress); }
    void joinFinished(const JoinOutcome& outcome) override { controller_.finish(id_, outcome); }

private:
    JobsController& controller_;
    std::uint64_t id_;
};

JobsController::JobsController(std::string queueFilePath, QObject* parent)
    : QObject(parent), path_(std::move(queueFilePath)), queue_(*this)
{
    // The queue's limit keeps the count; the pool never holds a job back.
    pool_.setMaxThreadCount(64);
    queue_.setOnChanged([this](std::uint64_t id) {
        emit changed(id);
        // Progress is not kept: only a change of the entries or of a status is written.
        const QueueEntry* entry = id ? queue_.entry(id) : nullptr;
        if (!id || !entry || savedStatus_[id] != entry->status)
            save();
    });
    std::string problem;
    std::vector<QueueEntry> entries = loadQueueFile(path_, &problem);
    if (!problem.empty())
        diagnostic("queue file: " + problem);
    queue_.setLimit(jobsAtOnce());
    queue_.restore(std::move(entries));
}

JobsController::~JobsController() = default;

std::string JobsController::defaultQueueFilePath()
{
    return fromQString(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)) + "/queue.json";
}

int JobsController::jobsAtOnce()
{
    return std::max(1, settings()->value(QLatin1String(kJobsAtOnceKey), 1).toInt());
}

void JobsController::setJobsAtOnce(int count)
{
    auto store = settings();
    store->setValue(QLatin1String(kJobsAtOnceKey), count);
    store->sync();
}

void JobsController::save()
{
    if (closing_)
        return;
    savedStatus_.clear();
    for (const QueueEntry& e : queue_.entries())
        savedStatus_[e.id] = e.status;
    if (const auto failure = saveQueueFile(path_, queue_.entries()))
        diagnostic(*failure);
}

std::uint64_t JobsController::add(JoinRequest request)
{
    QueueEntry entry;
    entry.name = lastPathComponent(request.outputPath);
    entry.outputPath = request.outputPath;
    entry.paths = pathsOf(request.rows);
    entry.rows = std::move(request.rows);
    entry.options = std::move(request.options);
    return queue_.add(std::move(entry));
}

void JobsController::launch(const QueueEntry& entry)
{
    auto running = std::make_shared<Running>();
    running->host = std::make_unique<Host>(*this, entry.id);
    running_[entry.id] = running;
    JoinOptions options = entry.options;
    options.besideOtherJoins = queue_.limit() > 1;
    pool_.start([this, running, id = entry.id, request = JoinRequest{entry.outputPath, entry.rows, options},
                 paths = entry.paths]() mutable {
        const auto endAs = [&](JoinStatus status, std::string reason) {
            JoinOutcome outcome;
            outcome.status = status;
            outcome.outputPath = request.outputPath;
            outcome.reason = std::move(reason);
            running->host->postToMain([this, id, outcome] { finish(id, outcome); });
        };
        if (request.rows.empty()) {
            // Read back from the queue file: the files are analysed again, and
            // a file that is gone or changed into something else fails the job.
            std::string problem;
            runIntake(paths, running->intake, [&](size_t index, IntakeResult result) {
                if (result.row)
                    request.rows.push_back(std::move(*result.row));
                else if (problem.empty())
                    problem = "cannot use " + paths[index] + ": " + intakeVerdictText(result.verdict);
            });
            if (running->intake.isCancelled())
                return endAs(JoinStatus::cancelled, {});
            if (!problem.empty())
                return endAs(JoinStatus::failed, problem);
        }
        {
            std::lock_guard lock(running->mutex);
            if (running->stopped)
                return endAs(JoinStatus::cancelled, {});
            running->job = std::make_unique<JoinJob>(std::move(request), *running->host);
        }
        running->job->run();
    });
}

void JobsController::stop(std::uint64_t id)
{
    const auto it = running_.find(id);
    if (it == running_.end())
        return;
    std::lock_guard lock(it->second->mutex);
    it->second->stopped = true;
    it->second->intake.cancel();
    if (it->second->job)
        it->second->job->cancel();
}

void JobsController::finish(std::uint64_t id, const JoinOutcome& outcome)
{
    // The worker holds its own share of the job until it returns.
    running_.erase(id);
    queue_.jobFinished(id, outcome);
}

void JobsController::stopAll()
{
    save();
    closing_ = true;
    std::vector<std::uint64_t> ids;
    for (const auto& [id, running] : running_)
        ids.push_back(id);
    for (std::uint64_t id : ids)
        stop(id);
}

}  // namespace velmora::app
