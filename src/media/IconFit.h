// Scaling and padding a converted picture to the icon size of 74 x 62, with
// nearest-neighbour steps in integer percentages.
#pragma once

#include "media/IconBitmap.h"

namespace orv {

// Stretches to 74 x 62, or with keepAspect scales to fit and adds a white
// border in the other direction.
void FitToIconSize(IconBitmap& bitmap, bool keepAspect);

// The primitives. Each does nothing when the size is already the target; a
// step in the wrong direction (or to a size below 1) is an internal error and
// leaves the picture as it is.
void ShrinkWidth(IconBitmap& bitmap, int newWidth);
void ShrinkHeight(IconBitmap& bitmap, int newHeight);
void EnlargeWidth(IconBitmap& bitmap, int newWidth);
void EnlargeHeight(IconBitmap& bitmap, int newHeight);
// White (index 245) columns on both sides up to a width of 74; the odd one
// goes to the right.
void PadWidth(IconBitmap& bitmap);
// White rows below and above up to a height of 62; the odd one goes on top.
void PadHeight(IconBitmap& bitmap);

}  // namespace orv
