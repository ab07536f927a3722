#include "ui/controls/ButtonLayout.h"

#include <algorithm>

namespace nembra {

namespace {

QRect CaptionRect(QSize button, QSize image, QSize& text) {
    const int boxW = text.width() + kTextMarginX;
    const int boxH = text.height() + kTextMarginY;
    if (boxW > button.width()) text.setWidth(std::max(0, button.width() - kTextMarginX));
    if (boxH > button.height()) text.setHeight(std::max(0, button.height() - kTextMarginY));
    const int x = image.width() + 2 * kImageMargin;
    const int y = (button.height() - boxH) / 2 + kTextMarginY / 2;
    return QRect(x, y, text.width(), text.height());
}

QRect ImageRect(QSize button, QSize image, int textBoxW) {
    int w = image.width();
    int h = image.height();
    const int room = button.width() - std::min(textBoxW, button.width());
    if (room < w + 2 * kImageMargin) w = std::max(0, room - 2 * kImageMargin);
    if (button.height() < h + 2 * kImageMargin) h = std::max(0, button.height() - 2 * kImageMargin);
    const int y = (button.height() - (image.height() + 2 * kImageMargin)) / 2 + kImageMargin;
    return QRect(kImageMargin, y, w, h);
}

}  // namespace

ButtonLayout ComputeButtonLayout(QSize button, QSize image, QSize text, bool pressed) {
    const int textBoxW = text.width() + kTextMarginX;
    ButtonLayout layout;
    layout.caption = CaptionRect(button, image, text);
    layout.image = ImageRect(button, image, textBoxW);
    if (pressed) {
        layout.caption.translate(kPressedOffset, kPressedOffset);
        layout.image.translate(kPressedOffset, kPressedOffset);
    }
    if (layout.caption.width() <= 0 || layout.caption.height() <= 0) layout.caption = QRect();
    if (layout.image.width() <= 0 || layout.image.height() <= 0) layout.image = QRect();
    return layout;
}

}  // namespace nembra
