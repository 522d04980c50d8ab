#include "ui/ToolbarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "ui/CommandIds.h"

namespace orv {
namespace {

const QColor kDeviceBody(0x2f, 0x5d, 0x62);
const QColor kDeviceScreen(0xd8, 0xf0, 0xe8);
const QColor kDisk(0x2d, 0x5f, 0xa8);
const QColor kDiskLabel(0xf4, 0xf6, 0xfa);
const QColor kSaveArrow(0x2e, 0x8b, 0x3a);
const QColor kRestoreArrow(0xd9, 0x7a, 0x10);
const QColor kOutline(0x20, 0x20, 0x20);

// A communication device: a body with a screen and a row of keys.
void DrawDevice(QPainter& p, const QRectF& r) {
    p.setPen(QPen(kOutline, 1.2));
    p.setBrush(kDeviceBody);
    p.drawRoundedRect(r, 4, 4);
    QRectF screen(r.left() + r.width() * 0.15, r.top() + r.height() * 0.14, r.width() * 0.7,
                  r.height() * 0.38);
    p.setBrush(kDeviceScreen);
    p.drawRect(screen);
    p.setPen(Qt::NoPen);
    p.setBrush(kDeviceScreen);
    double keyW = r.width() * 0.16;
    for (int i = 0; i < 3; ++i) {
        QRectF key(r.left() + r.width() * 0.15 + i * (keyW + r.width() * 0.11),
                   r.top() + r.height() * 0.64, keyW, r.height() * 0.18);
        p.drawRect(key);
    }
}

// A floppy disk: the shape everybody reads as "a file on disk".
void DrawDisk(QPainter& p, const QRectF& r) {
    QPainterPath body;
    double cut = r.width() * 0.2;
    body.moveTo(r.topLeft());
    body.lineTo(r.right() - cut, r.top());
    body.lineTo(r.right(), r.top() + cut);
    body.lineTo(r.bottomRight());
    body.lineTo(r.bottomLeft());
    body.closeSubpath();
    p.setPen(QPen(kOutline, 1.2));
    p.setBrush(kDisk);
    p.drawPath(body);
    p.setPen(Qt::NoPen);
    p.setBrush(kDiskLabel);
    p.drawRect(QRectF(r.left() + r.width() * 0.18, r.top() + r.height() * 0.52, r.width() * 0.64,
                      r.height() * 0.38));
    p.setBrush(QColor(0xc8, 0xcc, 0xd4));
    p.drawRect(
        QRectF(r.left() + r.width() * 0.25, r.top() + 1.5, r.width() * 0.45, r.height() * 0.3));
}

// A thick arrow from x0 to x1 at height y.
void DrawArrow(QPainter& p, double x0, double x1, double y, const QColor& color) {
    double dir = x1 > x0 ? 1.0 : -1.0;
    double head = 7.0;
    QPainterPath arrow;
    arrow.moveTo(x0, y - 3);
    arrow.lineTo(x1 - dir * head, y - 3);
    arrow.lineTo(x1 - dir * head, y - 8);
    arrow.lineTo(x1, y);
    arrow.lineTo(x1 - dir * head, y + 8);
    arrow.lineTo(x1 - dir * head, y + 3);
    arrow.lineTo(x0, y + 3);
    arrow.closeSubpath();
    p.setPen(QPen(color.darker(140), 1));
    p.setBrush(color);
    p.drawPath(arrow);
}

void DrawOverlay(QPainter& p) {
    // A keyboard overlay: a grid of cells, and a pencil across it.
    QRectF grid(4, 8, 44, 26);
    p.setPen(QPen(kOutline, 1.2));
    p.setBrush(QColor(0xfb, 0xf7, 0xe4));
    p.drawRect(grid);
    p.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
    for (int c = 1; c < 4; ++c) {
        double x = grid.left() + c * grid.width() / 4;
        p.drawLine(QPointF(x, grid.top()), QPointF(x, grid.bottom()));
    }
    for (int r = 1; r < 3; ++r) {
        double y = grid.top() + r * grid.height() / 3;
        p.drawLine(QPointF(grid.left(), y), QPointF(grid.right(), y));
    }
    p.save();
    p.translate(50, 18);
    p.rotate(45);
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(0xf2, 0xc1, 0x2e));
    p.drawRect(QRectF(-3, -14, 6, 22));
    p.setBrush(QColor(0xe8, 0xc9, 0xa0));
    QPainterPath tip;
    tip.moveTo(-3, 8);
    tip.lineTo(3, 8);
    tip.lineTo(0, 15);
    tip.closeSubpath();
    p.drawPath(tip);
    p.restore();
}

void DrawImportIcons(QPainter& p) {
    // A picture going into the device.
    QRectF pic(2, 8, 26, 22);
    p.setPen(QPen(kOutline, 1.2));
    p.setBrush(QColor(0xbf, 0xe3, 0xf7));
    p.drawRect(pic);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf5, 0xc4, 0x18));
    p.drawEllipse(QPointF(20, 14), 3, 3);
    p.setBrush(QColor(0x3c, 0x8d, 0x3f));
    QPainterPath hill;
    hill.moveTo(pic.left() + 1, pic.bottom());
    hill.lineTo(10, 18);
    hill.lineTo(16, 24);
    hill.lineTo(20, 21);
    hill.lineTo(pic.right(), pic.bottom());
    hill.closeSubpath();
    p.drawPath(hill);
    DrawArrow(p, 29, 41, 20, kRestoreArrow);
    DrawDevice(p, QRectF(42, 6, 20, 28));
}

