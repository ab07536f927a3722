#pragma once
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace nembra {

// While it lives, swallows the user's input for one window and refuses its
// close requests, so that events can be processed while an operation runs
// without acting on anything the user does meanwhile.
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
