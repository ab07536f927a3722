#include "ui/DialogUnits.h"

#include <QFontDatabase>
#include <QFontMetrics>

namespace nembra {

namespace {

// Rounded a * b / c, as the platform's dialog mapping rounds.
int MulDiv(int a, int b, int c) {
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int alphabet =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseX_ = (alphabet / 26 + 1) / 2;
    baseY_ = metrics.height();
}

int DialogUnits::X(int units) const { return MulDiv(units, baseX_, 4); }

int DialogUnits::Y(int units) const { return MulDiv(units, baseY_, 8); }

QRect DialogUnits::Rect(int x, int y, int width, int height) const {
    const int left = X(x);
    const int top = Y(y);
    return QRect(left, top, X(x + width) - left, Y(y + height) - top);
}

QFont DialogFont() {
    static const char* const kFamilies[] = {"굴림", "Gulim", "NanumGothic", "Noto Sans CJK KR", "UnDotum"};
    QFont font;
    for (const char* family : kFamilies) {
        if (QFontDatabase::hasFamily(QString::fromUtf8(family))) {
            font.setFamily(QString::fromUtf8(family));
            break;
        }
    }
    font.setPointSize(9);
    return font;
}

}  // namespace nembra
