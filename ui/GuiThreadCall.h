#pragma once
#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <type_traits>

namespace nembra {

// Runs fn on the thread that owns context and returns its result, the
// caller waiting until it has run; directly when the caller is that thread.
// An operation on its worker thread reaches the widgets only through this,
// so that every widget is touched by the GUI thread alone and what a call
// shows is on the screen before the call returns. When context is destroyed
// before fn could run, fn does not run and the result is a default value.
template <typename Fn>
std::invoke_result_t<Fn&> CallOnThreadOf(QObject& context, Fn&& fn) {
    using Result = std::invoke_result_t<Fn&>;
    if (QThread::currentThread() == context.thread()) return fn();
    if constexpr (std::is_void_v<Result>) {
        QMetaObject::invokeMethod(
            &context, [&fn] { fn(); }, Qt::BlockingQueuedConnection);
    } else {
        Result result{};
        QMetaObject::invokeMethod(
            &context, [&fn, &result] { result = fn(); }, Qt::BlockingQueuedConnection);
        return result;
    }
}

}  // namespace nembra
