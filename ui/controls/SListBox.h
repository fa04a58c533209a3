// A list of items ("listbox"), each a text with an integer data value; the
// drop-down part of the combo boxes. "listboxex" (SListBoxEx) is the list of
// the extended combo box, which the application registers by tag.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/core/SWindow.h"

namespace zintra::ui {

struct ListItem {
    std::u16string text;
    std::intptr_t data = 0;
};

class SListBox : public SWindow {
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
    const std::vector<ListItem>& Items() const { return items_; }
    int GetItemHeight() const { return itemHeight_; }
    // The item under a point of the list's own rectangle, or -1.
    int ItemAt(platform::Point point) const;

    bool ReadLayoutChildren(const LayoutElement& element) override;
    // Reads <item text="..." data="..."/> elements.
    void ReadItems(const LayoutElement& items);
    void OnLButtonDown(platform::Point point) override;

protected:
    bool ApplyAttribute(std::string_view name, std::string_view value, bool loading) override;
    void PaintContent(Surface& surface) override;

private:
    std::vector<ListItem> items_;
    int curSel_ = -1;
    int itemHeight_ = 22;
    std::optional<Color> selectedText_;
    std::optional<Color> selectedBackground_;
    std::string itemSkin_;
};

}  // namespace zintra::ui
