// A Qt-free file with a Qt header.
#include <QImage>

#include "media/IconBitmap.h"
