#include "ui/core/DropDownPopup.h"

#include <algorithm>

#include "platform/Messages.h"
#include "ui/core/Backend.h"
#include "ui/core/DropDownList.h"
#include "ui/core/ScreenScale.h"
#include "ui/render/Surface.h"

namespace zintra::ui {

namespace {

constexpr Color kListBackground{0xFF, 0xFF, 0xFF, 255};
constexpr Color kBorderColor{0x01, 0x5C, 0x5D, 255};
constexpr int kMinimumWidth = 20;  // layout units

}  // namespace

DropDownPopup::DropDownPopup(Backend& backend, DropDownList& list, DropDownSpec spec)
    : PopupWindow(backend), list_(list), request_(std::move(spec)) {
    if (!(request_.scale > 0.0)) request_.scale = 1.0;
    request_.itemHeight = std::max(1, request_.itemHeight);
    // As tall as the drop height allows, never taller than the entries; one row at least.
    const int content = static_cast<int>(request_.entries.size()) * request_.itemHeight;
    height_ = std::min(std::max(request_.dropHeight, request_.itemHeight), content) + 2 * kBorder;
}

platform::Rect DropDownPopup::Place() const {
    const platform::Rect& anchor = request_.anchor;
    const int width = std::max(anchor.Width(), PixelOfUnit(kMinimumWidth, request_.scale));
    const int height = PixelOfUnit(height_, request_.scale);
    const platform::Rect area = backend_.WorkAreaAt({anchor.left + anchor.Width() / 2, anchor.top + anchor.Height() / 2});
    if (anchor.bottom + height > area.bottom && anchor.top - height >= area.top) {
        return {anchor.left, anchor.top - height, anchor.left + width, anchor.top};
    }
    return {anchor.left, anchor.bottom, anchor.left + width, anchor.bottom + height};
}

int DropDownPopup::Run() {
    if (request_.entries.empty()) return -1;
    PopupSpec spec;
    spec.owner = request_.owner;
    spec.rect = Place();
    spec.scale = request_.scale;
    spec.shadow = true;
    const int original = request_.selected;
    hover_ = original;
    // Laid out before the first paint, so the first rows shown include the selected one.
    const platform::Size size{UnitOfPixel(spec.rect.Width(), spec.scale), height_};
    list_.PlaceEntries({kBorder, kBorder, size.width - kBorder, size.height - kBorder});
    list_.ScrollToTop();
    list_.ShowEntry(original);
    chosen_ = -1;
    armed_ = false;
    if (!Open(spec)) return -1;
    open_ = true;
    if (request_.shownOrHidden) request_.shownOrHidden();
    const bool running = backend_.RunPopupLoop(*this, open_);
    if (list_.DraggingScrollBar()) list_.ReleaseScrollBar();
    Close();
    if (request_.shownOrHidden) request_.shownOrHidden();
    // The caller applies the choice as a change of its own.
    list_.HighlightEntry(original);
    return running ? chosen_ : -1;
}

void DropDownPopup::PaintPopup(Surface& surface) {
    const platform::Size size = LayoutSize();
    surface.FillRect({0, 0, size.width, size.height}, kListBackground);
    list_.PlaceEntries({kBorder, kBorder, size.width - kBorder, size.height - kBorder});
    list_.PaintEntries(surface);
    surface.FrameRect({0, 0, size.width, size.height}, kBorderColor, kBorder);
}

int DropDownPopup::EntryAt(platform::Point screen) const {
    if (!Contains(screen)) return -1;
    const int index = list_.EntryAt(ToLayout(screen));
    return index < static_cast<int>(request_.entries.size()) ? index : -1;
}

platform::Rect DropDownPopup::EntryScreenRect(int index) const {
    if (!IsOpen() || index < 0 || index >= static_cast<int>(request_.entries.size())) return {};
    const platform::Rect row = list_.EntryRect(index);
    return row.Width() > 0 && row.Height() > 0 ? ToScreen(row) : platform::Rect{};
}

int DropDownPopup::RowsPerPage() const { return std::max(1, (height_ - 2 * kBorder) / request_.itemHeight); }

void DropDownPopup::Highlight(int index) {
    if (index == hover_) return;
    hover_ = index;
    list_.HighlightEntry(index);
    list_.ShowEntry(index);
    Refresh();
}

void DropDownPopup::PopupMessage(std::uint32_t message, std::uintptr_t wParam, platform::Point screen) {
    if (!open_) return;  // closed: what was queued behind the choice is not one
    switch (message) {
        case msg::kMouseMove: OnMouseMove(screen); break;
        case msg::kLButtonDown:
        case msg::kRButtonDown:
        case msg::kMButtonDown: OnPress(message, screen); break;
        case msg::kLButtonUp: OnRelease(screen); break;
        case msg::kMouseWheel:
            list_.ScrollByWheel(static_cast<std::int16_t>((wParam >> 16) & 0xFFFF));
            Refresh();
            break;
        case msg::kKeyDown:
        case msg::kSysKeyDown: OnKey(static_cast<std::uint32_t>(wParam)); break;
        default: break;
    }
}

void DropDownPopup::OnMouseMove(platform::Point screen) {
    if (list_.DraggingScrollBar()) {
        list_.DragScrollBar(ToLayout(screen));
        Refresh();
        return;
    }
    if (const int index = EntryAt(screen); index >= 0) {
        armed_ = true;
        Highlight(index);
    }
}

void DropDownPopup::OnPress(std::uint32_t message, platform::Point screen) {
    if (message == msg::kLButtonDown && Contains(screen) && list_.PressScrollBar(ToLayout(screen))) {
        Refresh();
        return;
    }
    // Anywhere but on an entry (outside, the border) closes the list.
    if (EntryAt(screen) < 0) open_ = false;
    else armed_ = true;
}

void DropDownPopup::OnRelease(platform::Point screen) {
    if (list_.DraggingScrollBar()) {
        list_.ReleaseScrollBar();
        return;
    }
    const int index = EntryAt(screen);
    if (index >= 0 && armed_) Finish(index);
}

void DropDownPopup::OnKey(std::uint32_t key) {
    const int last = static_cast<int>(request_.entries.size()) - 1;
    switch (key) {
        case msg::kVkEscape:
        case msg::kVkTab:
        case msg::kVkMenu: Finish(-1); break;
        case msg::kVkReturn: Finish(hover_); break;
        case msg::kVkUp: Highlight(std::max(0, hover_ - 1)); break;
        case msg::kVkDown: Highlight(std::min(last, hover_ + 1)); break;
        case msg::kVkPrior: Highlight(std::max(0, hover_ - RowsPerPage())); break;
        case msg::kVkNext: Highlight(std::min(last, std::max(0, hover_ + RowsPerPage()))); break;
        case msg::kVkHome: Highlight(0); break;
        case msg::kVkEnd: Highlight(last); break;
        default: break;
    }
}

void DropDownPopup::Finish(int chosen) {
    chosen_ = chosen;
    open_ = false;
}

}  // namespace zintra::ui
