#include "ui/core/ApplicationImages.h"

#include <algorithm>
#include <cstring>

#include "ui/core/Backend.h"
#include "ui/core/SApplication.h"

namespace zintra::ui {

ImageCache::Loader ApplicationImageLoader() {
    return [](std::string_view source) -> std::optional<Bitmap> {
        SApplication* application = SApplication::Instance();
        if (application == nullptr) return std::nullopt;
        const auto bytes = application->LoadResource(source);
        if (!bytes) return std::nullopt;
        return application->GetBackend().DecodeImage(*bytes);
    };
}

std::optional<Bitmap> RenderSkinToBitmap(std::string_view skinName, int state) {
    SApplication* application = SApplication::Instance();
    if (application == nullptr) return std::nullopt;
    const Skin* skin = application->Definitions().FindSkin(skinName);
    if (skin == nullptr) return std::nullopt;
    const auto bytes = application->LoadResource(skin->source);
    if (!bytes) return std::nullopt;
    const auto picture = application->GetBackend().DecodeImage(*bytes);
    if (!picture || picture->Empty()) return std::nullopt;
    const int states = std::max(1, skin->states);
    const int width = picture->width / states;
    if (width <= 0) return std::nullopt;
    const int left = std::clamp(state, 0, states - 1) * width;
    Bitmap out;
    out.width = width;
    out.height = picture->height;
    out.pixels.resize(static_cast<std::size_t>(width) * picture->height * 4);
    for (int y = 0; y < picture->height; ++y) {
        std::memcpy(&out.pixels[static_cast<std::size_t>(y) * width * 4],
                    &picture->pixels[(static_cast<std::size_t>(y) * picture->width + left) * 4],
                    static_cast<std::size_t>(width) * 4);
    }
    return out;
}

}  // namespace zintra::ui
