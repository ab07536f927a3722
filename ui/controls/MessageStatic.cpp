#include "ui/controls/MessageStatic.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>

namespace nembra {

CMessageStatic::CMessageStatic(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
    foreColor_ = palette().color(QPalette::WindowText);
    backColor_ = palette().color(QPalette::Base);
    // The message line is drawn in the system font, not the dialog's font.
    setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    // Every pixel is painted by paintEvent, so no background erase is needed.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CMessageStatic::SetForeColor(const QColor& color, bool drawText) {
    foreColor_ = color;
    drawText_ = drawText;
}

void CMessageStatic::SetBackColor(const QColor& color, bool drawText) {
    backColor_ = color;
    drawText_ = drawText;
}

void CMessageStatic::SetMessageText(const QString& text) { text_ = text; }

void CMessageStatic::TakeCaptionIfEmpty() {
    if (text_.isEmpty()) text_ = text();
}

void CMessageStatic::FixSize(bool on) {
    if (!on) return;
    fixedRectOn_ = true;
    QFontMetrics metrics(font());
    const int w = metrics.horizontalAdvance(QLatin1Char('A'));
    const int h = metrics.height();
    fixedRect_ = rect();
    if (fixedRect_.height() < h) fixedRect_.setBottom(fixedRect_.top() + h - 1);
    TakeCaptionIfEmpty();
    const int length = static_cast<int>(text_.toUtf8().size());
    if (length * w > fixedRect_.width()) fixedRect_.setRight(fixedRect_.left() + length * w - 1);
}

QRect CMessageStatic::DrawingRect() const { return fixedRectOn_ ? fixedRect_ : rect(); }

void CMessageStatic::paintEvent(QPaintEvent*) {
    TakeCaptionIfEmpty();
    const QRect area = DrawingRect();
    QPainter painter(this);
    painter.fillRect(area, backColor_);
    if (!drawText_) return;
    painter.setClipRect(area);
    painter.setPen(foreColor_);
    painter.drawText(area.adjusted(2, 2, -2, -2), Qt::AlignCenter | Qt::TextSingleLine, text_);
}

}  // namespace nembra
