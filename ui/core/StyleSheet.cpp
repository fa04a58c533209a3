#include "ui/core/StyleSheet.h"
#include "ui/core/LayoutXml.h"

#include <cstring>

namespace zintra::ui {

void StyleSheet::Load(const LayoutElement& element) {
    const pugi::xml_node& style = element.node;
    for (const auto& node : style.children("class")) {
        const std::string name = node.attribute("name").as_string();
        if (name.empty()) continue;
        AttributeList attributes;
        for (const auto& attribute : node.attributes()) {
            if (std::strcmp(attribute.name(), "name") == 0) continue;
            attributes.emplace_back(attribute.name(), attribute.value());
        }
        classes_[name] = std::move(attributes);
    }
}

const AttributeList* StyleSheet::Find(const std::string& name) const {
    auto it = classes_.find(name);
    return it == classes_.end() ? nullptr : &it->second;
}

}  // namespace zintra::ui
