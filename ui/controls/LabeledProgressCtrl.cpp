#include "ui/controls/LabeledProgressCtrl.h"

#include <algorithm>

#include <QFontDatabase>
#include <QPainter>
#include <QResizeEvent>

namespace nembra {

CLabeledProgressCtrl::CLabeledProgressCtrl(QWidget* parent) : QProgressBar(parent) {
    barColor_ = palette().color(QPalette::Highlight);
    backColor_ = palette().color(QPalette::Base);
    textOnBackColor_ = barColor_;
    textOnBarColor_ = backColor_;
    setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    // The paint covers every pixel; skipping the erase avoids flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
    model_.SetPixelWidth(width());
}

void CLabeledProgressCtrl::SetRange(int32_t lower, int32_t upper) { model_.SetRange(lower, upper); }

void CLabeledProgressCtrl::SetStep(int32_t step) { model_.SetStep(step); }

int32_t CLabeledProgressCtrl::SetPos(int32_t pos) {
    const ProgressModel::PosChange change = model_.SetPos(pos);
    if (!change.repaintDue) return change.previous;
    if (isVisible())
        repaint();
    else
        model_.ForceRepaint();  // nothing was drawn; the first visible change must draw
    return change.previous;
}

int32_t CLabeledProgressCtrl::StepIt() {
    const auto next = static_cast<int32_t>(static_cast<uint32_t>(model_.pos()) + static_cast<uint32_t>(model_.step()));
    return SetPos(next);
}

void CLabeledProgressCtrl::SetCaption(const QString& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    update();
}

void CLabeledProgressCtrl::SetShowText(bool show) {
    showText_ = show;
    update();
}

QString CLabeledProgressCtrl::text() const {
    if (!caption_.isEmpty()) return caption_;
    return QString::asprintf("%d%%", model_.Percent());
}

int CLabeledProgressCtrl::BarEnd() const { return model_.BarWidth(); }

void CLabeledProgressCtrl::resizeEvent(QResizeEvent* event) {
    QProgressBar::resizeEvent(event);
    model_.SetPixelWidth(event->size().width());
    model_.ForceRepaint();
}

void CLabeledProgressCtrl::paintEvent(QPaintEvent*) {
    if (!model_.Drawable()) return;
    const QRect client = rect();
    const int barEnd = std::clamp(BarEnd(), 0, client.width());
    const QRect done(client.left(), client.top(), barEnd, client.height());
    const QRect rest(client.left() + barEnd, client.top(), client.width() - barEnd, client.height());
    QPainter painter(this);
    painter.fillRect(done, barColor_);
    painter.fillRect(rest, backColor_);
    if (!showText_) return;
    const QString label = text();
    DrawLabel(painter, done, textOnBarColor_, label);
    DrawLabel(painter, rest, textOnBackColor_, label);
}

void CLabeledProgressCtrl::DrawLabel(QPainter& painter, const QRect& clip, const QColor& color, const QString& label) {
    if (clip.isEmpty()) return;
    painter.save();
    painter.setClipRect(clip);
    painter.setPen(color);
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, label);
    painter.restore();
}

}  // namespace nembra
