// The converted icon drawn as the device will show it, enlarged so that its
// single pixels can be told apart.
#pragma once

#include <QFrame>
#include <QImage>

#include "media/IconBitmap.h"

namespace orv {

// The icon as an 8-bit image with the device palette as its colour table,
// top row first. A null image when the bitmap holds no picture.
QImage IconImage(const IconBitmap& bitmap);

class CIconPreview : public QFrame {
    Q_OBJECT
public:
    // Each icon pixel becomes a square of this many screen pixels.
    static constexpr int kZoom = 3;

    // bitmap belongs to the dialog and outlives the preview.
    explicit CIconPreview(const IconBitmap* bitmap, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    // Where the icon is drawn, inside the frame.
    QRect IconRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const IconBitmap* m_pBitmap;
};

}  // namespace orv
