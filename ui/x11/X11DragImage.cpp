// The drag image: an override-redirect window under the pointer that never
// takes the mouse, translucent with a compositor, cut to its shape without.
#include <X11/extensions/shape.h>

#include "ui/core/CDragWnd.h"
#include "ui/x11/X11Backend.h"
#include "ui/x11/X11BackendParts.h"

namespace zintra::ui {

bool X11Backend::BeginDragImage(const Bitmap& image, platform::Point hotSpot, std::uint32_t colorKey,
                                std::uint8_t alpha, std::uint32_t flags) {
    if (drag_ || image.Empty()) return false;
    PixelBuffer pixels = PixelBuffer::FromBitmap(image);
    if (flags & CDragWnd::kColorKey) {
        // The key is a COLORREF (0x00BBGGRR); its pixels become holes.
        const std::uint32_t key = 0xFF000000 | ((colorKey & 0xFF) << 16) | (colorKey & 0xFF00) | ((colorKey >> 16) & 0xFF);
        for (auto& p : pixels.pixels) {
            if (p == key) p = 0;
        }
    }
    const std::uint8_t opacity = (flags & CDragWnd::kAlpha) ? alpha : 255;
    auto popup = std::make_unique<Popup>();
    popup->hotSpot = hotSpot;
    popup->alpha = opacity;
    popup->Create(display_, screen_, Translucent(true), {0, 0, pixels.width, pixels.height}, ExposureMask);
    if (popup->argb) {
        for (auto& p : pixels.pixels) p = ScalePixel(p, opacity);
    } else {
        ShapeFromAlpha(popup->xid, pixels);
    }
    popup->picture = std::move(pixels);
    // The image never takes the mouse: whatever is below it gets the pointer.
    XShapeCombineRectangles(display_, popup->xid, ShapeInput, 0, 0, nullptr, 0, ShapeSet, Unsorted);
    drag_ = std::move(popup);
    return true;
}

void X11Backend::MoveDragImage(platform::Point screenPoint) {
    if (!drag_) return;
    XMoveWindow(display_, drag_->xid, screenPoint.x - drag_->hotSpot.x, screenPoint.y - drag_->hotSpot.y);
    XWindowAttributes attributes{};
    XGetWindowAttributes(display_, drag_->xid, &attributes);
    if (attributes.map_state != IsViewable) {
        XMapRaised(display_, drag_->xid);
        XSync(display_, False);
    }
    PutPicture(drag_->xid, drag_->gc, drag_->picture, drag_->argb, drag_->visual, drag_->depth);
    XFlush(display_);
}

void X11Backend::EndDragImage() { drag_.reset(); }

}  // namespace zintra::ui
