#include "ui/win32/GdiplusDecoder.h"

#include "platform/win32/WindowsApi.h"

#include <objidl.h>
#include <shlwapi.h>
#include <gdiplus.h>

#include <cstring>

namespace zintra::ui {

using namespace Gdiplus;

GdiplusDecoder::GdiplusDecoder() = default;

GdiplusDecoder::~GdiplusDecoder() {
    if (token_ != 0) GdiplusShutdown(token_);
}

bool GdiplusDecoder::Started() const {
    if (!tried_) {
        tried_ = true;
        GdiplusStartupInput input;
        ULONG_PTR token = 0;
        if (GdiplusStartup(&token, &input, nullptr) == Ok) {
            token_ = token;
        } else {
            OutputDebugStringA("zintra: GdiplusStartup failed\n");
        }
    }
    return token_ != 0;
}

std::optional<Bitmap> GdiplusDecoder::Decode(std::string_view bytes) const {
    if (bytes.empty() || bytes.size() > 0x7FFFFFFF || !Started()) return std::nullopt;
    IStream* stream = SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()));
    if (stream == nullptr) return std::nullopt;
    GpBitmap* picture = nullptr;
    const Status created = DllExports::GdipCreateBitmapFromStream(stream, &picture);
    stream->Release();
    if (created != Ok || picture == nullptr) return std::nullopt;
    std::optional<Bitmap> out;
    UINT width = 0;
    UINT height = 0;
    DllExports::GdipGetImageWidth(picture, &width);
    DllExports::GdipGetImageHeight(picture, &height);
    if (width > 0 && height > 0 && width <= 16384 && height <= 16384) {
        GpRect area(0, 0, static_cast<INT>(width), static_cast<INT>(height));
        BitmapData data{};
        // 32bppARGB: straight alpha, bytes blue, green, red, alpha.
        if (DllExports::GdipBitmapLockBits(picture, &area, ImageLockModeRead, PixelFormat32bppARGB, &data) == Ok) {
            Bitmap bitmap;
            bitmap.width = static_cast<int>(width);
            bitmap.height = static_cast<int>(height);
            bitmap.pixels.resize(static_cast<std::size_t>(width) * height * 4);
            for (UINT y = 0; y < height; ++y) {
                const auto* row = static_cast<const std::uint8_t*>(data.Scan0) + static_cast<std::ptrdiff_t>(y) * data.Stride;
                std::uint8_t* to = &bitmap.pixels[static_cast<std::size_t>(y) * width * 4];
                for (UINT x = 0; x < width; ++x) {
                    to[x * 4 + 0] = row[x * 4 + 2];
                    to[x * 4 + 1] = row[x * 4 + 1];
                    to[x * 4 + 2] = row[x * 4 + 0];
                    to[x * 4 + 3] = row[x * 4 + 3];
                }
            }
            DllExports::GdipBitmapUnlockBits(picture, &data);
            out = std::move(bitmap);
        }
    }
    DllExports::GdipDisposeImage(picture);
    return out;
}

}  // namespace zintra::ui
