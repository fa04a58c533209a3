#include "sim/headless/HeadlessTextRasterizer.h"

#include <cstdlib>

namespace zintra::ui {

namespace {

std::optional<FontFile> SnapshotFont(const Font&) {
    const char* path = std::getenv("ZINTRA_FONT");
    return FontFile{path != nullptr ? path : "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc", 0};
}

}  // namespace

// blocks_ is only drawn with once the rasterizer is asked, when it exists.
HeadlessTextRasterizer::HeadlessTextRasterizer() : FreeTypeTextRasterizer(SnapshotFont, &blocks_) {}

}  // namespace zintra::ui
