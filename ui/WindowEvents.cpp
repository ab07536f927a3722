#include "ui/WindowEvents.h"

#include <QApplication>
#include <QCursor>
#include <QMessageBox>

#include "ui/FieldLimit.h"
#include "ui/GuiThreadCall.h"

namespace nembra {

// Every call may come from an operation's worker thread; the controls are
// changed on the GUI thread only.

WindowEvents::~WindowEvents() {
    while (busyDepth_ > 0) SetBusyCursor(false);
}

// The buttons lock before the cursor turns busy, and unlock after it is back.
void WindowEvents::SequenceBusy(bool busy) {
    if (busy) LockCommandButtons(true);
    SetBusyCursor(busy);
    if (!busy) LockCommandButtons(false);
}

void WindowEvents::PodFileNameChosen(const std::string& name) {
    CallOnThreadOf(window_, [this, &name] { SetLimitedText(c_.podFileName, QString::fromStdString(name)); });
}

// What the user did while the buttons were disabled is dropped by the
// operation's runner, so no click waits to start a second operation.
void WindowEvents::LockCommandButtons(bool lock) {
    CallOnThreadOf(window_, [this, lock] {
        for (COXBitmapButton* button : c_.CommandButtons()) {
            button->setEnabled(!lock);
            button->repaint();
        }
    });
}

void WindowEvents::SetBusyCursor(bool busy) {
    CallOnThreadOf(window_, [this, busy] {
        if (busy) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            ++busyDepth_;
        } else if (busyDepth_ > 0) {
            QApplication::restoreOverrideCursor();
            --busyDepth_;
        }
    });
}

// The allocator's own words, as the platform reports running out of memory.
void WindowEvents::OutOfMemory() {
    CallOnThreadOf(
        window_, [this] { QMessageBox::critical(&window_, window_.windowTitle(), QStringLiteral("Out of memory.")); });
}

}  // namespace nembra
