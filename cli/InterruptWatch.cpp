#include "cli/InterruptWatch.h"

#include <pthread.h>

#include <ctime>

namespace nembra::cli {
namespace {

constexpr long kWatchSliceNs = 50'000'000;

}  // namespace

InterruptWatch::InterruptWatch(StopRequest& stop) : stop_(stop) {
    sigemptyset(&interrupt_);
    sigaddset(&interrupt_, SIGINT);
    pthread_sigmask(SIG_BLOCK, &interrupt_, &previous_);
    watcher_ = std::thread([this] { Watch(); });
}

// Wakes now and then to see whether the run is over.
void InterruptWatch::Watch() {
    const timespec slice{0, kWatchSliceNs};
    while (!done_.load()) {
        if (sigtimedwait(&interrupt_, nullptr, &slice) == SIGINT) stop_.Request();
    }
}

InterruptWatch::~InterruptWatch() {
    done_.store(true);
    watcher_.join();
    // A Ctrl-C that came as the run ended is taken here, not by the default action.
    const timespec now{0, 0};
    if (sigtimedwait(&interrupt_, nullptr, &now) == SIGINT) stop_.Request();
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

}  // namespace nembra::cli
