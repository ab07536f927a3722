#include "ui/controls/OXBitmapButton.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

#include "ui/controls/ButtonLayout.h"
#include "ui/controls/EmbossedImage.h"

namespace nembra {

COXBitmapButton::COXBitmapButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {}

bool COXBitmapButton::LoadButtonBitmap(const QString& path, bool sizeToContent, const QColor& maskColour) {
    masked_ = QImage();
    normal_ = QPixmap();
    disabled_ = QPixmap();
    QImage source;
    if (!source.load(path)) {
        update();
        return false;
    }
    masked_ = MaskedImage(source, maskColour);
    normal_ = QPixmap::fromImage(masked_);
    BuildDisabledImage();
    if (sizeToContent) ResizeToContent();
    update();
    return true;
}

void COXBitmapButton::BuildDisabledImage() {
    if (masked_.isNull()) return;
    const QPalette& pal = palette();
    disabled_ =
        EmbossedImage(masked_, pal.color(QPalette::Button), pal.color(QPalette::Light), pal.color(QPalette::Dark));
}

QString COXBitmapButton::Caption() const {
    const QString all = text();
    const qsizetype lineFeed = all.indexOf(QLatin1Char('\n'));
    return lineFeed < 0 ? all : all.left(lineFeed);
}

QSize COXBitmapButton::CaptionExtent() const {
    const QString caption = Caption();
    if (caption.isEmpty()) return QSize(0, 0);
    QFontMetrics metrics(font());
    return QSize(metrics.horizontalAdvance(caption), metrics.height());
}

void COXBitmapButton::ResizeToContent() {
    const QSize image = normal_.size();
    const QSize text = CaptionExtent();
    const int w = image.width() + 2 * kImageMargin + text.width() + kTextMarginX;
    const int h = std::max(image.height() + 2 * kImageMargin, text.height() + kTextMarginY);
    resize(w, h);
}

void COXBitmapButton::changeEvent(QEvent* event) {
    // The disabled image is painted over the button face: follow colour changes.
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) BuildDisabledImage();
    QPushButton::changeEvent(event);
    update();
}

void COXBitmapButton::paintEvent(QPaintEvent*) {
    const bool disabled = !isEnabled();
    const bool pressed = isDown();
    const bool focused = hasFocus();
    QPainter painter(this);
    DrawFrame(painter, pressed, disabled, focused);
    const ButtonLayout layout = ComputeButtonLayout(size(), normal_.size(), CaptionExtent(), pressed);
    if (normal_.isNull()) {
        // Without an image the caption takes the middle of the button.
        QRect middle = rect();
        if (pressed) middle.translate(kPressedOffset, kPressedOffset);
        DrawCaption(painter, middle, disabled);
    } else {
        if (!layout.image.isNull())
            painter.drawPixmap(layout.image.topLeft(), disabled ? disabled_ : normal_,
                               QRect(QPoint(0, 0), layout.image.size()));
        if (!layout.caption.isNull()) DrawCaption(painter, layout.caption, disabled);
    }
    if (focused) DrawFocus(painter, pressed);
}

void COXBitmapButton::DrawFrame(QPainter& painter, bool pressed, bool disabled, bool focused) {
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    option.icon = QIcon();
    option.state &= ~(QStyle::State_HasFocus | QStyle::State_Sunken | QStyle::State_Enabled | QStyle::State_On);
    if (pressed) option.state |= QStyle::State_Sunken;
    if (!disabled) option.state |= QStyle::State_Enabled;
    if (focused && !pressed && !disabled) option.rect = rect().adjusted(1, 1, -1, -1);
    style()->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, this);
}

void COXBitmapButton::DrawCaption(QPainter& painter, const QRect& area, bool disabled) {
    const QString caption = Caption();
    if (caption.isEmpty()) return;
    const int flags = Qt::AlignCenter | Qt::TextSingleLine;
    painter.setFont(font());
    if (disabled) {
        painter.setPen(palette().color(QPalette::Light));
        painter.drawText(area.translated(1, 1), flags, caption);
        painter.setPen(palette().color(QPalette::Dark));
    } else {
        painter.setPen(textColour_);
    }
    painter.drawText(area, flags, caption);
}

void COXBitmapButton::DrawFocus(QPainter& painter, bool pressed) {
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter.drawRect(rect().adjusted(kFocusInset, kFocusInset, -kFocusInset - 1, -kFocusInset - 1));
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (pressed) {
        painter.setPen(QPen(palette().color(QPalette::Dark), 1));
        painter.drawRect(rect().adjusted(1, 1, -2, -2));
    }
}

}  // namespace nembra
