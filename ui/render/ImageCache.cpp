#include "ui/render/ImageCache.h"

#include "ui/core/Backend.h"
#include "ui/core/SApplication.h"

namespace zintra::ui {

ImageCache::Loader ImageCache::ApplicationLoader() {
    return [](std::string_view source) -> std::optional<Bitmap> {
        SApplication* application = SApplication::Instance();
        if (application == nullptr) return std::nullopt;
        const auto bytes = application->LoadResource(source);
        if (!bytes) return std::nullopt;
        return application->GetBackend().DecodeImage(*bytes);
    };
}

const PixelBuffer* ImageCache::Find(std::string_view source) {
    auto it = images_.find(source);
    if (it == images_.end()) {
        PixelBuffer picture;
        if (loader_) {
            if (auto bitmap = loader_(source)) picture = PixelBuffer::FromBitmap(*bitmap);
        }
        it = images_.emplace(std::string(source), std::move(picture)).first;
    }
    return it->second.Empty() ? nullptr : &it->second;
}

}  // namespace zintra::ui
