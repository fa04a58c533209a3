// Layout units and screen pixels. Layouts are written in units of a 96-DPI
// pixel; a window on a denser monitor draws each unit over `scale` pixels
// (1.25 at 120 DPI, 1.5 at 144, 2 at 192). These two mappings are the only
// place where one becomes the other, so painting, hit testing and screen
// positions always agree.
#pragma once

#include <cmath>

namespace zintra::ui {

// The first pixel of a layout unit (the painter rounds edges the same way).
inline int PixelOfUnit(int unit, double scale) {
    if (scale == 1.0) return unit;
    return static_cast<int>(std::lround(unit * scale));
}

// The layout unit that a pixel is painted for: the inverse of PixelOfUnit.
inline int UnitOfPixel(int pixel, double scale) {
    if (scale == 1.0 || !(scale > 0.0)) return pixel;
    int unit = static_cast<int>(std::floor(pixel / scale));
    if (PixelOfUnit(unit + 1, scale) <= pixel) ++unit;
    if (PixelOfUnit(unit, scale) > pixel) --unit;
    return unit;
}

// The screen pixels per layout unit for a monitor's DPI.
inline double ScaleOfDpi(int dpi) { return dpi > 0 ? dpi / 96.0 : 1.0; }

}  // namespace zintra::ui
