#include "cli/SignalCancel.h"

#include <pthread.h>

#include <ctime>

namespace velmora::cli {

CancelOnSignal::CancelOnSignal(Cancellation& control) : controls_{&control}
{
    sigemptyset(&signals_);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
        sigaddset(&signals_, signal);
    sigaddset(&signals_, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &signals_, &previous_);
    thread_ = std::thread([this] {
        for (;;) {
            int signal = 0;
            if (sigwait(&signals_, &signal) != 0 || signal == SIGUSR1)
                return;
            std::lock_guard lock(mutex_);
            interrupted_.store(true);
            for (Cancellation* control : controls_)
                control->cancel();
        }
    });
}

void CancelOnSignal::follow(Cancellation& other)
{
    std::lock_guard lock(mutex_);
    controls_.push_back(&other);
    if (interrupted_.load())
        other.cancel();
}

CancelOnSignal::~CancelOnSignal()
{
    pthread_kill(thread_.native_handle(), SIGUSR1);
    thread_.join();
    // A signal still pending (the user pressed Ctrl-C twice) must not kill us
    // once unblocked: the cancel has been handled already.
    struct timespec none {};
    while (sigtimedwait(&signals_, nullptr, &none) > 0) {
    }
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

}  // namespace velmora::cli
