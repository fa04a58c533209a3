#include "sim/headless/PngFile.h"

#include <png.h>

namespace zintra::ui {

bool WritePngFile(const PixelBuffer& picture, const std::string& path) {
    if (picture.Empty()) return false;
    const Bitmap straight = picture.ToBitmap();
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(straight.width);
    image.height = static_cast<png_uint_32>(straight.height);
    image.format = PNG_FORMAT_RGBA;
    const bool written = png_image_write_to_file(&image, path.c_str(), 0, straight.pixels.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return written;
}

}  // namespace zintra::ui
