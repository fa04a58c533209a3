#include "ui/core/UiDefinitions.h"
#include "ui/core/LayoutXml.h"

#include <algorithm>

#include <pugixml.hpp>

#include "base/TextUtil.h"

namespace zintra::ui {

namespace {

platform::Rect ParseSkinMargin(std::string_view text) {
    int values[4] = {0, 0, 0, 0};
    int count = 0;
    while (count < 4) {
        const auto comma = text.find(',');
        values[count++] = std::max(0, ParseIntOr(text.substr(0, comma), 0));
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    if (count == 1) return {values[0], values[0], values[0], values[0]};
    if (count == 2) return {values[0], values[1], values[0], values[1]};
    return {values[0], values[1], values[2], values[3]};
}

}  // namespace

UiDefinitions::UiDefinitions() { defaultFont_.face = u"微软雅黑"; }

bool UiDefinitions::Load(std::string_view document, const ResourceLoader& loader) {
    pugi::xml_document xml;
    if (!xml.load_buffer(document.data(), document.size())) return false;
    const auto root = xml.document_element();
    if (!root) return false;
    if (const auto font = root.child("font")) {
        const std::string face = font.attribute("face").as_string();
        if (!face.empty()) defaultFont_.face = Utf8ToUtf16(face);
        const int size = ParseIntOr(font.attribute("size").as_string(), 0);
        if (size > 0 && size < 1000) defaultFont_.size = size;
    }
    if (const auto strings = root.child("string")) {
        if (auto text = loader(strings.attribute("src").as_string())) LoadStrings(*text, strings_);
    }
    if (const auto colors = root.child("color")) {
        if (auto text = loader(colors.attribute("src").as_string())) LoadStrings(*text, colors_);
    }
    if (const auto skins = root.child("skin")) {
        if (auto text = loader(skins.attribute("src").as_string())) LoadSkins(*text, loader);
    }
    for (const auto& style : root.children("style")) styles_.Load(LayoutElement{style});
    return true;
}

void UiDefinitions::LoadStrings(const std::string& document, std::map<std::string, std::string, std::less<>>& table) {
    pugi::xml_document xml;
    if (!xml.load_buffer(document.data(), document.size())) return;
    for (const auto& entry : xml.document_element().children()) {
        if (entry.type() != pugi::node_element) continue;
        table[entry.name()] = entry.attribute("value").as_string();
    }
}

void UiDefinitions::LoadSkins(const std::string& document, const ResourceLoader& loader) {
    pugi::xml_document xml;
    if (!xml.load_buffer(document.data(), document.size())) return;
    for (const auto& entry : xml.document_element().children()) {
        if (entry.type() != pugi::node_element) continue;
        Skin skin;
        skin.name = entry.attribute("name").as_string();
        if (skin.name.empty()) continue;
        const std::string kind = entry.name();
        skin.kind = kind == "imglist" ? Skin::Kind::ImageList : Skin::Kind::ImageFrame;
        skin.source = entry.attribute("src").as_string();
        skin.states = std::clamp(ParseIntOr(entry.attribute("states").as_string(), 1), 1, 64);
        skin.margin = ParseSkinMargin(entry.attribute("margin").as_string());
        skin.tile = ParseBoolOr(entry.attribute("tile").as_string(), false);
        if (auto bytes = loader(skin.source)) {
            if (auto size = PngSize(*bytes)) skin.imageSize = *size;
        }
        skins_[skin.name] = std::move(skin);
    }
}

const Skin* UiDefinitions::FindSkin(std::string_view name) const {
    auto it = skins_.find(name);
    return it == skins_.end() ? nullptr : &it->second;
}

std::optional<std::string> UiDefinitions::FindString(std::string_view name) const {
    auto it = strings_.find(name);
    if (it == strings_.end()) return std::nullopt;
    return it->second;
}

std::optional<std::string> UiDefinitions::FindColor(std::string_view name) const {
    auto it = colors_.find(name);
    if (it == colors_.end()) return std::nullopt;
    return it->second;
}

std::string UiDefinitions::ResolveReference(std::string_view value) const {
    if (value.starts_with("@string/")) {
        if (auto text = FindString(value.substr(8))) return *text;
    } else if (value.starts_with("@color/")) {
        if (auto text = FindColor(value.substr(7))) return *text;
    }
    return std::string(value);
}

}  // namespace zintra::ui
