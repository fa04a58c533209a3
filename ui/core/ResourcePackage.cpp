#include "ui/core/ResourcePackage.h"

#include "base/TextUtil.h"

namespace zintra::ui {

std::optional<ResourceName> ResourceName::Parse(std::string_view typeAndName) {
    const auto colon = typeAndName.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    ResourceName result{std::string(Trim(typeAndName.substr(0, colon))), std::string(Trim(typeAndName.substr(colon + 1)))};
    if (result.type.empty() || result.name.empty()) return std::nullopt;
    return result;
}

std::optional<std::string> ResourcePackage::Load(std::string_view typeAndName) const {
    const auto parsed = ResourceName::Parse(typeAndName);
    if (!parsed) return std::nullopt;
    return Load(parsed->type, parsed->name);
}

std::optional<PackagedIcon> LoadPackagedIcon(const ResourcePackage& package, std::string_view name, int size) {
    auto bytes = package.Load("ICON", name);
    if (!bytes) return std::nullopt;
    const auto images = ReadIconDirectory(*bytes);
    if (!images) return std::nullopt;
    for (const auto& image : *images) {
        if (size == 0 || image.width == size) return PackagedIcon{std::move(*bytes), image};
    }
    return std::nullopt;
}

}  // namespace zintra::ui
