#include "mediaui/IconPreview.h"
#include "ui/ControlIds.h"

#include <QPainter>
#include <cstring>

namespace orv {

QImage IconImage(const IconBitmap& bitmap) {
    if (!bitmap.HasPixels()) {
        return {};
    }
    QImage image(bitmap.Width(), bitmap.Height(), QImage::Format_Indexed8);
    QList<QRgb> colours;
    colours.reserve(kPaletteSize);
    for (const RgbQuad& q : DeviceColourTable()) {
        colours.append(qRgb(q.red, q.green, q.blue));
    }
    image.setColorTable(colours);
    // The bitmap keeps its bottom row first; the image wants the top row first.
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::memcpy(image.scanLine(bitmap.Height() - 1 - y), bitmap.Row(y),
                    static_cast<size_t>(bitmap.Width()));
    }
    return image;
}

CIconPreview::CIconPreview(const IconBitmap* bitmap, QWidget* parent)
    : QFrame(parent), m_pBitmap(bitmap) {
    setObjectName(ControlName(IDC_ICON_PREVIEW));
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize CIconPreview::sizeHint() const {
    int frame = 2 * frameWidth();
    return {kIconWidth * kZoom + frame, kIconHeight * kZoom + frame};
}

QRect CIconPreview::IconRect() const {
    return {contentsRect().topLeft(), QSize(kIconWidth * kZoom, kIconHeight * kZoom)};
}

void CIconPreview::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QImage image = m_pBitmap ? IconImage(*m_pBitmap) : QImage();
    if (image.isNull()) {
        return;
    }
    QPainter painter(this);
    // Nearest neighbour: every icon pixel stays a sharp square, as on the device.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(IconRect(), image);
}

}  // namespace orv
