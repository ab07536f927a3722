#include "ui/OperationRunner.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <exception>
#include <thread>

#include "ui/InputDropper.h"

namespace nembra {

void RunOperation(QWidget& window, const std::function<void()>& operation) {
    InputDropper dropper(window);
    // Written and read on this thread only: the worker's last act posts it.
    bool done = false;
    std::exception_ptr failure;
    QObject finishLine;
    std::thread worker([&] {
        try {
            operation();
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(
            &finishLine, [&done] { done = true; }, Qt::QueuedConnection);
    });
    // Not a nested QEventLoop: a quit of the application would end that one
    // early, with the worker still using the window's state.
    while (!done) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    worker.join();
    // Input that reached the queue just before the end must not act either.
    QCoreApplication::processEvents();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace nembra