void DrawExit(QPainter& p) {
    // An open door and an arrow leaving through it.
    p.setPen(QPen(kOutline, 1.2));
    p.setBrush(QColor(0x8a, 0x5a, 0x2b));
    p.drawRect(QRectF(30, 4, 22, 32));
    QPainterPath door;
    door.moveTo(30, 4);
    door.lineTo(42, 8);
    door.lineTo(42, 38);
    door.lineTo(30, 36);
    door.closeSubpath();
    p.setBrush(QColor(0xc9, 0x8e, 0x52));
    p.drawPath(door);
    DrawArrow(p, 26, 6, 20, QColor(0xc0, 0x39, 0x2b));
}

QPixmap Render(int commandId, qreal dpr) {
    QPixmap pm(kToolbarIconSize * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    switch (commandId) {
        case ID_RESTORE_MEMORY:
            DrawDisk(p, QRectF(2, 8, 22, 24));
            DrawArrow(p, 25, 39, 20, kRestoreArrow);
            DrawDevice(p, QRectF(40, 4, 22, 32));
            break;
        case ID_SAVE_MEMORY:
            DrawDevice(p, QRectF(2, 4, 22, 32));
            DrawArrow(p, 25, 39, 20, kSaveArrow);
            DrawDisk(p, QRectF(40, 8, 22, 24));
            break;
        case ID_EDIT_OVERLAY:
            DrawOverlay(p);
            break;
        case ID_IMPORT_ICONS:
            DrawImportIcons(p);
            break;
        case ID_APP_EXIT:
            DrawExit(p);
            break;
        default:
            break;
    }
    return pm;
}

}  // namespace

QIcon ToolbarIcon(int commandId) {
    QIcon icon;
    icon.addPixmap(Render(commandId, 1.0));
    icon.addPixmap(Render(commandId, 2.0));
    return icon;
}

QPixmap DevicePicture(int size) {
    QPixmap pm(size * 3 / 4, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    DrawDevice(p, QRectF(1, 1, pm.width() - 2, pm.height() - 2));
    return pm;
}

QImage AppIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    DrawDevice(p, QRectF(6, 18, 34, 42));
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(30, 4, 30, 20), 6, 6);
    QPainterPath tail;
    tail.moveTo(36, 22);
    tail.lineTo(32, 30);
    tail.lineTo(44, 23);
    tail.closeSubpath();
    p.setPen(QPen(kOutline, 1.5));
    p.setBrush(Qt::white);
    p.drawPath(bubble.united(tail));
    p.setPen(Qt::NoPen);
    p.setBrush(kDeviceBody);
    for (int i = 0; i < 3; ++i) {
        p.drawEllipse(QPointF(38 + i * 7, 14), 2.2, 2.2);
    }
    return image;
}

QIcon AppIcon() {
    QIcon icon;
    for (int size : kAppIconSizes) {
        icon.addPixmap(QPixmap::fromImage(AppIconImage(size)));
    }
    return icon;
}

}  // namespace orv
