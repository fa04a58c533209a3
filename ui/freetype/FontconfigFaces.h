// Which font file draws a layout's face name on this desktop: fontconfig's
// pick for the name and weight, with Chinese coverage, so the layouts'
// "微软雅黑" text is drawn by whatever CJK font the desktop has (the package
// depends on one).
#pragma once

#include <optional>

#include "ui/freetype/FreeTypeTextRasterizer.h"

namespace zintra::ui {

class FontconfigFaces {
public:
    FontconfigFaces() = default;
    // The program's only fontconfig user: its caches go with it.
    ~FontconfigFaces();
    FontconfigFaces(const FontconfigFaces&) = delete;
    FontconfigFaces& operator=(const FontconfigFaces&) = delete;

    // Nothing when fontconfig matches no file.
    std::optional<FontFile> Locate(const Font& font) const;
};

}  // namespace zintra::ui
