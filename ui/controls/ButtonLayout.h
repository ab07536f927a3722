#pragma once
#include <QRect>
#include <QSize>

namespace nembra {

// Where a bitmap button puts its image and caption. The image sits in a box
// with a 5-pixel margin on every side, the caption in a box 7 pixels wider and
// 12 taller than its text; the caption keeps its room first, and the image
// shrinks or disappears when the button is too narrow for both.
struct ButtonLayout {
    QRect image;    // empty: not drawn
    QRect caption;  // empty: not drawn
};

inline constexpr int kImageMargin = 5;
inline constexpr int kTextMarginX = 7;
inline constexpr int kTextMarginY = 12;
inline constexpr int kPressedOffset = 2;
inline constexpr int kFocusInset = 4;

ButtonLayout ComputeButtonLayout(QSize button, QSize image, QSize text, bool pressed);

}  // namespace nembra
