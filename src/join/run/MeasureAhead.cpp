#include "join/run/MeasureAhead.h"

namespace velmora {

MeasureAhead::MeasureAhead(const JoinPlan& plan, const SoundOptions& options, Cancellation& control)
    : plan_(plan), options_(options), control_(control)
{
    const size_t count = (plan_.measurers.empty() ? plan_.decoders : plan_.measurers).size();
    measured_.counts.resize(count);
    measured_.sounds.resize(count);
    thread_ = std::thread([this] { run(); });
}

MeasureAhead::~MeasureAhead()
{
    stop();
    thread_.join();
}

void MeasureAhead::run()
{
    const auto& commands = plan_.measurers.empty() ? plan_.decoders : plan_.measurers;
    for (size_t i = 0; i < commands.size(); ++i) {
        {
            std::lock_guard lock(mutex_);
            if (stopped_ || control_.isCancelled())
                break;
        }
        PartCount count;
        PartSound sound;
        measurePart(commands[i], plan_.form, options_, control_, count, sound,
                    [this](std::shared_ptr<ChildProcess> process) {
                        std::lock_guard lock(mutex_);
                        current_ = std::move(process);
                        if (stopped_)
                            current_->terminate();
                    });
        std::lock_guard lock(mutex_);
        current_.reset();
        if (stopped_)
            break;
        measured_.counts[i] = std::move(count);
        measured_.sounds[i] = sound;
        done_ = i + 1;
        changed_.notify_all();
        if (!measured_.counts[i].decoder.started)
            break;
    }
    std::lock_guard lock(mutex_);
    stopped_ = true;
    changed_.notify_all();
}

bool MeasureAhead::ready(size_t part) const
{
    std::lock_guard lock(mutex_);
    return part < done_ || stopped_;
}

bool MeasureAhead::wait(size_t part)
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return part < done_ || stopped_; });
    return part < done_;
}

void MeasureAhead::stop()
{
    std::lock_guard lock(mutex_);
    stopped_ = true;
    if (current_)
        current_->terminate();
    changed_.notify_all();
}

std::pair<PartCount, PartSound> MeasureAhead::part(size_t part) const
{
    std::lock_guard lock(mutex_);
    return {measured_.counts.at(part), measured_.sounds.at(part)};
}

MeasuredParts MeasureAhead::results() const
{
    std::lock_guard lock(mutex_);
    return measured_;
}

}  // namespace velmora
