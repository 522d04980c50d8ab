// Scaling and padding a converted picture to the icon size of 74 x 62, with
// nearest-neighbour steps in integer percentages.
#pragma once

#include "media/IconBitmap.h"

namespace orv {

// The ways a picture can be made to fill the icon.
enum class IconFitting {
    KeepAspect,  // scaled to fit, a white border in the other direction
    Stretch,     // scaled to 74 x 62 whatever its shape
    Crop,        // scaled to fill, centred, with what sticks out cut off
};

// Stretches to 74 x 62, or with keepAspect scales to fit and adds a white
// border in the other direction.
void FitToIconSize(IconBitmap& bitmap, bool keepAspect);
void FitToIconSize(IconBitmap& bitmap, IconFitting fitting);

// Which part of a picture (top row first) ends up where in the icon: the
// source rectangle is scaled onto the destination one, and whatever of the
// icon lies outside that is white. KeepAspect uses the same sizes and border
// as the nearest-neighbour fitting, so both ways give the same layout.
struct IconFitPlan {
    int sourceX = 0;
    int sourceY = 0;
    int sourceWidth = 0;
    int sourceHeight = 0;
    int iconX = 0;
    int iconY = 0;
    int iconWidth = 0;
    int iconHeight = 0;
};
IconFitPlan PlanIconFit(int width, int height, IconFitting fitting);

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
