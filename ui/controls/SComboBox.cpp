#include "ui/controls/SComboBox.h"
#include "ui/core/LayoutXml.h"

#include <algorithm>

#include "ui/core/Accessible.h"
#include "ui/core/Backend.h"
#include "ui/core/DropDownPopup.h"
#include "ui/core/SHostWnd.h"
#include "ui/render/Skin.h"
#include "ui/render/Surface.h"
#include "base/TextUtil.h"

namespace zintra::ui {

SComboBox::SComboBox() { SetFocusable(true); }
SComboBox::~SComboBox() = default;

SListBox& SComboBox::GetListBox() {
    if (!list_) list_ = CreateListBox();
    return *list_;
}

std::unique_ptr<SListBox> SComboBox::CreateListBox() { return std::make_unique<SListBox>(); }

int SComboBox::GetCurSel() const { return list_ ? list_->GetCurSel() : -1; }

bool SComboBox::SetCurSel(int index) {
    if (!GetListBox().SetCurSel(index)) return false;
    SyncText();
    NotifyAccessible(*this, AccessibleEvent::ValueChange);
    EventCBSelChange event(GetCurSel());
    FireEvent(event);
    return true;
}

int SComboBox::GetCount() const { return list_ ? list_->GetCount() : 0; }

std::intptr_t SComboBox::GetItemData(int index) const { return list_ ? list_->GetItemData(index) : 0; }

std::u16string SComboBox::GetLBText(int index) const { return list_ ? list_->GetText(index) : std::u16string(); }

int SComboBox::InsertItem(int index, const std::u16string& text, std::intptr_t data) {
    const int inserted = GetListBox().InsertItem(index, text, data);
    SyncText();
    return inserted;
}

bool SComboBox::DeleteString(int index) {
    const bool deleted = GetListBox().DeleteItem(index);
    SyncText();
    return deleted;
}

void SComboBox::ResetContent() {
    GetListBox().DeleteAll();
    SyncText();
}

void SComboBox::SyncText() {
    // The closed box of a drop-down list shows the selected item's text.
    if (dropDownList_) SWindow::SetWindowText(GetLBText(GetCurSel()));
}

void SComboBox::DropDown() {
    SHostWnd* host = GetHost();
    Backend* backend = GetBackend();
    if (host == nullptr || backend == nullptr || IsDisabled(true)) return;
    DropDownSpec request;
    request.owner = host->GetHwnd();
    request.anchor = host->ClientRectToScreen(GetWindowRect());
    request.dropHeight = dropHeight_;
    request.scale = backend->WindowScale(request.owner);
    SListBox& list = GetListBox();
    for (int i = 0; i < list.GetCount(); ++i) request.entries.push_back(list.GetText(i));
    request.selected = list.GetCurSel();
    request.itemHeight = list.GetItemHeight();
    // Readers that keep states are told the entries show, and that they went.
    request.shownOrHidden = [this] { NotifyAccessible(*this, AccessibleEvent::StateChange); };
    DropDownPopup popup(*backend, list, std::move(request));
    openList_ = &popup;
    const int chosen = popup.Run();
    openList_ = nullptr;
    if (chosen >= 0 && chosen < GetCount()) SetCurSel(chosen);
}

void SComboBox::OnLButtonDown(platform::Point point) {
    if (IsFocusable()) SetFocus();
    EventLButtonDown event(point);
    FireEvent(event);
    DropDown();
}

// The list took the press; the release belongs to it, not to a click here.
void SComboBox::OnLButtonUp(platform::Point) {}

platform::Size SComboBox::GetDesiredSize(int) const { return {78, 22}; }

bool SComboBox::ReadLayoutChildren(const LayoutElement& element) {
    const pugi::xml_node& node = element.node;
    SListBox& list = GetListBox();
    for (const auto& attribute : node.child("liststyle").attributes()) {
        list.SetAttribute(attribute.name(), attribute.value(), true);
    }
    const auto edit = node.child("editstyle");
    editText_ = Color::Parse(edit.attribute("colorText").as_string());
    editBackground_ = Color::Parse(edit.attribute("colorBkgnd").as_string());
    list.ReadItems(LayoutElement{node.child("items")});
    return true;
}

void SComboBox::OnInitFinished() {
    // The layout's selection applies once its items exist; it is the initial
    // state, not a change.
    if (initialSelection_) GetListBox().SetCurSel(*initialSelection_);
    SyncText();
}

bool SComboBox::ApplyAttribute(std::string_view name, std::string_view value, bool loading) {
    if (name == "dropDown") {
        dropDownList_ = ParseBoolOr(value, dropDownList_);
    } else if (name == "dropHeight") {
        dropHeight_ = std::clamp(ParseIntOr(value, 200), 0, 10000);
    } else if (name == "curSel") {
        if (loading) {
            initialSelection_ = ParseIntOr(value, -1);
        } else {
            SetCurSel(ParseIntOr(value, -1));
        }
    } else if (name == "btnSkin") {
        buttonSkin_ = std::string(value);
    } else {
        return SWindow::ApplyAttribute(name, value, loading);
    }
    return true;
}

void SComboBox::PaintContent(Surface& surface) {
    const platform::Rect rect = GetWindowRect();
    platform::Rect textRect = GetClientRect();
    if (editBackground_) surface.FillRect({rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1}, *editBackground_);
    if (const Skin* button = buttonSkin_.empty() ? nullptr : FindSkin(buttonSkin_)) {
        const int width = button->StateSize().width;
        const int state = VisualState();
        surface.DrawSkin({rect.right - width, rect.top, rect.right, rect.bottom}, *button,
                         state < button->states ? state : 0, 255);
        textRect.right -= width;
    }
    textRect.left += 4;
    const Color color = IsDisabled(true) ? Color{0xAF, 0xAF, 0xAF, 255} : editText_.value_or(GetTextColor());
    surface.DrawText(textRect, GetWindowText(), GetFont(), color, text_mode::kSingleLine | text_mode::kVCenter);
}

std::optional<AccessibleRole> SComboBox::GetAccessibleRole() const { return AccessibleRole::ComboBox; }

std::optional<std::u16string> SComboBox::GetAccessibleValue() const { return GetWindowText(); }

bool SComboBox::SelectAccessibleItem(int item) {
    SetCurSel(item);
    return true;
}

std::optional<platform::Rect> SComboBox::GetAccessibleItemScreenRect(int item) const {
    return openList_ != nullptr ? openList_->EntryScreenRect(item) : platform::Rect{};
}

bool SComboBox::OpenDropDown() {
    DropDown();
    return true;
}

}  // namespace zintra::ui
