#include "toolkit/placement.h"

#include <cmath>
#include <cstdint>

#include "shell/platform.h"

namespace {

// Halfway cases go to the even neighbour (nearbyint under the default
// rounding mode), so 22.5 gives 22 and 23.5 gives 24.
// Results beyond what a coordinate can hold are pinned to its range rather
// than overflowing the conversion.
int32_t RoundPixel(double value) {
    double rounded = std::nearbyint(value);
    if (!(rounded >= -2147483648.0)) return INT32_MIN; // NaN too
    if (rounded > 2147483647.0) return INT32_MAX;
    return static_cast<int32_t>(rounded);
}

} // namespace

int PlaceRelative(int32_t anchor, int32_t target, int32_t side, double gapX, double gapY, double widthFactor,
                  double heightFactor) {
    if (anchor == 0 || !platform::GadgetExists(anchor)) return 0;
    const platform::Geometry a = platform::GadgetGeometry(anchor);
    const double ax = a.x, ay = a.y, aw = a.width, ah = a.height;
    if (target == 0 || !platform::GadgetExists(target)) return 0;

    // The special values are exact sentinels; anything else is a plain number.
    if (gapX == -2.0) gapX = 5.0;
    if (gapY == -2.0) gapY = 5.0;
    if (widthFactor == -2.0) widthFactor = 1.0;
    if (heightFactor == -2.0) heightFactor = 1.0;
    const bool keepWidth = widthFactor == -1.0;
    const bool keepHeight = heightFactor == -1.0;
    const bool keepX = gapX == -1.0;
    const bool keepY = gapY == -1.0;

    const int32_t newWidth = keepWidth ? IgnoreValue : RoundPixel(aw * widthFactor);
    const int32_t newHeight = keepHeight ? IgnoreValue : RoundPixel(ah * heightFactor);

    // Left of and above offset by the target's own size. When that size is
    // kept, its current value is the offset, so the target still ends up the
    // gap away from the anchor.
    const platform::Geometry t = platform::GadgetGeometry(target);
    const double offsetWidth = keepWidth ? t.width : newWidth;
    const double offsetHeight = keepHeight ? t.height : newHeight;

    int32_t newX, newY;
    switch (side) {
    case 2: // below
        newX = RoundPixel(ax);
        newY = RoundPixel(ay + ah + gapY);
        break;
    case 3: // left of
        newX = RoundPixel(ax - gapX - offsetWidth);
        newY = RoundPixel(ay);
        break;
    case 4: // above
        newX = RoundPixel(ax);
        newY = RoundPixel(ay - offsetHeight - gapY);
        break;
    default: // right of
        newX = RoundPixel(ax + aw + gapX);
        newY = RoundPixel(ay);
        break;
    }
    if (keepX) newX = IgnoreValue;
    if (keepY) newY = IgnoreValue;

    platform::MoveGadget(target, newX, newY, newWidth, newHeight);
    return 0;
}
