#include "ui/freetype/FontconfigFaces.h"

#include <fontconfig/fontconfig.h>

#include "base/TextUtil.h"

namespace zintra::ui {

FontconfigFaces::FontconfigFaces() : loaded_(std::async(std::launch::async, [] { FcInit(); }).share()) {}

FontconfigFaces::~FontconfigFaces() {
    loaded_.wait();
    FcFini();
}

std::optional<FontFile> FontconfigFaces::Locate(const Font& font) const {
    loaded_.wait();
    FcPattern* pattern = FcPatternCreate();
    const std::string family = Utf16ToUtf8(font.face);
    if (!family.empty()) FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    // Chinese text must never come out as boxes: ask for a face that has it.
    FcLangSet* languages = FcLangSetCreate();
    FcLangSetAdd(languages, reinterpret_cast<const FcChar8*>("zh-cn"));
    FcPatternAddLangSet(pattern, FC_LANG, languages);
    FcPatternAddInteger(pattern, FC_WEIGHT, font.bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    std::optional<FontFile> found;
    if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
        FcChar8* file = nullptr;
        int index = 0;
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
            FcPatternGetInteger(match, FC_INDEX, 0, &index);
            found = FontFile{reinterpret_cast<const char*>(file), index};
        }
        FcPatternDestroy(match);
    }
    FcLangSetDestroy(languages);
    FcPatternDestroy(pattern);
    return found;
}

}  // namespace zintra::ui
