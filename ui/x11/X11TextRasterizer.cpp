#include "ui/x11/X11TextRasterizer.h"

namespace zintra::ui {

// The locator runs only once the rasterizer is asked, when faces_ exists.
X11TextRasterizer::X11TextRasterizer()
    : FreeTypeTextRasterizer([this](const Font& font) { return faces_.Locate(font); }) {}

}  // namespace zintra::ui
