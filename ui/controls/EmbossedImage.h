#pragma once
#include <QColor>
#include <QImage>
#include <QPixmap>

namespace nembra {

// The image with every pixel of the mask colour made transparent.
QImage MaskedImage(const QImage& source, const QColor& maskColour);

// The classic disabled look of a toolbar bitmap: the image's dark shapes
// drawn once in the highlight colour shifted down-right and once in the
// shadow colour, over the button face, keeping the transparency of the mask.
QPixmap EmbossedImage(const QImage& masked, const QColor& face, const QColor& light, const QColor& shadow);

}  // namespace nembra
