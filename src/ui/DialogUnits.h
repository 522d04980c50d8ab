// Layout measures in dialog units: a quarter of the average character width
// and an eighth of the line height of the widget's font, so that forms keep
// their proportions at any font size.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QWidget>

namespace orv {

inline int DluX(const QWidget* w, int units) {
    return units * QFontMetrics(w->font()).averageCharWidth() / 4;
}
inline int DluY(const QWidget* w, int units) {
    return units * QFontMetrics(w->font()).height() / 8;
}

// font made larger by factor, whether its size is given in points or pixels.
inline QFont ScaledFont(QFont font, double factor) {
    if (font.pointSizeF() > 0) {
        font.setPointSizeF(font.pointSizeF() * factor);
    } else if (font.pixelSize() > 0) {
        font.setPixelSize(static_cast<int>(font.pixelSize() * factor + 0.5));
    }
    return font;
}

}  // namespace orv
