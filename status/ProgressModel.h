#pragma once
#include <cstdint>

namespace nembra {

// Progress arithmetic shared by the window's bar and the command-line bar.
// The position is never clamped to the range; the drawn width is computed in
// floating point and truncated, and a repaint is due only when that width in
// pixels changes, so stepping once per data word stays cheap.
class ProgressModel {
public:
    struct PosChange {
        int32_t previous;  // position before the call
        bool repaintDue;   // the drawn width changed since the last repaint
    };

    void SetRange(int32_t lower, int32_t upper) {
        lower_ = lower;
        upper_ = upper;
    }
    void SetStep(int32_t step) { step_ = step; }
    PosChange SetPos(int32_t pos);
    PosChange StepIt();

    // Width of the bar in pixels, or 0 when nothing is drawable.
    int32_t BarWidth() const;
    // The width in pixels the drawn bar spans; changing it forces the next repaint.
    void SetPixelWidth(int32_t pixels);
    // Forget the last repaint so the next SetPos repaints (a size change).
    void ForceRepaint() { lastBarWidth_ = -1; }

    bool Drawable() const { return lower_ < upper_; }
    double Fraction() const;
    // The label's percentage, fraction x 100 truncated toward zero.
    int32_t Percent() const;

    int32_t lower() const { return lower_; }
    int32_t upper() const { return upper_; }
    int32_t step() const { return step_; }
    int32_t pos() const { return pos_; }
    int32_t pixelWidth() const { return pixelWidth_; }

private:
    int32_t lower_ = 0;
    int32_t upper_ = 100;
    int32_t step_ = 1;
    int32_t pos_ = 0;
    int32_t pixelWidth_ = 0;
    int32_t lastBarWidth_ = -1;
};

}  // namespace nembra
