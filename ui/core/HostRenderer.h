// Paints a host window's control tree into a picture of its client area, the
// same way for the screen (Win32) and for files (headless tests).
#pragma once

#include "ui/render/ImageCache.h"
#include "ui/render/PixelBuffer.h"
#include "ui/render/TextRasterizer.h"

namespace zintra::ui {

class SHostWnd;

// Fills `target` (resized to the client size times `scale`) with the window:
// transparent where no control paints.
void RenderHost(SHostWnd& host, PixelBuffer& target, ImageCache& images, TextRasterizer& text, double scale = 1.0);

}  // namespace zintra::ui
