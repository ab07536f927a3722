#pragma once
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace nembra {

// While it lives, swallows the user's input and close requests for one
// window, so that pending events can be processed without acting on what
// the user did while an operation held the window.
class InputDropper : public QObject {
    Q_OBJECT

public:
    explicit InputDropper(QWidget& window);
    ~InputDropper() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> window_;
};

}  // namespace nembra
