#pragma once
#include <QWidget>
#include <functional>

namespace nembra {

// Runs one operation to its end on a worker thread while the calling (GUI)
// thread keeps serving the desktop: pings, expose and paint events, the
// window manager's requests, and the widget calls the operation marshals to
// it. Everything the user does to the window meanwhile, a close request
// included, is dropped, and so is what is still queued when the operation
// ends. Returns when the operation has ended; an exception it threw is
// thrown again here.
void RunOperation(QWidget& window, const std::function<void()>& operation);

}  // namespace nembra
