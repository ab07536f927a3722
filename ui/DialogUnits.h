#pragma once
#include <QFont>
#include <QRect>

namespace nembra {

// Dialog units: a quarter of the dialog font's average character width
// across, an eighth of its height down. The window's layout is given in them
// so that it keeps its proportions with whatever font is installed.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    DialogUnits(int baseX, int baseY) : baseX_(baseX), baseY_(baseY) {}

    int X(int units) const;
    int Y(int units) const;
    // Each edge converted on its own, as the platform maps dialog rectangles.
    QRect Rect(int x, int y, int width, int height) const;

    int baseX() const { return baseX_; }
    int baseY() const { return baseY_; }

private:
    int baseX_;
    int baseY_;
};

// The dialog font: 9-point "굴림", or a Korean font that is installed when
// it is not, so that the Korean captions render.
QFont DialogFont();

}  // namespace nembra
