#include "media/IconFit.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/Errors.h"

namespace orv {
namespace {

constexpr int kBorder = -1;  // a map entry for a new white pixel

// For each new column (or row), the old one it copies.
std::vector<int> ShrinkMap(int from, int to) {
    const int64_t step = 100 * static_cast<int64_t>(from) / to;
    std::vector<int> map(static_cast<size_t>(to));
    for (int j = 0; j < to; ++j) {
        map[j] = static_cast<int>(std::min<int64_t>(j * step / 100, from - 1));
    }
    return map;
}

std::vector<int> EnlargeMap(int from, int to) {
    const int repeat = to / from + 1;
    const int64_t step = 100 * static_cast<int64_t>(to) / from;
    std::vector<int> map(static_cast<size_t>(to), kBorder);
    for (int j = 0; j < from; ++j) {
        int64_t start = j * step / 100;
        if (start != 0) {
            ++start;
        }
        const int64_t end = std::min<int64_t>(start + repeat, to);
        // A later source overwrites an earlier one where their spans meet.
        for (int64_t c = start; c < end; ++c) {
            map[c] = j;
        }
    }
    return map;
}

std::vector<int> PadMap(int from, int to) {
    std::vector<int> map(static_cast<size_t>(to), kBorder);
    const int before = (to - from) / 2;
    for (int j = 0; j < from; ++j) {
        map[before + j] = j;
    }
    return map;
}

// A new buffer whose columns are taken from the old ones by map. Everything
// not copied, stride padding included, is white.
void RemapColumns(IconBitmap& bitmap, const std::vector<int>& map) {
    const int newWidth = static_cast<int>(map.size());
    const int height = bitmap.Height();
    const int newStride = IconBitmap::StrideFor(newWidth);
    std::vector<uint8_t> pixels(static_cast<size_t>(newStride) * height, kWhiteIndex);
    for (int y = 0; y < height; ++y) {
        const uint8_t* src = bitmap.Row(y);
        uint8_t* dst = pixels.data() + static_cast<size_t>(y) * newStride;
        for (int j = 0; j < newWidth; ++j) {
            if (map[j] != kBorder) {
                dst[j] = src[map[j]];
            }
        }
    }
    bitmap.pixels = std::move(pixels);
    bitmap.infoHeader.width = newWidth;
}

void RemapRows(IconBitmap& bitmap, const std::vector<int>& map) {
    const int newHeight = static_cast<int>(map.size());
    const size_t stride = static_cast<size_t>(bitmap.Stride());
    std::vector<uint8_t> pixels(stride * newHeight, kWhiteIndex);
    for (int i = 0; i < newHeight; ++i) {
        if (map[i] != kBorder) {
            std::copy_n(bitmap.Row(map[i]), stride, pixels.data() + i * stride);
        }
    }
    bitmap.pixels = std::move(pixels);
    bitmap.infoHeader.height = newHeight;
}

// True when a step from size to target should run: not already there, and
// in the right direction (larger: target above size) within the limits.
bool StepApplies(const IconBitmap& bitmap, int size, int target, bool larger) {
    if (target == size) {
        return false;
    }
    const bool rightWay = larger ? target > size : target < size;
    if (!bitmap.HasPixels() || !rightWay || target < 1 || target > kMaxBitmapSide) {
        ORV_INTERNAL_ERROR();
        return false;
    }
    return true;
}

}  // namespace

void ShrinkWidth(IconBitmap& bitmap, int newWidth) {
    if (StepApplies(bitmap, bitmap.Width(), newWidth, false)) {
        RemapColumns(bitmap, ShrinkMap(bitmap.Width(), newWidth));
    }
}

void ShrinkHeight(IconBitmap& bitmap, int newHeight) {
    if (StepApplies(bitmap, bitmap.Height(), newHeight, false)) {
        RemapRows(bitmap, ShrinkMap(bitmap.Height(), newHeight));
    }
}

void EnlargeWidth(IconBitmap& bitmap, int newWidth) {
    if (StepApplies(bitmap, bitmap.Width(), newWidth, true)) {
        RemapColumns(bitmap, EnlargeMap(bitmap.Width(), newWidth));
    }
}

void EnlargeHeight(IconBitmap& bitmap, int newHeight) {
    if (StepApplies(bitmap, bitmap.Height(), newHeight, true)) {
        RemapRows(bitmap, EnlargeMap(bitmap.Height(), newHeight));
    }
}

void PadWidth(IconBitmap& bitmap) {
    if (StepApplies(bitmap, bitmap.Width(), kIconWidth, true)) {
        RemapColumns(bitmap, PadMap(bitmap.Width(), kIconWidth));
    }
}

void PadHeight(IconBitmap& bitmap) {
    if (StepApplies(bitmap, bitmap.Height(), kIconHeight, true)) {
        RemapRows(bitmap, PadMap(bitmap.Height(), kIconHeight));
    }
}

IconFitPlan PlanIconFit(int width, int height, IconFitting fitting) {
    IconFitPlan plan{0, 0, width, height, 0, 0, kIconWidth, kIconHeight};
    if (width <= 0 || height <= 0) {
        return plan;
    }
    const int64_t w = width;
    const int64_t h = height;
    switch (fitting) {
        case IconFitting::Stretch:
            break;
        case IconFitting::Crop:
            // The largest centred part with the icon's shape, rounded.
            if (w * kIconHeight > h * kIconWidth) {
                plan.sourceWidth = static_cast<int>(
                    std::clamp<int64_t>((h * kIconWidth + kIconHeight / 2) / kIconHeight, 1, w));
                plan.sourceX = (width - plan.sourceWidth) / 2;
            } else {
                plan.sourceHeight = static_cast<int>(
                    std::clamp<int64_t>((w * kIconHeight + kIconWidth / 2) / kIconWidth, 1, h));
                plan.sourceY = (height - plan.sourceHeight) / 2;
            }
            break;
        case IconFitting::KeepAspect: {
            if (width == kIconWidth && height == kIconHeight) {
                break;
            }
            const int64_t sw = 100 * kIconWidth / w;
            const int64_t sh = 100 * kIconHeight / h;
            if (sw < sh) {
                plan.iconHeight =
                    static_cast<int>(std::clamp<int64_t>(h * sw / 100, 1, kIconHeight));
                // The odd row of the border goes on top, as PadHeight puts it.
                plan.iconY = kIconHeight - plan.iconHeight - (kIconHeight - plan.iconHeight) / 2;
            } else {
                plan.iconWidth = static_cast<int>(std::clamp<int64_t>(w * sh / 100, 1, kIconWidth));
                plan.iconX = (kIconWidth - plan.iconWidth) / 2;
            }
            break;
        }
    }
    return plan;
}

void FitToIconSize(IconBitmap& bitmap, IconFitting fitting) {
    if (fitting != IconFitting::Crop) {
        FitToIconSize(bitmap, fitting == IconFitting::KeepAspect);
        return;
    }
    if (!bitmap.HasPixels()) {
        ORV_INTERNAL_ERROR();
        return;
    }
    const IconFitPlan plan = PlanIconFit(bitmap.Width(), bitmap.Height(), IconFitting::Crop);
    if (plan.sourceWidth != bitmap.Width()) {
        std::vector<int> columns(static_cast<size_t>(plan.sourceWidth));
        for (int j = 0; j < plan.sourceWidth; ++j) {
            columns[j] = plan.sourceX + j;
        }
        RemapColumns(bitmap, columns);
    }
    if (plan.sourceHeight != bitmap.Height()) {
        // Rows are stored bottom first: the plan counts from the top.
        const int bottom = bitmap.Height() - plan.sourceY - plan.sourceHeight;
        std::vector<int> rows(static_cast<size_t>(plan.sourceHeight));
        for (int i = 0; i < plan.sourceHeight; ++i) {
            rows[i] = bottom + i;
        }
        RemapRows(bitmap, rows);
    }
    FitToIconSize(bitmap, false);
}

void FitToIconSize(IconBitmap& bitmap, bool keepAspect) {
    if (!bitmap.HasPixels()) {
        ORV_INTERNAL_ERROR();
        return;
    }
    const int w = bitmap.Width();
    const int h = bitmap.Height();
    if (!keepAspect) {
        if (h > kIconHeight) {
            ShrinkHeight(bitmap, kIconHeight);
        } else if (h < kIconHeight) {
            EnlargeHeight(bitmap, kIconHeight);
        }
        if (w > kIconWidth) {
            ShrinkWidth(bitmap, kIconWidth);
        } else if (w < kIconWidth) {
            EnlargeWidth(bitmap, kIconWidth);
        }
        return;
    }
    if (w == kIconWidth && h == kIconHeight) {
        return;
    }
    // Scales in whole percent. A very flat or very narrow picture would scale
    // to nothing in the short direction; it keeps at least one pixel.
    const int sw = 100 * kIconWidth / w;
    const int sh = 100 * kIconHeight / h;
    const int scaledHeight = std::max(1, std::min(kIconHeight, h * sw / 100));
    const int scaledWidth = std::max(1, std::min(kIconWidth, w * sh / 100));
    if (h > kIconHeight || w > kIconWidth) {
        if (sw < sh) {
            ShrinkWidth(bitmap, kIconWidth);
            ShrinkHeight(bitmap, scaledHeight);
            PadHeight(bitmap);
        } else {
            ShrinkHeight(bitmap, kIconHeight);
            ShrinkWidth(bitmap, scaledWidth);
            PadWidth(bitmap);
        }
    } else if (sw < sh) {
        EnlargeWidth(bitmap, kIconWidth);
        EnlargeHeight(bitmap, scaledHeight);
        PadHeight(bitmap);
    } else {
        EnlargeHeight(bitmap, kIconHeight);
        EnlargeWidth(bitmap, scaledWidth);
        PadWidth(bitmap);
    }
}

}  // namespace orv
