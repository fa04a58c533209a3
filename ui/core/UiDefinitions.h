// The start-up definition: default font, the string, colour and skin tables
// and the global style classes every window may use.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "ui/render/Font.h"
#include "ui/render/Skin.h"
#include "ui/core/StyleSheet.h"

namespace zintra::ui {

using ResourceLoader = std::function<std::optional<std::string>(std::string_view typeAndName)>;

class UiDefinitions {
public:
    UiDefinitions();

    // Reads the definition document and the tables it names. A missing table
    // or a broken document leaves what was there; returns whether the
    // document itself could be read.
    bool Load(std::string_view document, const ResourceLoader& loader);

    const Font& DefaultFont() const { return defaultFont_; }
    const StyleSheet& Styles() const { return styles_; }
    const Skin* FindSkin(std::string_view name) const;
    std::optional<std::string> FindString(std::string_view name) const;
    std::optional<std::string> FindColor(std::string_view name) const;

    // "@string/name" and "@color/name" give the table's value; anything else
    // (including an unknown reference) is returned as it is.
    std::string ResolveReference(std::string_view value) const;

private:
    void LoadStrings(const std::string& document, std::map<std::string, std::string, std::less<>>& table);
    void LoadSkins(const std::string& document, const ResourceLoader& loader);

    Font defaultFont_;
    StyleSheet styles_;
    std::map<std::string, std::string, std::less<>> strings_;
    std::map<std::string, std::string, std::less<>> colors_;
    std::map<std::string, Skin, std::less<>> skins_;
};

}  // namespace zintra::ui
