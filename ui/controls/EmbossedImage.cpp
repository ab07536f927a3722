#include "ui/controls/EmbossedImage.h"

#include <QPainter>

namespace nembra {

namespace {

// Pixels darker than this form the embossed shape; light areas fade into the face.
constexpr int kShapeThreshold = 192;

QImage ShapeOf(const QImage& masked, const QColor& colour) {
    QImage shape(masked.size(), QImage::Format_ARGB32);
    shape.fill(Qt::transparent);
    for (int y = 0; y < masked.height(); ++y) {
        for (int x = 0; x < masked.width(); ++x) {
            const QRgb pixel = masked.pixel(x, y);
            if (qAlpha(pixel) == 0) continue;
            if (qGray(pixel) < kShapeThreshold) shape.setPixelColor(x, y, colour);
        }
    }
    return shape;
}

}  // namespace

QImage MaskedImage(const QImage& source, const QColor& maskColour) {
    QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const QRgb mask = maskColour.rgb() | 0xFF000000u;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) | 0xFF000000u) == mask) image.setPixel(x, y, 0);
    return image;
}

QPixmap EmbossedImage(const QImage& masked, const QColor& face, const QColor& light, const QColor& shadow) {
    QImage result(masked.size(), QImage::Format_ARGB32);
    result.fill(face);
    QPainter painter(&result);
    painter.drawImage(1, 1, ShapeOf(masked, light));
    painter.drawImage(0, 0, ShapeOf(masked, shadow));
    painter.end();
    // Keep the normal image's mask: outside it the button face shows through.
    for (int y = 0; y < masked.height(); ++y)
        for (int x = 0; x < masked.width(); ++x)
            if (qAlpha(masked.pixel(x, y)) == 0) result.setPixel(x, y, 0);
    return QPixmap::fromImage(result);
}

}  // namespace nembra
