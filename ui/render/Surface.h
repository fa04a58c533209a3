// The narrow drawing interface controls paint through. Every call says its
// colour, font or picture, so a recording surface can test painting and each
// backend (GDI, off-screen PNG) draws the same commands.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Types.h"
#include "ui/render/Color.h"
#include "ui/render/Font.h"
#include "ui/render/Skin.h"

namespace zintra::ui {

// DrawText flags, with their Win32 values.
namespace text_mode {
inline constexpr std::uint32_t kLeft = 0x00;
inline constexpr std::uint32_t kCenter = 0x01;
inline constexpr std::uint32_t kRight = 0x02;
inline constexpr std::uint32_t kVCenter = 0x04;
inline constexpr std::uint32_t kBottom = 0x08;
inline constexpr std::uint32_t kWordBreak = 0x10;
inline constexpr std::uint32_t kSingleLine = 0x20;
inline constexpr std::uint32_t kEndEllipsis = 0x8000;
}  // namespace text_mode

class Surface {
public:
    virtual ~Surface() = default;
    virtual void FillRect(const platform::Rect& rect, Color color) = 0;
    // Widths are in layout units; 0 draws a hairline, one screen pixel wide
    // at every scale.
    virtual void FrameRect(const platform::Rect& rect, Color color, int width) = 0;
    virtual void DrawLine(platform::Point from, platform::Point to, Color color, int width) = 0;
    virtual void DrawText(const platform::Rect& rect, const std::u16string& text, const Font& font, Color color,
                          std::uint32_t textMode) = 0;
    // One state of a skin into `rect`: an image list's state cell, an image
    // frame stretched outside its margin or tiled.
    virtual void DrawSkin(const platform::Rect& rect, const Skin& skin, int state, std::uint8_t alpha) = 0;
    // Clips all drawing to the intersection with `rect` until the matching pop.
    virtual void PushClip(const platform::Rect& rect) = 0;
    virtual void PopClip() = 0;
};

}  // namespace zintra::ui
