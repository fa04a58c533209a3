// Writes pictures as PNG files (libpng), so tests and people can look at
// windows rendered off-screen.
#pragma once

#include <string>

#include "ui/render/PixelBuffer.h"

namespace zintra::ui {

// False when the file cannot be written or the picture is empty.
bool WritePngFile(const PixelBuffer& picture, const std::string& path);

}  // namespace zintra::ui
