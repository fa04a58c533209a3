// Fonts as controls ask for them: a face and size that default to the
// start-up definition's, changed by "adding" points and styles.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zintra::ui {

// A concrete font: what a backend measures and draws with.
struct Font {
    std::u16string face;
    int size = 12;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    friend bool operator==(const Font&, const Font&) = default;
};

// A control's font request, from an attribute such as
// "face:微软雅黑,size:12,adding:3,bold:1,underline:1".
struct FontSpec {
    std::optional<std::u16string> face;
    std::optional<int> size;
    int adding = 0;
    std::optional<bool> bold;
    std::optional<bool> italic;
    std::optional<bool> underline;

    static FontSpec Parse(std::string_view text);
    // Later entries of other override this one's (class first, then the layout).
    void MergeFrom(const FontSpec& other);
    Font Resolve(const Font& base) const;
};

}  // namespace zintra::ui
