// Layout measures in dialog units: a quarter of the average character width
// and an eighth of the line height of the widget's font, so that forms keep
// their proportions at any font size.
#pragma once

#include <QFontMetrics>
#include <QWidget>

namespace orv {

inline int DluX(const QWidget* w, int units) {
    return units * QFontMetrics(w->font()).averageCharWidth() / 4;
}
inline int DluY(const QWidget* w, int units) {
    return units * QFontMetrics(w->font()).height() / 8;
}

}  // namespace orv
