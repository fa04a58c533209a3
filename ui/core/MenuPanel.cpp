#include "ui/core/MenuPanel.h"

#include <algorithm>

#include "ui/core/Backend.h"
#include "ui/core/SApplication.h"
#include "ui/render/Skin.h"
#include "ui/render/Surface.h"

namespace zintra::ui {

namespace {

constexpr Color kMenuBackground{0xFF, 0xFF, 0xFF, 255};
constexpr Color kFrame{0xCC, 0xCC, 0xCC, 255};
constexpr Color kSeparator{0xDD, 0xDD, 0xDD, 255};
constexpr Color kHighlight{0xD9, 0xEE, 0xEE, 255};
constexpr Color kMenuText{0x33, 0x33, 0x33, 255};
constexpr Color kDisabledText{0xAA, 0xAA, 0xAA, 255};
// Room right of the text, where an item with a sub-menu shows its arrow.
constexpr int kTrailing = 24;

}  // namespace

MenuPanel::MenuPanel(Backend& backend, const MenuData& menu, const std::vector<MenuItem>& items)
    : PopupWindow(backend), menu_(menu), items_(items), font_(PopupFont()) {
    const SApplication* application = SApplication::Instance();
    if (application != nullptr && !menu.iconSkin.empty()) iconSkin_ = application->Definitions().FindSkin(menu.iconSkin);
    if (iconSkin_ != nullptr) iconWidth_ = iconSkin_->StateSize().width;
    int bottom = kEdge;
    for (const MenuItem& item : items_) {
        tops_.push_back(bottom);
        bottom += item.separator ? kSeparatorHeight : menu.itemHeight;
        const int textWidth = backend.MeasureText(font_, item.text).width;
        size_.width = std::max(size_.width, menu.iconMargin + iconWidth_ + menu.textMargin + textWidth + kTrailing);
    }
    size_.height = bottom + kEdge;
}

int MenuPanel::ItemAt(platform::Point point) const {
    if (point.x < 0 || point.x >= size_.width || point.y < 0 || point.y >= size_.height) return -1;
    for (int i = 0; i < Count(); ++i) {
        const bool separator = Item(i).separator;
        const int bottom = ItemTop(i) + (separator ? kSeparatorHeight : menu_.itemHeight);
        if (point.y >= ItemTop(i) && point.y < bottom) return separator ? -1 : i;
    }
    return -1;
}

bool MenuPanel::Usable(int index) const {
    return index >= 0 && index < Count() && !Item(index).separator && !Item(index).disabled;
}

int MenuPanel::Step(int from, int step) const {
    const int count = Count();
    int next = from;
    for (int tries = 0; tries < count; ++tries) {
        next = ((next < 0 ? (step > 0 ? -1 : count) : next) + step + count) % count;
        if (Usable(next)) return next;
    }
    return from;
}

void MenuPanel::SetHover(int index) {
    if (index == hover_) return;
    hover_ = index;
    Refresh();
}

void MenuPanel::PaintPopup(Surface& surface) {
    surface.FillRect({0, 0, size_.width, size_.height}, kMenuBackground);
    surface.FrameRect({0, 0, size_.width, size_.height}, kFrame, 0);  // a hairline
    for (int i = 0; i < Count(); ++i) PaintItem(surface, i);
}

void MenuPanel::PaintItem(Surface& surface, int index) const {
    const MenuItem& item = Item(index);
    const int top = ItemTop(index);
    if (item.separator) {
        const int line = top + kSeparatorHeight / 2;
        surface.FillRect({4, line, size_.width - 4, line + 1}, kSeparator);
        return;
    }
    if (index == hover_ && !item.disabled) surface.FillRect({1, top, size_.width - 1, top + menu_.itemHeight}, kHighlight);
    int x = menu_.iconMargin;
    if (iconSkin_ != nullptr && item.icon >= 0) {
        const platform::Size icon = iconSkin_->StateSize();
        const int iconTop = top + (menu_.itemHeight - icon.height) / 2;
        surface.DrawSkin({x, iconTop, x + icon.width, iconTop + icon.height}, *iconSkin_, item.icon,
                         item.disabled ? 128 : 255);
    }
    x += iconWidth_ + menu_.textMargin;
    const Color text = item.disabled ? kDisabledText : kMenuText;
    surface.DrawText({x, top, size_.width, top + menu_.itemHeight}, item.text, font_, text,
                     text_mode::kSingleLine | text_mode::kVCenter);
    if (!item.children.empty()) PaintArrow(surface, top, text);
}

// A small right-pointing triangle, one line a row, centred on the item.
void MenuPanel::PaintArrow(Surface& surface, int top, Color color) const {
    constexpr int kHalf = 4;
    const int x = size_.width - kTrailing / 2 - kHalf / 2;
    const int middle = top + menu_.itemHeight / 2;
    for (int row = -kHalf; row <= kHalf; ++row) {
        const int length = kHalf - (row < 0 ? -row : row);
        surface.FillRect({x, middle + row, x + length + 1, middle + row + 1}, color);
    }
}

}  // namespace zintra::ui
