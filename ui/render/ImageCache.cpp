#include "ui/render/ImageCache.h"

#include <cmath>
#include <string>

namespace zintra::ui {

int ImageCache::NearestVariantPercent(double scale) {
    int best = 100;
    double bestDistance = -1.0;
    for (const int percent : kVariantPercents) {
        const double distance = std::abs(scale * 100.0 - percent);
        // Ties go to the larger picture: shrinking keeps more detail than growing.
        if (bestDistance < 0.0 || distance <= bestDistance + 1e-9) {
            best = percent;
            bestDistance = distance;
        }
    }
    return best;
}

ImageCache::Variant ImageCache::FindForScale(std::string_view source, double scale) {
    const int percent = NearestVariantPercent(scale);
    if (percent != 100) {
        const std::string name = std::string(source) + "_" + std::to_string(percent);
        if (const PixelBuffer* picture = Find(name)) return {picture, percent / 100.0};
    }
    return {Find(source), 1.0};
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
