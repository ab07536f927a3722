#include "ui/WindowStatus.h"

#include "ui/GuiThreadCall.h"

namespace nembra {

WindowStatus::WindowStatus(CMessageStatic* message, CLabeledProgressCtrl* progress)
    : message_(message), progress_(progress) {}

void WindowStatus::ShowMessage(const std::string& text, bool isError) {
    CMessageStatic* message = message_.data();
    if (!message) return;
    CallOnThreadOf(*message, [&] {
        message->SetForeColor(isError ? kErrorTextColour : kNormalTextColour, true);
        message->SetMessageText(QString::fromStdString(text));
        message->repaint();
    });
}

void WindowStatus::SetRange(int32_t lower, int32_t upper) {
    CLabeledProgressCtrl* progress = progress_.data();
    if (progress) CallOnThreadOf(*progress, [&] { progress->SetRange(lower, upper); });
}

void WindowStatus::SetStep(int32_t step) {
    CLabeledProgressCtrl* progress = progress_.data();
    if (progress) CallOnThreadOf(*progress, [&] { progress->SetStep(step); });
}

int32_t WindowStatus::SetPos(int32_t pos) {
    CLabeledProgressCtrl* progress = progress_.data();
    if (!progress) return -1;
    return CallOnThreadOf(*progress, [&] { return progress->SetPos(pos); });
}

int32_t WindowStatus::StepIt() {
    CLabeledProgressCtrl* progress = progress_.data();
    if (!progress) return -1;
    return CallOnThreadOf(*progress, [&] { return progress->StepIt(); });
}

}  // namespace nembra
