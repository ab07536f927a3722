#include "status/ProgressModel.h"

#include <cmath>

namespace nembra {

double ProgressModel::Fraction() const {
    if (!Drawable()) return 0.0;
    return (static_cast<double>(pos_) - lower_) / (static_cast<double>(upper_) - lower_);
}

int32_t ProgressModel::BarWidth() const {
    if (!Drawable()) return 0;
    double width = Fraction() * pixelWidth_;
    // Truncate toward zero; keep far-out positions representable.
    if (width > 2147483647.0) return 2147483647;
    if (width < -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(std::trunc(width));
}

int32_t ProgressModel::Percent() const {
    double percent = Fraction() * 100.0;
    if (percent > 2147483647.0) return 2147483647;
    if (percent < -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(std::trunc(percent));
}

void ProgressModel::SetPixelWidth(int32_t pixels) {
    if (pixels != pixelWidth_) {
        pixelWidth_ = pixels;
        lastBarWidth_ = -1;
    }
}

ProgressModel::PosChange ProgressModel::SetPos(int32_t pos) {
    PosChange change{pos_, false};
    pos_ = pos;
    int32_t width = BarWidth();
    if (width != lastBarWidth_) {
        lastBarWidth_ = width;
        change.repaintDue = true;
    }
    return change;
}

ProgressModel::PosChange ProgressModel::StepIt() {
    // Signed overflow would be undefined; the bar wraps as a 32-bit counter would.
    auto next = static_cast<int32_t>(static_cast<uint32_t>(pos_) + static_cast<uint32_t>(step_));
    return SetPos(next);
}

}  // namespace nembra
