#include "sim/headless/PopupScript.h"

#include <vector>

#include "platform/Messages.h"
#include "ui/core/DropDownPopup.h"
#include "ui/core/PopupMenu.h"

namespace zintra::ui::popup_script {

namespace {

// The indices of the items from the root down to the one with `id`.
bool PathTo(const std::vector<MenuItem>& items, int id, std::vector<int>& path) {
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        const MenuItem& item = items[static_cast<std::size_t>(i)];
        path.push_back(i);
        if (!item.separator && item.children.empty() && item.id == id) return true;
        if (PathTo(item.children, id, path)) return true;
        path.pop_back();
    }
    return false;
}

// The middle of the rows of a column of `rect` where `hit` holds.
template <typename Hit>
bool FindRows(const platform::Rect& rect, int x, Hit hit, platform::Point& at) {
    int first = -1;
    int last = -1;
    for (int y = rect.top; y < rect.bottom; ++y) {
        if (!hit(platform::Point{x, y})) continue;
        if (first < 0) first = y;
        last = y;
    }
    if (first < 0) return false;
    at = {x, (first + last) / 2};
    return true;
}

}  // namespace

void Move(PopupInput& input, platform::Point screen) { input.PopupMessage(msg::kMouseMove, 0, screen); }

void Click(PopupInput& input, platform::Point screen) {
    Move(input, screen);
    input.PopupMessage(msg::kLButtonDown, msg::kMkLButton, screen);
    input.PopupMessage(msg::kLButtonUp, 0, screen);
}

void Key(PopupInput& input, std::uint32_t virtualKey) { input.PopupMessage(msg::kKeyDown, virtualKey, {}); }

void Wheel(PopupInput& input, int notches, platform::Point screen) {
    const auto delta = static_cast<std::uint16_t>(static_cast<std::int16_t>(notches * 120));
    input.PopupMessage(msg::kMouseWheel, static_cast<std::uintptr_t>(delta) << 16, screen);
}

bool FindMenuItem(const PopupMenu& menu, int level, int index, platform::Point& at) {
    if (level >= menu.Levels()) return false;
    const MenuPanel& panel = menu.Level(level);
    const platform::Rect& rect = panel.Spec().rect;
    const MenuItem* item = &panel.Item(index);
    return FindRows(rect, rect.left + rect.Width() / 2, [&](platform::Point p) { return menu.ItemAt(p) == item; }, at);
}

bool ChooseMenuItem(PopupMenu& menu, int id) {
    std::vector<int> path;
    if (!PathTo(menu.Menu().items, id, path)) return false;
    for (int level = 0; level < static_cast<int>(path.size()); ++level) {
        platform::Point at;
        if (!FindMenuItem(menu, level, path[static_cast<std::size_t>(level)], at)) return false;
        if (level + 1 < static_cast<int>(path.size())) Move(menu, at);  // hovering opens the sub-menu
        else Click(menu, at);
    }
    return true;
}

bool FindDropDownEntry(const DropDownPopup& list, int index, platform::Point& at) {
    const platform::Rect& rect = list.Spec().rect;
    return FindRows(rect, rect.left + rect.Width() / 4, [&](platform::Point p) { return list.EntryAt(p) == index; },
                    at);
}

bool ChooseDropDownEntry(DropDownPopup& list, int index) {
    const int count = static_cast<int>(list.Request().entries.size());
    if (index < 0 || index >= count) return false;
    const platform::Rect& rect = list.Spec().rect;
    const platform::Point middle{rect.left + rect.Width() / 2, rect.top + rect.Height() / 2};
    for (int notch = 0; notch <= count; ++notch) {
        platform::Point at;
        if (FindDropDownEntry(list, index, at)) {
            Click(list, at);
            return true;
        }
        // Towards the entry: up when the rows shown lie below it.
        platform::Point top;
        const bool below = FindRows(rect, rect.left + rect.Width() / 4,
                                    [&](platform::Point p) { return list.EntryAt(p) > index; }, top);
        Wheel(list, below ? 1 : -1, middle);
    }
    return false;
}

}  // namespace zintra::ui::popup_script
