// A pop-up menu from MenuData (classic and extended menus alike): the root
// level at a screen point and sub-menus beside their items, driven by the
// mouse and the keys in one pop-up loop of the backend.
#pragma once

#include <memory>
#include <vector>

#include "ui/core/MenuData.h"
#include "ui/core/MenuPanel.h"
#include "ui/core/Popups.h"

namespace zintra::ui {

class Backend;

class PopupMenu final : public PopupInput {
public:
    PopupMenu(Backend& backend, const MenuData& menu, platform::Point at, platform::NativeWindow owner);
    ~PopupMenu() override;

    // Shows the menu with its top-left corner at the point (moved in from the
    // work area's right and bottom edges) until a choice or a cancel; the
    // chosen item's id, 0 for none.
    int Track();

    const MenuData& Menu() const { return menu_; }
    platform::Point At() const { return at_; }
    platform::NativeWindow Owner() const { return owner_; }
    // The open levels, the root first.
    int Levels() const { return static_cast<int>(levels_.size()); }
    const MenuPanel& Level(int level) const { return *levels_[static_cast<std::size_t>(level)]; }
    // The item under a screen point in the open levels, or null.
    const MenuItem* ItemAt(platform::Point screen) const;

    void PopupMessage(std::uint32_t message, std::uintptr_t wParam, platform::Point screen) override;
    void PopupCancelled() override { open_ = false; }
    // Open and waiting for input (false once chosen or closed).
    bool Running() const { return open_; }

private:
    bool OpenLevel(const std::vector<MenuItem>& items);
    platform::Rect PlaceRoot(platform::Size layout) const;
    platform::Rect PlaceChild(const MenuPanel& parent, int item, platform::Size layout) const;
    void OpenChildOf(int level);
    void CloseFrom(int level);
    int LevelAt(platform::Point screen) const;
    void OnMouseMove(platform::Point screen);
    void OnRelease(platform::Point screen);
    void OnKey(std::uint32_t key);
    void Act(int level, int index);

    Backend& backend_;
    const MenuData& menu_;
    platform::Point at_;
    platform::NativeWindow owner_;
    double scale_ = 1.0;
    std::vector<std::unique_ptr<MenuPanel>> levels_;
    bool open_ = false;
    int chosen_ = 0;
};

}  // namespace zintra::ui
