// One of the toolkit's pop-up windows (a menu level, a drop-down list, a
// tooltip) over the backend's pop-up seam, so the menus, lists and tips lay
// themselves out and paint once for every system.
#pragma once

#include "platform/Types.h"
#include "ui/core/Popups.h"
#include "ui/render/Font.h"

namespace zintra::ui {

class Backend;

// What menus and tips are written in: the application's default font.
Font PopupFont();

class PopupWindow : public PopupContent {
public:
    explicit PopupWindow(Backend& backend) : backend_(backend) {}
    ~PopupWindow() override { Close(); }
    PopupWindow(const PopupWindow&) = delete;
    PopupWindow& operator=(const PopupWindow&) = delete;

    // Shows the window where `spec` says; false when the backend made none.
    bool Open(const PopupSpec& spec);
    void Close();
    // Paints the whole window again.
    void Refresh();
    bool IsOpen() const { return window_ != 0; }

    const PopupSpec& Spec() const { return spec_; }
    bool Contains(platform::Point screen) const;
    // A screen point in the window's layout units (its corner is 0,0).
    platform::Point ToLayout(platform::Point screen) const;
    // A rectangle of layout units on the screen: the pixels painted for it.
    platform::Rect ToScreen(const platform::Rect& layout) const;
    // The layout size: what PaintPopup fills.
    platform::Size LayoutSize() const;

protected:
    Backend& backend_;

private:
    PopupSpec spec_;
    platform::NativeWindow window_ = 0;
};

}  // namespace zintra::ui
