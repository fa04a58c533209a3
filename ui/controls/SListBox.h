// A list of items ("listbox"), each a text with an integer data value; the
// drop-down part of the combo boxes. "listboxex" (SListBoxEx) is the list of
// the extended combo box, which the application registers by tag.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ui/core/DropDownList.h"
#include "ui/core/SWindow.h"

namespace zintra::ui {

struct ListItem {
    std::u16string text;
    std::intptr_t data = 0;
};

// It is also what a backend's drop-down pop-up shows (DropDownList).
class SListBox : public SWindow, public DropDownList {
    ZUI_CLASS_NAME(SWindow, "listbox")
public:
    SListBox();

    int GetCount() const { return static_cast<int>(items_.size()); }
    int GetCurSel() const { return curSel_; }
    // Returns whether the selection changed; an index out of range selects nothing.
    bool SetCurSel(int index);
    std::intptr_t GetItemData(int index) const;
    std::u16string GetText(int index) const;
    // Inserts before `index` (at the end when out of range); returns the new index.
    int InsertItem(int index, const std::u16string& text, std::intptr_t data);
    bool DeleteItem(int index);
    void DeleteAll();
    int GetItemHeight() const { return itemHeight_; }
    // The item under a point of the list's own rectangle, or -1 (also over
    // the scroll bar).
    int ItemAt(platform::Point point) const;
    // An item's row in the list's own rectangle, clipped to the rows' area;
    // empty when it is scrolled out of sight.
    platform::Rect ItemRect(int index) const;

    // ---- Scrolling: a list longer than its rectangle scrolls by rows ----
    int GetTopIndex() const { return topIndex_; }
    // Clamped so the last page stays full.
    void SetTopIndex(int index);
    int VisibleRows() const;
    bool HasScrollBar() const { return GetCount() > VisibleRows(); }
    // Scrolls as little as needed to show item `index`.
    void EnsureVisible(int index);
    // Three rows per notch of the wheel, as the system scrolls lists.
    void OnMouseWheel(int delta) override;
    // The scroll bar along the right edge, and its thumb (empty without one).
    platform::Rect ScrollBarRect() const;
    platform::Rect ThumbRect() const;
    // A press on the bar: on the thumb it starts a drag, above or below it
    // pages. Moves drag the thumb until the release. True when on the bar.
    bool PressScrollBar(platform::Point point) override;
    void DragScrollBar(platform::Point point) override;
    void ReleaseScrollBar() override { thumbGrab_.reset(); }
    bool DraggingScrollBar() const override { return thumbGrab_.has_value(); }

    // ---- In a drop-down pop-up (DropDownList) ----
    void PlaceEntries(const platform::Rect& client) override { UpdateLayout(client, std::nullopt); }
    void PaintEntries(Surface& surface) override { Paint(surface); }
    int EntryAt(platform::Point point) const override { return ItemAt(point); }
    platform::Rect EntryRect(int index) const override { return ItemRect(index); }
    void HighlightEntry(int index) override { SetCurSel(index); }
    void ShowEntry(int index) override { EnsureVisible(index); }
    void ScrollToTop() override { SetTopIndex(0); }
    void ScrollByWheel(int delta) override { OnMouseWheel(delta); }

    bool ReadLayoutChildren(const LayoutElement& element) override;
    // Reads <item text="..." data="..."/> elements.
    void ReadItems(const LayoutElement& items);
    void OnLButtonDown(platform::Point point) override;

protected:
    bool ApplyAttribute(std::string_view name, std::string_view value, bool loading) override;
    void PaintContent(Surface& surface) override;

private:
    // The client rectangle less the scroll bar: where the rows are drawn.
    platform::Rect RowsArea() const;

    std::vector<ListItem> items_;
    int curSel_ = -1;
    int topIndex_ = 0;
    std::optional<int> thumbGrab_;  // where on the thumb it was pressed
    int itemHeight_ = 22;
    std::optional<Color> selectedText_;
    std::optional<Color> selectedBackground_;
    std::string itemSkin_;
};

}  // namespace zintra::ui
