// Text measured and drawn by GDI. Glyphs are drawn white on black into a
// scratch DIB with grey-scale anti-aliasing, and the result is used as
// coverage, so text lands on our premultiplied pictures with correct alpha
// (GDI itself would wipe the alpha of every pixel it touches). A face that is
// not installed falls back to one that has Chinese glyphs.
#pragma once

#include "platform/win32/WindowsApi.h"

#include <map>
#include <string>
#include <tuple>

#include "ui/render/TextRasterizer.h"
#include "ui/win32/DibSection.h"

namespace zintra::ui {

class GdiTextRasterizer final : public TextRasterizer {
public:
    GdiTextRasterizer();
    ~GdiTextRasterizer() override;
    GdiTextRasterizer(const GdiTextRasterizer&) = delete;
    GdiTextRasterizer& operator=(const GdiTextRasterizer&) = delete;

    platform::Size Measure(const Font& font, std::u16string_view text) override;
    CoverageMask Rasterize(const Font& font, std::u16string_view text, platform::Size box, std::uint32_t mode) override;

    // A GDI font for the request (cached for the process).
    HFONT FontFor(const Font& font);
    // The face actually used for a requested one.
    std::wstring ResolveFace(const std::u16string& face);

private:
    using FontKey = std::tuple<std::u16string, int, bool, bool, bool>;
    std::map<FontKey, HFONT> fonts_;
    std::map<std::u16string, std::wstring> faces_;
    HDC measureDc_ = nullptr;
    DibSection scratch_;
};

}  // namespace zintra::ui
