#include "ui/InputDropper.h"

#include <QCoreApplication>
#include <QEvent>

namespace nembra {

namespace {

bool IsUserInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::InputMethod:
        case QEvent::Drop:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::Close: return true;
        default: return false;
    }
}

}  // namespace

InputDropper::InputDropper(QWidget& window) : window_(&window) {
    QCoreApplication::instance()->installEventFilter(this);
}

InputDropper::~InputDropper() { QCoreApplication::instance()->removeEventFilter(this); }

bool InputDropper::eventFilter(QObject* watched, QEvent* event) {
    if (!IsUserInput(event->type()) || !window_) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || (widget != window_ && !window_->isAncestorOf(widget))) return false;
    // A close event that is merely not delivered still counts as accepted,
    // and the window would close; refused, it stays open.
    if (event->type() == QEvent::Close) event->ignore();
    return true;
}

}  // namespace nembra
