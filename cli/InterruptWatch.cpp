#include "cli/InterruptWatch.h"

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <ctime>

namespace nembra::cli {
namespace {

// True when a pending SIGINT was read from the descriptor.
bool TakeInterrupt(int signalFd) {
    signalfd_siginfo info{};
    return signalFd >= 0 && read(signalFd, &info, sizeof info) == static_cast<ssize_t>(sizeof info);
}

}  // namespace

InterruptWatch::InterruptWatch(StopRequest& stop) : stop_(stop) {
    sigemptyset(&interrupt_);
    sigaddset(&interrupt_, SIGINT);
    pthread_sigmask(SIG_BLOCK, &interrupt_, &previous_);
    signalFd_ = signalfd(-1, &interrupt_, SFD_NONBLOCK | SFD_CLOEXEC);
    doneFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    watcher_ = std::thread([this] { Watch(); });
}

// Sleeps until a Ctrl-C or the end of the run, whichever comes first, so the
// run's end never waits on a polling slice.
void InterruptWatch::Watch() {
    if (signalFd_ < 0 || doneFd_ < 0) return WatchBySlices();
    std::array<pollfd, 2> fds{{{signalFd_, POLLIN, 0}, {doneFd_, POLLIN, 0}}};
    for (;;) {
        if (poll(fds.data(), fds.size(), -1) < 0) continue;
        if (fds[0].revents & POLLIN) {
            if (TakeInterrupt(signalFd_)) stop_.Request();
        }
        if (fds[1].revents & POLLIN) return;
    }
}

// Without the descriptors (a kernel that refuses them), the watch wakes now
// and then to see whether the run is over.
void InterruptWatch::WatchBySlices() {
    const timespec slice{0, 50'000'000};
    while (!done_.load()) {
        if (sigtimedwait(&interrupt_, nullptr, &slice) == SIGINT) stop_.Request();
    }
}

InterruptWatch::~InterruptWatch() {
    done_.store(true);
    if (doneFd_ >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = write(doneFd_, &one, sizeof one);
    }
    watcher_.join();
    // A Ctrl-C that came as the run ended is taken here, not by the default action.
    const timespec now{0, 0};
    if (sigtimedwait(&interrupt_, nullptr, &now) == SIGINT) stop_.Request();
    if (signalFd_ >= 0) close(signalFd_);
    if (doneFd_ >= 0) close(doneFd_);
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

}  // namespace nembra::cli
