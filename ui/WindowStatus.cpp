#include "ui/WindowStatus.h"

namespace nembra {

WindowStatus::WindowStatus(CMessageStatic* message, CLabeledProgressCtrl* progress)
    : message_(message), progress_(progress) {}

void WindowStatus::ShowMessage(const std::string& text, bool isError) {
    if (!message_) return;
    message_->SetForeColor(isError ? kErrorTextColour : kNormalTextColour, true);
    message_->SetMessageText(QString::fromStdString(text));
    message_->repaint();
}

void WindowStatus::SetRange(int32_t lower, int32_t upper) {
    if (progress_) progress_->SetRange(lower, upper);
}

void WindowStatus::SetStep(int32_t step) {
    if (progress_) progress_->SetStep(step);
}

int32_t WindowStatus::SetPos(int32_t pos) { return progress_ ? progress_->SetPos(pos) : -1; }

int32_t WindowStatus::StepIt() { return progress_ ? progress_->StepIt() : -1; }

}  // namespace nembra
