#pragma once
#include <QColor>
#include <QLabel>
#include <QRect>
#include <QString>

namespace nembra {

// The window's one-line message display: centred text on a solid background,
// drawn entirely by the control so that it can repaint on demand while the
// user-interface thread is busy with an operation.
class CMessageStatic : public QLabel {
    Q_OBJECT

public:
    explicit CMessageStatic(const QString& caption, QWidget* parent = nullptr);

    void SetForeColor(const QColor& color, bool drawText);
    void SetBackColor(const QColor& color, bool drawText);
    void SetMessageText(const QString& text);
    // Freezes the drawing rectangle at the control's present size, widened
    // to hold the caption and at least one line tall.
    void FixSize(bool on);

    QColor foreColor() const { return foreColor_; }
    QColor backColor() const { return backColor_; }
    bool drawText() const { return drawText_; }
    QString messageText() const { return text_; }
    // The rectangle the text and background are drawn in.
    QRect DrawingRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void TakeCaptionIfEmpty();

    QColor foreColor_;
    QColor backColor_;
    bool drawText_ = false;
    bool fixedRectOn_ = false;
    QRect fixedRect_;
    QString text_;
};

}  // namespace nembra
