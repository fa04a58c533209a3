// Glyphs for the X11 backend: the shared FreeType rasterizer with faces that
// fontconfig picks for the layout's face name, laid out like the off-screen
// pictures of the tests, so windows look as in their snapshots.
#pragma once

#include "ui/freetype/FontconfigFaces.h"
#include "ui/freetype/FreeTypeTextRasterizer.h"

namespace zintra::ui {

class X11TextRasterizer final : public FreeTypeTextRasterizer {
public:
    X11TextRasterizer();

private:
    FontconfigFaces faces_;
};

}  // namespace zintra::ui
