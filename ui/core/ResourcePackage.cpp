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

}  // namespace zintra::ui
