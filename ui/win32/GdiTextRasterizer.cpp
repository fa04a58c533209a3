#include "ui/win32/GdiTextRasterizer.h"

#include <algorithm>
#include <cstring>

#include "ui/render/Surface.h"

namespace zintra::ui {

namespace {

int CALLBACK FaceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool FaceInstalled(HDC dc, const std::wstring& face) {
    if (face.empty() || face.size() >= LF_FACESIZE) return false;
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    std::wcsncpy(query.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    bool found = false;
    EnumFontFamiliesExW(dc, &query, FaceFound, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

// Faces with Chinese glyphs, best first, for a layout face that is missing.
const wchar_t* const kChineseFallbacks[] = {L"Microsoft YaHei", L"\u5FAE\u8F6F\u96C5\u9ED1", L"SimSun",
                                            L"NSimSun", L"WenQuanYi Micro Hei", L"Noto Sans CJK SC",
                                            L"Droid Sans Fallback", L"Source Han Sans SC"};

}  // namespace

GdiTextRasterizer::GdiTextRasterizer() : measureDc_(CreateCompatibleDC(nullptr)) {}

GdiTextRasterizer::~GdiTextRasterizer() {
    if (measureDc_ != nullptr) DeleteDC(measureDc_);
    for (auto& [key, font] : fonts_) DeleteObject(font);
}

std::wstring GdiTextRasterizer::ResolveFace(const std::u16string& face) {
    auto it = faces_.find(face);
    if (it != faces_.end()) return it->second;
    std::wstring resolved(face.begin(), face.end());
    if (!FaceInstalled(measureDc_, resolved)) {
        for (const wchar_t* candidate : kChineseFallbacks) {
            if (FaceInstalled(measureDc_, candidate)) {
                resolved = candidate;
                break;
            }
        }
    }
    faces_.emplace(face, resolved);
    return resolved;
}

HFONT GdiTextRasterizer::FontFor(const Font& font) {
    const FontKey key{font.face, font.size, font.bold, font.italic, font.underline};
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second;
    LOGFONTW logFont{};
    logFont.lfHeight = -std::clamp(font.size, 1, 500);  // the size is the em height in pixels
    logFont.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
    logFont.lfItalic = font.italic ? TRUE : FALSE;
    logFont.lfUnderline = font.underline ? TRUE : FALSE;
    logFont.lfCharSet = DEFAULT_CHARSET;
    logFont.lfOutPrecision = OUT_TT_PRECIS;
    // Grey-scale: the glyph coverage must be the same in every colour channel.
    logFont.lfQuality = ANTIALIASED_QUALITY;
    const std::wstring face = ResolveFace(font.face);
    std::wcsncpy(logFont.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    HFONT handle = CreateFontIndirectW(&logFont);
    if (handle == nullptr) handle = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    fonts_.emplace(key, handle);
    return handle;
}

platform::Size GdiTextRasterizer::Measure(const Font& font, std::u16string_view text) {
    if (measureDc_ == nullptr) return {};
    HGDIOBJ old = SelectObject(measureDc_, FontFor(font));
    platform::Size size;
    if (text.empty()) {
        TEXTMETRICW metrics{};
        GetTextMetricsW(measureDc_, &metrics);
        size = {0, metrics.tmHeight};
    } else {
        RECT rect{0, 0, 0, 0};
        DrawTextW(measureDc_, reinterpret_cast<const wchar_t*>(text.data()), static_cast<int>(text.size()), &rect,
                  DT_CALCRECT | DT_NOPREFIX);
        size = {rect.right - rect.left, rect.bottom - rect.top};
    }
    SelectObject(measureDc_, old);
    return size;
}

CoverageMask GdiTextRasterizer::Rasterize(const Font& font, std::u16string_view text, platform::Size box,
                                          std::uint32_t mode) {
    CoverageMask mask;
    if (box.width <= 0 || box.height <= 0 || box.width > 8192 || box.height > 8192) return mask;
    if (!scratch_.Ensure(box.width, box.height)) return mask;
    GdiFlush();
    for (int y = 0; y < box.height; ++y) std::memset(scratch_.Row(y), 0, static_cast<std::size_t>(box.width) * 4);
    HDC dc = scratch_.Dc();
    HGDIOBJ old = SelectObject(dc, FontFor(font));
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, TRANSPARENT);
    RECT rect{0, 0, box.width, box.height};
    DrawTextW(dc, reinterpret_cast<const wchar_t*>(text.data()), static_cast<int>(text.size()), &rect,
              mode | DT_NOPREFIX);
    SelectObject(dc, old);
    GdiFlush();
    mask.width = box.width;
    mask.height = box.height;
    mask.values.resize(static_cast<std::size_t>(box.width) * box.height);
    for (int y = 0; y < box.height; ++y) {
        const std::uint32_t* row = scratch_.Row(y);
        for (int x = 0; x < box.width; ++x) {
            const std::uint32_t p = row[x];
            mask.values[static_cast<std::size_t>(y) * box.width + x] =
                static_cast<std::uint8_t>(std::max({(p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF}));
        }
    }
    return mask;
}

}  // namespace zintra::ui
