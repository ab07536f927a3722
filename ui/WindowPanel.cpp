#include "ui/WindowPanel.h"

#include <QApplication>
#include <QCursor>
#include <QMessageBox>

#include "ui/FieldLimit.h"
#include "ui/InputDropper.h"

namespace nembra {

WindowPanel::~WindowPanel() {
    while (busyDepth_ > 0) SetBusyCursor(false);
}

std::string WindowPanel::FilePathText() const { return c_.filePath->currentText().toStdString(); }

int WindowPanel::SelectedDevice() const { return c_.deviceList->currentIndex(); }

bool WindowPanel::EraseAllSelected() const { return c_.eraseAll->isChecked(); }

bool WindowPanel::UnlockCsmChecked() const { return c_.unlockCsm->isChecked(); }

std::string WindowPanel::KeyFieldText(int n) const {
    if (n < 0 || n >= static_cast<int>(c_.keyFields.size())) return {};
    return c_.keyFields[n]->text().toStdString();
}

std::string WindowPanel::PodFileNameText() const { return c_.podFileName->text().toStdString(); }

void WindowPanel::SetPodFileNameText(const std::string& text) {
    SetLimitedText(c_.podFileName, QString::fromStdString(text));
}

void WindowPanel::LockCommandButtons(bool lock) {
    // Clicks made while the buttons were disabled wait in the queue; they
    // must not start a second operation the moment the buttons come back.
    if (!lock) DropQueuedInput();
    for (COXBitmapButton* button : c_.CommandButtons()) {
        button->setEnabled(!lock);
        // The operation keeps the event loop from painting; show the state now.
        button->repaint();
    }
}

void WindowPanel::SetBusyCursor(bool busy) {
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++busyDepth_;
    } else if (busyDepth_ > 0) {
        QApplication::restoreOverrideCursor();
        --busyDepth_;
    }
}

// The allocator's own words, as the platform reports running out of memory.
void WindowPanel::ShowOutOfMemoryBox() {
    QMessageBox::critical(&window_, window_.windowTitle(), QStringLiteral("Out of memory."));
}

void WindowPanel::DropQueuedInput() {
    InputDropper dropper(window_);
    QApplication::processEvents();
}

}  // namespace nembra
