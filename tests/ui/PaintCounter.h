#pragma once
#include <QEvent>
#include <QObject>
#include <QWidget>
#include <functional>

namespace nembra::testing {

// Counts the paint events a widget receives, and can look around at each
// one: what the user sees while an operation holds the thread.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget, std::function<void()> onPaint = {})
        : widget_(widget), onPaint_(std::move(onPaint)) {
        widget_->installEventFilter(this);
    }
    ~PaintCounter() override { widget_->removeEventFilter(this); }

    int count() const { return count_; }
    void Reset() { count_ = 0; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == widget_ && event->type() == QEvent::Paint) {
            ++count_;
            if (onPaint_) onPaint_();
        }
        return false;
    }

private:
    QWidget* widget_;
    std::function<void()> onPaint_;
    int count_ = 0;
};

}  // namespace nembra::testing
