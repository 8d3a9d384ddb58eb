#include "cli/SignalCancel.h"

#include <pthread.h>

#include <ctime>

namespace velmora::cli {

CancelOnSignal::CancelOnSignal(Cancellation& control) : control_(control)
{
    sigemptyset(&signals_);
    sigaddset(&signals_, SIGINT);
    sigaddset(&signals_, SIGTERM);
    sigaddset(&signals_, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &signals_, &previous_);
    thread_ = std::thread([this] {
        for (;;) {
            int signal = 0;
            if (sigwait(&signals_, &signal) != 0 || signal == SIGUSR1)
                return;
            interrupted_.store(true);
            control_.cancel();
        }
    });
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
