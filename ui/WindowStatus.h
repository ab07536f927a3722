#pragma once
#include <QPointer>

#include "status/StatusSink.h"
#include "ui/controls/LabeledProgressCtrl.h"
#include "ui/controls/MessageStatic.h"

namespace nembra {

// The status interface on the window's message line and progress bar. Every
// change is painted inside the call, on the GUI thread: a call from an
// operation's worker thread waits there until the control has been drawn.
// Once a control is gone its calls do nothing, and SetPos and StepIt
// return -1.
class WindowStatus : public StatusSink {
public:
    WindowStatus(CMessageStatic* message, CLabeledProgressCtrl* progress);

    void ShowMessage(const std::string& text, bool isError) override;
    void SetRange(int32_t lower, int32_t upper) override;
    void SetStep(int32_t step) override;
    int32_t SetPos(int32_t pos) override;
    int32_t StepIt() override;

private:
    QPointer<CMessageStatic> message_;
    QPointer<CLabeledProgressCtrl> progress_;
};

inline const QColor kErrorTextColour{255, 0, 0};
inline const QColor kNormalTextColour{0, 0, 0};
inline const QColor kMessageBackColour{0, 255, 0};

}  // namespace nembra
