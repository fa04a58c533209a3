#include "ui/controls/SListBox.h"
#include "ui/core/LayoutXml.h"

#include <algorithm>

#include "ui/render/Skin.h"
#include "ui/render/Surface.h"
#include "ui/core/TextUtil.h"

namespace zintra::ui {

namespace {
// Layouts with absurd item lists stay usable.
constexpr std::size_t kMaxItems = 10000;
}  // namespace

SListBox::SListBox() { SetFocusable(true); }

bool SListBox::SetCurSel(int index) {
    if (index < 0 || index >= GetCount()) index = -1;
    if (index == curSel_) return false;
    curSel_ = index;
    Invalidate();
    return true;
}

std::intptr_t SListBox::GetItemData(int index) const {
    if (index < 0 || index >= GetCount()) return 0;
    return items_[static_cast<std::size_t>(index)].data;
}

std::u16string SListBox::GetText(int index) const {
    if (index < 0 || index >= GetCount()) return {};
    return items_[static_cast<std::size_t>(index)].text;
}

int SListBox::InsertItem(int index, const std::u16string& text, std::intptr_t data) {
    if (items_.size() >= kMaxItems) return -1;
    if (index < 0 || index > GetCount()) index = GetCount();
    items_.insert(items_.begin() + index, ListItem{text, data});
    if (curSel_ >= index) ++curSel_;
    Invalidate();
    return index;
}

bool SListBox::DeleteItem(int index) {
    if (index < 0 || index >= GetCount()) return false;
    items_.erase(items_.begin() + index);
    if (curSel_ == index) {
        curSel_ = -1;
    } else if (curSel_ > index) {
        --curSel_;
    }
    Invalidate();
    return true;
}

void SListBox::DeleteAll() {
    items_.clear();
    curSel_ = -1;
    Invalidate();
}

int SListBox::ItemAt(platform::Point point) const {
    const platform::Rect rect = GetClientRect();
    if (!rect.Contains(point) || itemHeight_ <= 0) return -1;
    const int index = (point.y - rect.top) / itemHeight_;
    return index < GetCount() ? index : -1;
}

bool SListBox::ReadLayoutChildren(const LayoutElement& element) {
    ReadItems(LayoutElement{element.node.child("items")});
    return true;
}

void SListBox::ReadItems(const LayoutElement& element) {
    const pugi::xml_node& items = element.node;
    for (const auto& item : items.children("item")) {
        std::string text = item.attribute("text").as_string();
        if (text.empty()) text = item.child_value();
        const auto data = ParseInteger(item.attribute("data").as_string());
        InsertItem(-1, Utf8ToUtf16(text), static_cast<std::intptr_t>(data.value_or(0)));
    }
}

void SListBox::OnLButtonDown(platform::Point point) {
    SWindow::OnLButtonDown(point);
    SetCurSel(ItemAt(point));
}

bool SListBox::ApplyAttribute(std::string_view name, std::string_view value, bool loading) {
    if (name == "itemHeight") {
        itemHeight_ = std::clamp(ParseIntOr(value, 22), 1, 1000);
    } else if (name == "colorSelText") {
        selectedText_ = Color::Parse(value);
    } else if (name == "colorItemSelBkgnd") {
        selectedBackground_ = Color::Parse(value);
    } else if (name == "itemSkin") {
        itemSkin_ = std::string(value);
    } else if (name == "curSel") {
        SetCurSel(ParseIntOr(value, -1));
    } else {
        return SWindow::ApplyAttribute(name, value, loading);
    }
    return true;
}

void SListBox::PaintContent(Surface& surface) {
    const platform::Rect client = GetClientRect();
    const Skin* skin = itemSkin_.empty() ? nullptr : FindSkin(itemSkin_);
    for (int i = 0; i < GetCount(); ++i) {
        const platform::Rect row{client.left, client.top + i * itemHeight_, client.right, client.top + (i + 1) * itemHeight_};
        if (row.top >= client.bottom) break;
        const bool selected = i == curSel_;
        if (skin != nullptr) surface.DrawSkin(row, *skin, selected ? 2 : 0, 255);
        if (selected && selectedBackground_) surface.FillRect(row, *selectedBackground_);
        const Color color = selected && selectedText_ ? *selectedText_ : GetTextColor();
        platform::Rect textRect = row;
        textRect.left += 4;
        surface.DrawText(textRect, items_[static_cast<std::size_t>(i)].text, GetFont(), color,
                         text_mode::kSingleLine | text_mode::kVCenter);
    }
}

}  // namespace zintra::ui
