// Placing a gadget beside another one that was placed before it.
#pragma once

#include <cstdint>

// Sides: 1 right of the anchor, 2 below, 3 left of, 4 above; any other value
// counts as 1. For gaps, -2.0 means 5.0 and -1.0 keeps the coordinate; for
// factors, -2.0 means 1.0 and -1.0 keeps the size.
int PlaceRelative(int32_t anchor, int32_t target, int32_t side, double gapX, double gapY, double widthFactor,
                  double heightFactor);
