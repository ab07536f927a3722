#include "ui/WindowPanel.h"

#include <QApplication>
#include <QCursor>
#include <QMessageBox>

#include "ui/FieldLimit.h"
#include "ui/GuiThreadCall.h"

namespace nembra {

// Every call may come from an operation's worker thread; the controls are
// read and changed on the GUI thread only.

WindowPanel::~WindowPanel() {
    while (busyDepth_ > 0) SetBusyCursor(false);
}

std::string WindowPanel::FilePathText() const {
    return CallOnThreadOf(window_, [this] { return c_.filePath->currentText().toStdString(); });
}

int WindowPanel::SelectedDevice() const {
    return CallOnThreadOf(window_, [this] { return c_.deviceList->currentIndex(); });
}

bool WindowPanel::EraseAllSelected() const {
    return CallOnThreadOf(window_, [this] { return c_.eraseAll->isChecked(); });
}

bool WindowPanel::UnlockCsmChecked() const {
    return CallOnThreadOf(window_, [this] { return c_.unlockCsm->isChecked(); });
}

std::string WindowPanel::KeyFieldText(int n) const {
    if (n < 0 || n >= static_cast<int>(c_.keyFields.size())) return {};
    return CallOnThreadOf(window_, [this, n] { return c_.keyFields[n]->text().toStdString(); });
}

std::string WindowPanel::PodFileNameText() const {
    return CallOnThreadOf(window_, [this] { return c_.podFileName->text().toStdString(); });
}

void WindowPanel::SetPodFileNameText(const std::string& text) {
    CallOnThreadOf(window_, [this, &text] { SetLimitedText(c_.podFileName, QString::fromStdString(text)); });
}

// What the user did while the buttons were disabled is dropped by the
// operation's runner, so no click waits to start a second operation.
void WindowPanel::LockCommandButtons(bool lock) {
    CallOnThreadOf(window_, [this, lock] {
        for (COXBitmapButton* button : c_.CommandButtons()) {
            button->setEnabled(!lock);
            button->repaint();
        }
    });
}

void WindowPanel::SetBusyCursor(bool busy) {
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
void WindowPanel::ShowOutOfMemoryBox() {
    CallOnThreadOf(
        window_, [this] { QMessageBox::critical(&window_, window_.windowTitle(), QStringLiteral("Out of memory.")); });
}

}  // namespace nembra
