#pragma once
#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QPushButton>
#include <QString>

namespace nembra {

// A push button that draws itself: a small bitmap left of its caption, an
// embossed look when disabled, image and caption shifted while pressed, and
// the focus frames. Clicks and keys behave as for any push button.
class COXBitmapButton : public QPushButton {
    Q_OBJECT

public:
    explicit COXBitmapButton(const QString& text, QWidget* parent = nullptr);

    // Builds the normal and disabled images from a bitmap file or resource;
    // pixels of maskColour become transparent. False when it cannot be read,
    // which leaves the button without an image.
    bool LoadButtonBitmap(const QString& path, bool sizeToContent, const QColor& maskColour);

    // The part of the text before the first line feed.
    QString Caption() const;
    const QPixmap& normalImage() const { return normal_; }
    const QPixmap& disabledImage() const { return disabled_; }
    bool IsDrawnPressed() const { return isDown(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void DrawFrame(class QPainter& painter, bool pressed, bool disabled, bool focused);
    void DrawCaption(QPainter& painter, const QRect& area, bool disabled);
    void DrawFocus(QPainter& painter, bool pressed);
    QSize CaptionExtent() const;
    void ResizeToContent();

    void BuildDisabledImage();

    QImage masked_;
    QPixmap normal_;
    QPixmap disabled_;
    QColor textColour_ = Qt::black;
};

}  // namespace nembra
