#include "ui/win32/Win32Icons.h"

#include <tuple>

#include "ui/render/IconDirectory.h"
#include "ui/core/ResourcePackage.h"
#include "base/TextUtil.h"
#include "ui/win32/Win32ResourcePackage.h"

namespace zintra::ui {

Win32Icons::~Win32Icons() {
    for (auto& [key, icon] : icons_) {
        if (icon != nullptr) DestroyIcon(icon);
    }
}

std::uintptr_t Win32Icons::Load(const ResourcePackage& package, std::string_view name, int size) {
    const auto key = std::make_tuple(&package, std::string(name), size);
    if (auto it = icons_.find(key); it != icons_.end()) return reinterpret_cast<std::uintptr_t>(it->second);
    HICON icon = nullptr;
    if (const auto* resources = dynamic_cast<const Win32ResourcePackage*>(&package)) {
        const std::u16string wide = Utf8ToUtf16(name);
        icon = static_cast<HICON>(LoadImageW(reinterpret_cast<HMODULE>(resources->Module()),
                                             reinterpret_cast<const wchar_t*>(wide.c_str()), IMAGE_ICON, size, size,
                                             size == 0 ? LR_DEFAULTSIZE : 0));
    } else if (const auto bytes = package.Load("ICON", name)) {
        if (const auto images = ReadIconDirectory(*bytes)) {
            for (const IconImage& image : *images) {
                if (size != 0 && image.width != size) continue;
                icon = CreateIconFromResourceEx(
                    reinterpret_cast<PBYTE>(const_cast<char*>(bytes->data() + image.offset)), image.size, TRUE,
                    0x00030000, image.width, image.height, 0);
                break;
            }
        }
    }
    // Missing icons are remembered too, so they are looked for once.
    icons_[key] = icon;
    return reinterpret_cast<std::uintptr_t>(icon);
}

}  // namespace zintra::ui
