#include "ui/core/PopupMenu.h"

#include <algorithm>

#include "platform/Messages.h"
#include "ui/core/Backend.h"
#include "ui/core/ScreenScale.h"

namespace zintra::ui {

PopupMenu::PopupMenu(Backend& backend, const MenuData& menu, platform::Point at, platform::NativeWindow owner)
    : backend_(backend), menu_(menu), at_(at), owner_(owner) {
    // The owner's pixels per unit, times the menu's own size.
    scale_ = backend.WindowScale(owner) * menu.scalePercent / 100.0;
    if (!(scale_ > 0.0)) scale_ = 1.0;
}

PopupMenu::~PopupMenu() { CloseFrom(0); }

int PopupMenu::Track() {
    if (menu_.items.empty() || !OpenLevel(menu_.items)) return 0;
    open_ = true;
    chosen_ = 0;
    const bool running = backend_.RunPopupLoop(*this, open_);
    CloseFrom(0);
    return running ? chosen_ : 0;
}

bool PopupMenu::OpenLevel(const std::vector<MenuItem>& items) {
    auto level = std::make_unique<MenuPanel>(backend_, menu_, items);
    const platform::Size layout = level->Size();
    PopupSpec spec;
    spec.owner = owner_;
    spec.scale = scale_;
    spec.shadow = true;
    spec.rect = levels_.empty() ? PlaceRoot(layout) : PlaceChild(*levels_.back(), levels_.back()->Hover(), layout);
    if (!level->Open(spec)) return false;
    levels_.push_back(std::move(level));
    return true;
}

platform::Rect PopupMenu::PlaceRoot(platform::Size layout) const {
    const int width = PixelOfUnit(layout.width, scale_);
    const int height = PixelOfUnit(layout.height, scale_);
    const platform::Rect area = backend_.WorkAreaAt(at_);
    platform::Rect rect{at_.x, at_.y, at_.x + width, at_.y + height};
    // No room to the right or below: it opens to the left of or above the point.
    if (rect.right > area.right) rect = {rect.left - width, rect.top, rect.left, rect.bottom};
    if (rect.bottom > area.bottom) rect = {rect.left, rect.top - height, rect.right, rect.top};
    return rect;
}

platform::Rect PopupMenu::PlaceChild(const MenuPanel& parent, int item, platform::Size layout) const {
    const int width = PixelOfUnit(layout.width, scale_);
    const int height = PixelOfUnit(layout.height, scale_);
    const platform::Rect& beside = parent.Spec().rect;
    // The first item level with its parent item.
    const int top = beside.top + PixelOfUnit(parent.ItemTop(item) - MenuPanel::kEdge, scale_);
    const platform::Rect area = backend_.WorkAreaAt({beside.right, top});
    platform::Rect rect{beside.right, top, beside.right + width, top + height};
    if (rect.right > area.right) rect = {beside.left - width, top, beside.left, top + height};
    if (rect.bottom > area.bottom) rect = {rect.left, std::max(area.top, area.bottom - height), rect.right,
                                           std::max(area.top, area.bottom - height) + height};
    return rect;
}

void PopupMenu::OpenChildOf(int level) {
    const MenuPanel& parent = *levels_[static_cast<std::size_t>(level)];
    const int index = parent.Hover();
    if (!parent.Usable(index) || parent.Item(index).children.empty()) return;
    CloseFrom(level + 1);
    OpenLevel(parent.Item(index).children);
}

void PopupMenu::CloseFrom(int level) {
    while (static_cast<int>(levels_.size()) > level) levels_.pop_back();
}

int PopupMenu::LevelAt(platform::Point screen) const {
    for (int level = Levels() - 1; level >= 0; --level) {
        if (Level(level).Contains(screen)) return level;
    }
    return -1;
}

const MenuItem* PopupMenu::ItemAt(platform::Point screen) const {
    const int level = LevelAt(screen);
    if (level < 0) return nullptr;
    const int index = Level(level).ItemAt(Level(level).ToLayout(screen));
    return index < 0 ? nullptr : &Level(level).Item(index);
}

void PopupMenu::PopupMessage(std::uint32_t message, std::uintptr_t wParam, platform::Point screen) {
    if (!open_) return;  // closed: what was queued behind the choice is not one
    switch (message) {
        case msg::kMouseMove: OnMouseMove(screen); break;
        case msg::kLButtonDown:
        case msg::kRButtonDown:
        case msg::kMButtonDown:
            // A press outside every level closes the whole menu.
            if (LevelAt(screen) < 0) open_ = false;
            break;
        case msg::kLButtonUp:
        case msg::kRButtonUp: OnRelease(screen); break;
        case msg::kKeyDown:
        case msg::kSysKeyDown: OnKey(static_cast<std::uint32_t>(wParam)); break;
        default: break;
    }
}

void PopupMenu::OnMouseMove(platform::Point screen) {
    const int level = LevelAt(screen);
    if (level < 0) {
        // Off the menu: the deepest level lets go of its highlight.
        levels_.back()->SetHover(-1);
        return;
    }
    MenuPanel& panel = *levels_[static_cast<std::size_t>(level)];
    const int index = panel.ItemAt(panel.ToLayout(screen));
    if (index == panel.Hover() && (index < 0 || level + 1 < Levels() || panel.Item(index).children.empty())) return;
    CloseFrom(level + 1);
    panel.SetHover(index);
    OpenChildOf(level);
}

void PopupMenu::OnRelease(platform::Point screen) {
    const int level = LevelAt(screen);
    if (level < 0) return;
    const MenuPanel& panel = Level(level);
    const int index = panel.ItemAt(panel.ToLayout(screen));
    if (panel.Usable(index) && panel.Item(index).children.empty()) {
        chosen_ = panel.Item(index).id;
        open_ = false;
    }
}

// Keys act on the deepest open level.
void PopupMenu::OnKey(std::uint32_t key) {
    const int level = Levels() - 1;
    MenuPanel& panel = *levels_.back();
    switch (key) {
        case msg::kVkEscape:
            if (level > 0) CloseFrom(level);
            else open_ = false;
            break;
        case msg::kVkMenu: open_ = false; break;
        case msg::kVkUp: panel.SetHover(panel.Step(panel.Hover(), -1)); break;
        case msg::kVkDown: panel.SetHover(panel.Step(panel.Hover(), 1)); break;
        case msg::kVkLeft:
            if (level > 0) CloseFrom(level);
            break;
        case msg::kVkRight:
            // Into a level the pointer opened: its first item lights up.
            if (level > 0 && panel.Hover() < 0) panel.SetHover(panel.Step(-1, 1));
            else if (panel.Usable(panel.Hover()) && !panel.Item(panel.Hover()).children.empty()) Act(level, panel.Hover());
            break;
        case msg::kVkReturn: Act(level, panel.Hover()); break;
        default: break;
    }
}

// Enter or Right on an item: a leaf is chosen, a parent opens with its first item lit.
void PopupMenu::Act(int level, int index) {
    const MenuPanel& panel = Level(level);
    if (!panel.Usable(index)) return;
    if (panel.Item(index).children.empty()) {
        chosen_ = panel.Item(index).id;
        open_ = false;
        return;
    }
    OpenChildOf(level);
    if (Levels() > level + 1) levels_.back()->SetHover(levels_.back()->Step(-1, 1));
}

}  // namespace zintra::ui
