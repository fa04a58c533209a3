// A combo box ("combobox"): a closed box showing the selected item's text and
// a drop-down list of items with data. A changed selection, whether by the
// user or by SetCurSel, raises EventCBSelChange.
#pragma once

#include <memory>
#include <optional>

#include "ui/controls/SListBox.h"
#include "ui/core/SWindow.h"

namespace zintra::ui {

class DropDownPopup;

class SComboBox : public SWindow {
    ZUI_CLASS_NAME(SWindow, "combobox")
public:
    SComboBox();
    ~SComboBox() override;

    int GetCurSel() const;
    // Selects an item (-1: none); raises EventCBSelChange when it changed.
    bool SetCurSel(int index);
    int GetCount() const;
    std::intptr_t GetItemData(int index) const;
    std::u16string GetLBText(int index) const;
    int InsertItem(int index, const std::u16string& text, std::intptr_t data);
    bool DeleteString(int index);
    void ResetContent();
    bool IsDropDownList() const { return dropDownList_; }
    int GetDropHeight() const { return dropHeight_; }
    SListBox& GetListBox();

    // Opens the list (the backend shows it) and selects what the user picks.
    void DropDown();

    // Readers see the items as the box's entries, the closed box's text as its value.
    std::optional<AccessibleRole> GetAccessibleRole() const override;
    std::optional<std::u16string> GetAccessibleValue() const override;
    int GetAccessibleItemCount() const override { return GetCount(); }
    std::u16string GetAccessibleItemName(int item) const override { return GetLBText(item); }
    int GetAccessibleSelection() const override { return GetCurSel(); }
    bool SelectAccessibleItem(int item) override;
    // Entries are on the screen only in the open list.
    std::optional<platform::Rect> GetAccessibleItemScreenRect(int item) const override;
    bool OpenDropDown() override;
    void OnLButtonDown(platform::Point point) override;
    void OnLButtonUp(platform::Point point) override;
    platform::Size GetDesiredSize(int widthHint) const override;

    bool ReadLayoutChildren(const LayoutElement& element) override;
    void OnInitFinished() override;

protected:
    // The list control; the extended box makes its registered "listboxex".
    virtual std::unique_ptr<SListBox> CreateListBox();
    bool ApplyAttribute(std::string_view name, std::string_view value, bool loading) override;
    void PaintContent(Surface& surface) override;

private:
    void SyncText();

    std::unique_ptr<SListBox> list_;
    const DropDownPopup* openList_ = nullptr;  // while the list is open
    bool dropDownList_ = true;
    int dropHeight_ = 200;
    std::optional<int> initialSelection_;
    std::string buttonSkin_;
    std::optional<Color> editText_;
    std::optional<Color> editBackground_;
};

}  // namespace zintra::ui
