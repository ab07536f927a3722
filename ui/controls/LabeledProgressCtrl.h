#pragma once
#include <QColor>
#include <QProgressBar>
#include <QString>

#include "status/ProgressModel.h"

namespace nembra {

// A smooth two-colour bar with a centred label whose colour flips where the
// bar's edge crosses it. Positions are never clamped, and the control
// repaints itself inside SetPos, but only when the bar grows or shrinks by a
// pixel: sequences step it once per data word.
class CLabeledProgressCtrl : public QProgressBar {
    Q_OBJECT

public:
    explicit CLabeledProgressCtrl(QWidget* parent = nullptr);

    void SetRange(int32_t lower, int32_t upper);
    void SetStep(int32_t step);
    // Returns the previous position.
    int32_t SetPos(int32_t pos);
    int32_t StepIt();

    // Text drawn instead of the percentage while not empty.
    void SetCaption(const QString& caption);
    QString caption() const { return caption_; }
    void SetShowText(bool show);

    // The label as drawn: the caption, or the percentage.
    QString text() const override;
    const ProgressModel& model() const { return model_; }
    // Right edge of the done part, in pixels from the left.
    int BarEnd() const;

    QColor barColor() const { return barColor_; }
    QColor backColor() const { return backColor_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void DrawLabel(class QPainter& painter, const QRect& clip, const QColor& color, const QString& label);

    ProgressModel model_;
    QString caption_;
    bool showText_ = true;
    QColor barColor_;
    QColor backColor_;
    QColor textOnBackColor_;
    QColor textOnBarColor_;
};

}  // namespace nembra
