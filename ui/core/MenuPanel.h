// One open level of a pop-up menu: its items laid out top to bottom in layout
// units, painted in the menu's looks, and the item under a point.
#pragma once

#include <vector>

#include "ui/core/MenuData.h"
#include "ui/core/PopupWindow.h"
#include "ui/render/Color.h"
#include "ui/render/Font.h"

namespace zintra::ui {

struct Skin;

class MenuPanel final : public PopupWindow {
public:
    static constexpr int kSeparatorHeight = 7;
    static constexpr int kEdge = 2;  // above the first item and below the last

    MenuPanel(Backend& backend, const MenuData& menu, const std::vector<MenuItem>& items);

    platform::Size Size() const { return size_; }
    int Count() const { return static_cast<int>(items_.size()); }
    const MenuItem& Item(int index) const { return items_[static_cast<std::size_t>(index)]; }
    int ItemTop(int index) const { return tops_[static_cast<std::size_t>(index)]; }
    // The item under a point (layout units), -1 for none or a separator.
    int ItemAt(platform::Point point) const;
    // An item the pointer or the keys may highlight and act on.
    bool Usable(int index) const;
    // The next usable item up or down from `from` (-1: none yet), wrapping
    // round; `from` when there is none.
    int Step(int from, int step) const;

    int Hover() const { return hover_; }
    // Highlights an item (-1: none) and paints again when it changed.
    void SetHover(int index);

    void PaintPopup(Surface& surface) override;

private:
    void PaintItem(Surface& surface, int index) const;
    void PaintArrow(Surface& surface, int top, Color color) const;

    const MenuData& menu_;
    const std::vector<MenuItem>& items_;
    std::vector<int> tops_;
    const Skin* iconSkin_ = nullptr;
    int iconWidth_ = 16;
    Font font_;
    platform::Size size_{80, 2 * kEdge};
    int hover_ = -1;
};

}  // namespace zintra::ui
