// Glyphs for the X11 backend: FreeType faces that fontconfig picks for the
// layout's face name with Chinese coverage, so the layouts' "微软雅黑" text is
// drawn by whatever CJK font the desktop has (the package depends on one).
// Laid out like the off-screen engine, so windows look as in their snapshots.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "ui/render/TextRasterizer.h"

namespace zintra::ui {

class X11TextRasterizer final : public TextRasterizer {
public:
    X11TextRasterizer();
    ~X11TextRasterizer() override;
    X11TextRasterizer(const X11TextRasterizer&) = delete;
    X11TextRasterizer& operator=(const X11TextRasterizer&) = delete;

    platform::Size Measure(const Font& font, std::u16string_view text) override;
    CoverageMask Rasterize(const Font& font, std::u16string_view text, platform::Size box, std::uint32_t mode) override;

    // The font file chosen for a face name (for the tests' logs); empty when none.
    std::string FileFor(const Font& font);

private:
    struct Face;
    Face* FaceFor(const Font& font);
    int Advance(Face& face, const Font& font, char16_t c);

    struct Library;
    std::unique_ptr<Library> library_;
    std::map<std::string, std::unique_ptr<Face>> faces_;      // by file and index
    std::map<std::u16string, Face*> byRequest_;               // by face name and weight
};

}  // namespace zintra::ui
