#include "ui/core/TableResourcePackage.h"

#include "base/TextUtil.h"

namespace zintra::ui {

std::optional<std::string> TableResourcePackage::Load(std::string_view type, std::string_view name) const {
    for (const auto& entry : entries_) {
        if (EqualsIgnoringCase(entry.type, type) && EqualsIgnoringCase(entry.name, name)) {
            return std::string(reinterpret_cast<const char*>(entry.data), entry.size);
        }
    }
    return std::nullopt;
}

}  // namespace zintra::ui
