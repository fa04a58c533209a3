// Which font file draws a layout's face name on this desktop: fontconfig's
// pick for the name and weight, with Chinese coverage, so the layouts'
// "微软雅黑" text is drawn by whatever CJK font the desktop has (the package
// depends on one).
#pragma once

#include <future>
#include <optional>

#include "ui/freetype/FreeTypeTextRasterizer.h"

namespace zintra::ui {

class FontconfigFaces {
public:
    // Starts reading fontconfig's configuration and caches (some 50 ms) on a
    // thread of its own, so the start goes on towards the first window meanwhile.
    FontconfigFaces();
    // The program's only fontconfig user: its caches go with it.
    ~FontconfigFaces();
    FontconfigFaces(const FontconfigFaces&) = delete;
    FontconfigFaces& operator=(const FontconfigFaces&) = delete;

    // Nothing when fontconfig matches no file. Waits for the reading.
    std::optional<FontFile> Locate(const Font& font) const;

private:
    std::shared_future<void> loaded_;
};

}  // namespace zintra::ui
