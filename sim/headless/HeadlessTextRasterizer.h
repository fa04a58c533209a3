// Real glyphs for pictures made off-screen, from one CJK-capable font file
// (ZINTRA_FONT, else WenQuanYi Micro Hei) for every face, so snapshots of the
// windows can be read; the block glyphs when the file does not load.
#pragma once

#include "sim/headless/BlockTextRasterizer.h"
#include "ui/freetype/FreeTypeTextRasterizer.h"

namespace zintra::ui {

class HeadlessTextRasterizer final : public FreeTypeTextRasterizer {
public:
    HeadlessTextRasterizer();

private:
    BlockTextRasterizer blocks_;
};

}  // namespace zintra::ui
