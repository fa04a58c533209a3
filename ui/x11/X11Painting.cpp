// Painting host windows: the software surface's picture put on the X window
// (cut to its alpha without a compositor), the caret, the pointer's shape.
#include <X11/cursorfont.h>
#include <X11/extensions/shape.h>

#include <vector>

#include "ui/core/SHostWnd.h"
#include "ui/core/UiMapWriter.h"
#include "ui/core/HostRenderer.h"
#include "ui/render/SoftwareSurface.h"
#include "ui/x11/X11Backend.h"
#include "ui/x11/X11BackendParts.h"

namespace zintra::ui {

using platform::NativeWindow;

namespace {

// What shows through translucent pixels when no compositor blends them.
constexpr std::uint32_t kBackdrop = 0xFFFFFFFF;

// The control under a point and its cursor (inherited from its parents).
std::string CursorName(SWindow* control) {
    for (SWindow* w = control; w != nullptr; w = w->GetParent()) {
        if (!w->GetCursor().empty()) return w->GetCursor();
    }
    return {};
}

std::uint32_t Over(std::uint32_t premultiplied, std::uint32_t backdrop) { return BlendOver(backdrop, premultiplied); }

}  // namespace

void X11Backend::Render(Host& host) {
    if (host.host == nullptr) return;
    RenderHost(*host.host, host.picture, images_, text_, scale_);
    if (host.caret && host.caretOn && !host.picture.Empty()) {
        SoftwareSurface surface(host.picture, images_, text_, scale_);
        surface.FillRect(*host.caret, Color{0, 0, 0, 255});
    }
    host.dirty = false;
    Present(host);
    UiMapWriter::Instance().Refresh();
}

void X11Backend::PutPicture(Window window, GC gc, const PixelBuffer& picture, bool argb, Visual* visual, int depth) {
    if (picture.Empty()) return;
    std::vector<std::uint32_t> pixels(picture.pixels);
    if (!argb) {
        for (auto& p : pixels) p = Over(p, kBackdrop) | 0xFF000000u;
    }
    XImage* image = XCreateImage(display_, visual, static_cast<unsigned>(depth), ZPixmap, 0,
                                 reinterpret_cast<char*>(pixels.data()), static_cast<unsigned>(picture.width),
                                 static_cast<unsigned>(picture.height), 32, 0);
    if (image == nullptr) return;
    XPutImage(display_, window, gc, image, 0, 0, 0, 0, static_cast<unsigned>(picture.width),
              static_cast<unsigned>(picture.height));
    image->data = nullptr;  // ours, not Xlib's
    XDestroyImage(image);
}

void X11Backend::ShapeFromAlpha(Window window, const PixelBuffer& picture) {
    // Without a compositor the fully transparent parts (rounded corners,
    // shadows) are cut out of the window instead.
    const int stride = (picture.width + 7) / 8;
    std::vector<char> bits(static_cast<std::size_t>(stride) * picture.height, 0);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            if ((picture.At(x, y) >> 24) >= 0x40) bits[static_cast<std::size_t>(y) * stride + x / 8] |= static_cast<char>(1 << (x % 8));
        }
    }
    Pixmap mask = XCreateBitmapFromData(display_, window, bits.data(), static_cast<unsigned>(picture.width),
                                        static_cast<unsigned>(picture.height));
    XShapeCombineMask(display_, window, ShapeBounding, 0, 0, mask, ShapeSet);
    XFreePixmap(display_, mask);
}

void X11Backend::Present(Host& host) {
    if (host.picture.Empty()) return;
    if (host.translucent && !host.argb) ShapeFromAlpha(host.xid, host.picture);
    PutPicture(host.xid, host.gc, host.picture, host.argb, host.visual, host.depth);
    XFlush(display_);
}

void X11Backend::RenderDirty() {
    for (auto& [window, host] : hosts_) {
        if (!host->destroying && host->dirty) Render(*host);
    }
}

void X11Backend::UpdateCursor(Host& host, int x, int y) {
    if (host.host == nullptr || host.host->GetRoot() == nullptr) return;
    SWindow* hit = host.host->GetCapture() != nullptr ? host.host->GetCapture() : host.host->GetRoot()->HitTest({x, y});
    const std::string name = CursorName(hit);
    int shape = XC_left_ptr;
    if (name == "hand") shape = XC_hand2;
    if (name == "ibeam") shape = XC_xterm;
    if (name == "cross" || name == "crosshair") shape = XC_crosshair;
    if (shape == host.cursor) return;
    host.cursor = shape;
    auto& cursor = cursors_[shape];
    if (cursor == 0) cursor = XCreateFontCursor(display_, static_cast<unsigned>(shape));
    XDefineCursor(display_, host.xid, cursor);
}

void X11Backend::ShowCaret(NativeWindow window, const platform::Rect& rect) {
    Host* host = FindHost(window);
    if (host == nullptr) return;
    host->caret = rect;
    host->caretOn = true;
    host->caretDue = NowMicroseconds() + kCaretBlinkMicroseconds;
    host->dirty = true;
}

void X11Backend::HideCaret(NativeWindow window) {
    Host* host = FindHost(window);
    if (host == nullptr || !host->caret) return;
    host->caret.reset();
    host->dirty = true;
}

platform::Size X11Backend::MeasureText(const Font& font, std::u16string_view text) { return text_.Measure(font, text); }

}  // namespace zintra::ui
