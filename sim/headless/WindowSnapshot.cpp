#include "sim/headless/WindowSnapshot.h"

#include "ui/core/HostRenderer.h"
#include "ui/core/ApplicationImages.h"
#include "ui/core/SApplication.h"
#include "ui/core/SHostWnd.h"
#include "sim/headless/HeadlessTextRasterizer.h"
#include "sim/headless/PngFile.h"

namespace zintra::ui {

namespace {

// The window as the Win32 backend paints it, with real glyphs where a font is at hand.
std::optional<PixelBuffer> Paint(SHostWnd& host) {
    if (SApplication::Instance() == nullptr || host.GetRoot() == nullptr) return std::nullopt;
    ImageCache images(ApplicationImageLoader());
    HeadlessTextRasterizer text;
    PixelBuffer picture;
    RenderHost(host, picture, images, text);
    return picture;
}

}  // namespace

std::optional<Bitmap> RenderWindow(SHostWnd& host) {
    auto picture = Paint(host);
    if (!picture) return std::nullopt;
    return picture->ToBitmap();
}

bool SaveWindowPng(SHostWnd& host, const std::string& path) {
    auto picture = Paint(host);
    return picture && WritePngFile(*picture, path);
}

}  // namespace zintra::ui
