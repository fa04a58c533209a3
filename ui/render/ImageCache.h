// Decoded skin pictures by resource name, premultiplied and kept for the
// process, so painting never decodes a PNG twice. A missing or broken
// picture is remembered as missing and simply not drawn.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "ui/render/Bitmap.h"
#include "ui/render/PixelBuffer.h"

namespace zintra::ui {

class ImageCache {
public:
    // Returns the straight-alpha pixels of a resource such as "IMG:png_logo".
    using Loader = std::function<std::optional<Bitmap>(std::string_view source)>;

    // ApplicationImageLoader (ui/core/ApplicationImages.h) reads through the
    // running application's providers and backend.
    explicit ImageCache(Loader loader) : loader_(std::move(loader)) {}

    // Null when the picture is missing or does not decode.
    const PixelBuffer* Find(std::string_view source);

    // Pictures come drawn for 1x and, as "<source>_150" and "<source>_200",
    // for 1.5x and 2x screens; the toolkit draws the one nearest the
    // window's scale (the larger of two equally near), so a picture is
    // rarely stretched and never blurred.
    struct Variant {
        const PixelBuffer* picture = nullptr;  // null when even 1x is missing
        double scale = 1.0;                    // pixels per layout unit of `picture`
    };
    static constexpr int kVariantPercents[] = {100, 150, 200};
    static int NearestVariantPercent(double scale);
    // The nearest variant there is; 1x when the nearest one is missing.
    Variant FindForScale(std::string_view source, double scale);
    void Clear() { images_.clear(); }
    std::size_t Size() const { return images_.size(); }

private:
    Loader loader_;
    std::map<std::string, PixelBuffer, std::less<>> images_;
};

}  // namespace zintra::ui
