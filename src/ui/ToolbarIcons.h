// The toolbar's pictures and the program's icon, drawn by code so that they
// stay sharp at any scale.
#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSize>

namespace orv {

constexpr QSize kToolbarIconSize(64, 40);

// The picture of a toolbar command (32783, 32782, 32770, 32786, 57665).
QIcon ToolbarIcon(int commandId);
// A communication device alone, size pixels high: the simulated device's picture.
QPixmap DevicePicture(int size);
// The sizes of the program's icon, the icon theme's usual ones.
constexpr int kAppIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
// The program's icon: a communication device with a speech bubble.
QIcon AppIcon();
// The icon as a picture of size x size pixels (the installed icon files).
QImage AppIconImage(int size);

}  // namespace orv
