// A combo box's open list: the entries of a DropDownList in a pop-up below
// the box (above it when there is no room on the box's monitor), scrolled by
// the wheel, its scroll bar and the keys, until a choice or a cancel.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/core/PopupWindow.h"

namespace zintra::ui {

class DropDownList;

struct DropDownSpec {
    platform::NativeWindow owner = 0;
    platform::Rect anchor;  // the closed box, in screen pixels
    int dropHeight = 300;   // layout units, like the list's items
    double scale = 1.0;     // screen pixels per layout unit of the owner
    std::vector<std::u16string> entries;  // the texts of the items, in order
    int selected = -1;      // the entry selected when the list opens
    int itemHeight = 22;    // layout units per entry
    // Told once the list shows and again once it has gone (screen readers follow).
    std::function<void()> shownOrHidden;
};

class DropDownPopup final : public PopupWindow, public PopupInput {
public:
    static constexpr int kBorder = 1;

    DropDownPopup(Backend& backend, DropDownList& list, DropDownSpec spec);

    // Runs the open list; the chosen entry, -1 for none. The list's own
    // highlight is back on the entry it had when this returns.
    int Run();

    const DropDownSpec& Request() const { return request_; }
    // The entry under a screen point, -1 for none (or the scroll bar).
    int EntryAt(platform::Point screen) const;
    int Highlighted() const { return hover_; }
    // Where an entry's row is on the screen; empty when it is out of sight
    // (scrolled away, or the list is not open).
    platform::Rect EntryScreenRect(int index) const;

    void PaintPopup(Surface& surface) override;
    void PopupMessage(std::uint32_t message, std::uintptr_t wParam, platform::Point screen) override;
    void PopupCancelled() override { open_ = false; }
    // Open and waiting for input (false once chosen or closed).
    bool Running() const { return open_; }

private:
    platform::Rect Place() const;
    int RowsPerPage() const;
    void Highlight(int index);
    void OnMouseMove(platform::Point screen);
    void OnPress(std::uint32_t message, platform::Point screen);
    void OnRelease(platform::Point screen);
    void OnKey(std::uint32_t key);
    void Finish(int chosen);

    DropDownList& list_;
    DropDownSpec request_;
    int height_ = 0;  // layout units, the border included
    int hover_ = -1;
    int chosen_ = -1;
    bool open_ = false;
    // The press that opened the list ends over the box or, dragged, over an
    // entry: its release chooses only once the pointer has moved onto one.
    bool armed_ = false;
};

}  // namespace zintra::ui
