// Paints a host window off-screen, for picture checks and for looking at a
// layout without Windows.
#pragma once

#include <optional>
#include <string>

#include "ui/render/Bitmap.h"

namespace zintra::ui {

class SHostWnd;

// The window's client area as pixels; nothing when it has no controls.
std::optional<Bitmap> RenderWindow(SHostWnd& host);
// Writes the window's picture as a PNG file; false on failure.
bool SaveWindowPng(SHostWnd& host, const std::string& path);

}  // namespace zintra::ui
