// The drag image window: a picture that follows the cursor during a drag,
// top-most and ignoring the mouse. At most one exists in the process.
#pragma once

#include <cstdint>

#include "platform/Types.h"
#include "ui/render/Bitmap.h"

namespace zintra::ui {

class CDragWnd {
public:
    // Flags: 1 colour key, 2 constant alpha (as UpdateLayeredWindow takes them).
    static constexpr std::uint32_t kColorKey = 1;
    static constexpr std::uint32_t kAlpha = 2;

    // Does nothing (and returns false) while a drag window exists.
    static bool DragBegin(const Bitmap& image, platform::Point hotSpot, std::uint32_t colorKey, std::uint8_t alpha,
                          std::uint32_t flags);
    // Places the picture so its hot spot is at the screen point, and shows it.
    static void DragMove(platform::Point screenPoint);
    static void DragEnd();
    static bool IsDragging();
};

}  // namespace zintra::ui
