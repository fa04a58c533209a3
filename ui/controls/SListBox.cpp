#include "ui/controls/SListBox.h"
#include "ui/core/LayoutXml.h"

#include <algorithm>

#include "ui/render/Skin.h"
#include "ui/render/Surface.h"
#include "base/TextUtil.h"

namespace zintra::ui {

namespace {
// Layouts with absurd item lists stay usable.
constexpr std::size_t kMaxItems = 10000;
constexpr int kWheelRows = 3;
constexpr int kScrollBarWidth = 12;
constexpr int kMinThumb = 10;
constexpr Color kScrollTrack{0xF0, 0xF0, 0xF0, 255};
constexpr Color kScrollThumb{0xA6, 0xA6, 0xA6, 255};
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
    if (HasScrollBar() && ScrollBarRect().Contains(point)) return -1;
    const int index = topIndex_ + (point.y - rect.top) / itemHeight_;
    return index < GetCount() ? index : -1;
}

platform::Rect SListBox::RowsArea() const {
    platform::Rect area = GetClientRect();
    if (HasScrollBar()) area.right = ScrollBarRect().left;
    return area;
}

platform::Rect SListBox::ItemRect(int index) const {
    const platform::Rect area = RowsArea();
    if (index < topIndex_ || index >= GetCount()) return {};
    const int top = area.top + (index - topIndex_) * itemHeight_;
    if (top >= area.bottom) return {};
    return {area.left, top, area.right, std::min(top + itemHeight_, area.bottom)};
}

int SListBox::VisibleRows() const {
    const int height = GetClientRect().Height();
    // Not laid out yet: everything counts as visible.
    if (height <= 0 || itemHeight_ <= 0) return GetCount();
    return std::max(1, height / itemHeight_);
}

void SListBox::SetTopIndex(int index) {
    const int top = std::clamp(index, 0, std::max(0, GetCount() - VisibleRows()));
    if (top == topIndex_) return;
    topIndex_ = top;
    Invalidate();
}

void SListBox::EnsureVisible(int index) {
    if (index < 0 || index >= GetCount()) return;
    if (index < topIndex_) {
        SetTopIndex(index);
    } else if (index >= topIndex_ + VisibleRows()) {
        SetTopIndex(index - VisibleRows() + 1);
    }
}

void SListBox::OnMouseWheel(int delta) {
    // Partial notches of fine wheels add up to whole ones only at 120.
    SetTopIndex(topIndex_ - (delta / 120) * kWheelRows);
}

platform::Rect SListBox::ScrollBarRect() const {
    if (!HasScrollBar()) return {};
    const platform::Rect client = GetClientRect();
    return {client.right - kScrollBarWidth, client.top, client.right, client.bottom};
}

platform::Rect SListBox::ThumbRect() const {
    const platform::Rect bar = ScrollBarRect();
    if (bar.Height() <= 0 || GetCount() == 0) return {};
    const int length = std::max(kMinThumb, bar.Height() * VisibleRows() / GetCount());
    const int travel = bar.Height() - length;
    const int range = std::max(1, GetCount() - VisibleRows());
    const int top = bar.top + travel * topIndex_ / range;
    return {bar.left + 1, top, bar.right - 1, top + length};
}

bool SListBox::PressScrollBar(platform::Point point) {
    if (!ScrollBarRect().Contains(point)) return false;
    const platform::Rect thumb = ThumbRect();
    if (point.y < thumb.top) {
        SetTopIndex(topIndex_ - VisibleRows());
    } else if (point.y >= thumb.bottom) {
        SetTopIndex(topIndex_ + VisibleRows());
    } else {
        thumbGrab_ = point.y - thumb.top;
    }
    return true;
}

void SListBox::DragScrollBar(platform::Point point) {
    if (!thumbGrab_) return;
    const platform::Rect bar = ScrollBarRect();
    const platform::Rect thumb = ThumbRect();
    const int travel = bar.Height() - thumb.Height();
    if (travel <= 0) return;
    const int range = GetCount() - VisibleRows();
    const int offset = std::clamp(point.y - *thumbGrab_ - bar.top, 0, travel);
    // To the nearest row for where the thumb is held.
    SetTopIndex((offset * range + travel / 2) / travel);
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
    // A list that does not fit scrolls: the rows from the top index, beside the bar.
    topIndex_ = std::clamp(topIndex_, 0, std::max(0, GetCount() - VisibleRows()));
    if (HasScrollBar()) {
        surface.FillRect(ScrollBarRect(), kScrollTrack);
        surface.FillRect(ThumbRect(), kScrollThumb);
    }
    const platform::Rect client = RowsArea();
    surface.PushClip(client);
    const Skin* skin = itemSkin_.empty() ? nullptr : FindSkin(itemSkin_);
    for (int i = topIndex_; i < GetCount(); ++i) {
        const int at = client.top + (i - topIndex_) * itemHeight_;
        const platform::Rect row{client.left, at, client.right, at + itemHeight_};
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
    surface.PopClip();
}

}  // namespace zintra::ui
