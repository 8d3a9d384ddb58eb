#pragma once
// Measuring the parts one after another on a thread of its own while the
// join streams the parts already measured: a join whose parts' counts are
// known from their headers, and whose edits each depend on their own part
// alone (loudness evened out part by part, no trimming), need not measure
// everything before its encoder starts. The encoder keeps one core; the
// measuring takes what the other has left.

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "foundation/Cancellation.h"
#include "foundation/ChildProcess.h"
#include "join/plan/JoinPlan.h"
#include "join/run/PartMeasure.h"

namespace velmora {

class MeasureAhead {
public:
    // Starts measuring the plan's parts (its measurers), in order.
    MeasureAhead(const JoinPlan& plan, const SoundOptions& options, Cancellation& control);
    // Stops the measuring (a part being measured is stopped too) and waits for it.
    ~MeasureAhead();
    MeasureAhead(const MeasureAhead&) = delete;
    MeasureAhead& operator=(const MeasureAhead&) = delete;

    bool ready(size_t part) const;
    // Waits until part `part` is measured; false when it never will be (the
    // join was cancelled or the measuring stopped).
    bool wait(size_t part);
    void stop();
    // One part, once wait() said it is measured.
    std::pair<PartCount, PartSound> part(size_t part) const;
    // What was measured so far: the parts not yet measured are left unstarted.
    MeasuredParts results() const;

private:
    void run();

    JoinPlan plan_;
    SoundOptions options_;
    Cancellation& control_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    MeasuredParts measured_;
    size_t done_ = 0;  // parts measured, in order
    bool stopped_ = false;
    std::shared_ptr<ChildProcess> current_;
    std::thread thread_;
};

}  // namespace velmora
