// What a backend's drop-down pop-up asks of the list it shows, so that no
// control type crosses the backend seam: the list lays its entries out,
// paints them and answers where the pointer is, in the pop-up's layout units.
// A combo box's list control implements it.
#pragma once

#include "platform/Types.h"

namespace zintra::ui {

class Surface;

class DropDownList {
public:
    virtual ~DropDownList() = default;

    // Places the entries in `client` (the pop-up's client area less its border).
    virtual void PlaceEntries(const platform::Rect& client) = 0;
    virtual void PaintEntries(Surface& surface) = 0;
    // The entry under a point, or -1 (also over the scroll bar).
    virtual int EntryAt(platform::Point point) const = 0;
    // Where an entry's row shows, clipped to the rows; empty when it is
    // scrolled out of sight.
    virtual platform::Rect EntryRect(int index) const = 0;
    // Highlights an entry (-1: none) as the selected one.
    virtual void HighlightEntry(int index) = 0;
    // Scrolls as little as needed to show an entry; the first entry on top.
    virtual void ShowEntry(int index) = 0;
    virtual void ScrollToTop() = 0;
    // Three rows per notch, as the system scrolls lists.
    virtual void ScrollByWheel(int delta) = 0;
    // A press on the scroll bar: on the thumb it starts a drag, above or
    // below it pages. True when the point was on the bar.
    virtual bool PressScrollBar(platform::Point point) = 0;
    virtual void DragScrollBar(platform::Point point) = 0;
    virtual void ReleaseScrollBar() = 0;
    virtual bool DraggingScrollBar() const = 0;
};

}  // namespace zintra::ui
