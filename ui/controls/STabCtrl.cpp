#include "ui/controls/STabCtrl.h"

#include <algorithm>
#include <cmath>

#include "ui/controls/STabPage.h"
#include "ui/core/Accessible.h"
#include "ui/core/SHostWnd.h"
#include "ui/render/OffsetSurface.h"
#include "ui/render/Skin.h"
#include "ui/render/Surface.h"
#include "base/TextUtil.h"

namespace zintra::ui {

int STabCtrl::GetItemCount() const {
    return static_cast<int>(std::count_if(GetChildren().begin(), GetChildren().end(),
                                          [](const auto& child) { return dynamic_cast<STabPage*>(child.get()) != nullptr; }));
}

STabPage* STabCtrl::GetPage(int index) const {
    int current = 0;
    for (const auto& child : GetChildren()) {
        if (auto* page = dynamic_cast<STabPage*>(child.get())) {
            if (current++ == index) return page;
        }
    }
    return nullptr;
}

void STabCtrl::ShowOnly(int index) {
    int current = 0;
    for (const auto& child : GetChildren()) {
        if (auto* page = dynamic_cast<STabPage*>(child.get())) page->SetVisible(current++ == index);
    }
}

bool STabCtrl::SetCurSel(int index) {
    if (index < 0 || index >= GetItemCount() || index == curSel_) return false;
    const int old = curSel_;
    curSel_ = index;
    ShowOnly(index);
    FinishAnimation();
    SHostWnd* host = GetHost();
    if (animateType_ == kSlide && animateSteps_ > 0 && old >= 0 && host != nullptr && IsVisible(true)) {
        slideFrom_ = old;
        slideStep_ = 0;
        host->StartAnimation(*this);
    }
    Invalidate();
    NotifyAccessible(*this, AccessibleEvent::Selection);
    EventTabSelChanged event(old, index);
    FireEvent(event);
    return true;
}

int STabCtrl::SlideOffset(int width, int step, int steps) {
    if (steps <= 0 || step >= steps) return 0;
    // Ease-out: the distance left falls with the square of the time left, so
    // every step moves less than the one before.
    const double left = 1.0 - static_cast<double>(std::max(0, step)) / steps;
    return static_cast<int>(std::lround(width * left * left));
}

int STabCtrl::AnimationOffset() const {
    if (!IsAnimating()) return 0;
    const int offset = SlideOffset(ChildLayoutRect().Width(), slideStep_, animateSteps_);
    // A later tab comes in from the right, an earlier one from the left.
    return curSel_ > slideFrom_ ? offset : -offset;
}

bool STabCtrl::OnAnimationStep() {
    if (!IsAnimating()) return false;
    ++slideStep_;
    Invalidate();
    if (slideStep_ < animateSteps_) return true;
    slideFrom_ = -1;
    return false;
}

void STabCtrl::FinishAnimation() {
    if (!IsAnimating()) return;
    slideFrom_ = -1;
    Invalidate();
}

void STabCtrl::PaintChildren(Surface& surface) {
    STabPage* incoming = GetPage(curSel_);
    STabPage* outgoing = GetPage(slideFrom_);
    const int offset = AnimationOffset();
    if (offset == 0 || incoming == nullptr || outgoing == nullptr) {
        SWindow::PaintChildren(surface);
        return;
    }
    const platform::Rect area = ChildLayoutRect();
    const int width = area.Width();
    surface.PushClip(area);
    for (const auto& child : GetChildren()) {
        if (child.get() == incoming) {
            OffsetSurface moved(surface, offset, 0);
            incoming->Paint(moved);
        } else if (child.get() == outgoing) {
            OffsetSurface moved(surface, offset > 0 ? offset - width : offset + width, 0);
            outgoing->PaintHidden(moved);
        } else {
            child->Paint(surface);
        }
    }
    surface.PopClip();
}

void STabCtrl::OnInitFinished() {
    // The layout's page is the initial state, not a change.
    const int count = GetItemCount();
    curSel_ = count == 0 ? -1 : std::clamp(initialSelection_.value_or(0), 0, count - 1);
    ShowOnly(curSel_);
}

std::u16string STabCtrl::ToolTipAt(platform::Point point) const {
    for (int i = 0; i < GetItemCount(); ++i) {
        if (GetTabRect(i).Contains(point)) return GetPage(i) != nullptr ? GetPage(i)->GetToolTipText() : u"";
    }
    return SWindow::ToolTipAt(point);
}

platform::Rect STabCtrl::GetTabRect(int index) const {
    const platform::Rect client = GetClientRect();
    const int left = client.left + index * tabWidth_;
    return {left, client.top, left + tabWidth_, client.top + tabHeight_};
}

void STabCtrl::OnLButtonDown(platform::Point point) {
    EventLButtonDown event(point);
    FireEvent(event);
    for (int i = 0; i < GetItemCount(); ++i) {
        if (GetTabRect(i).Contains(point)) {
            SetCurSel(i);
            return;
        }
    }
}

platform::Rect STabCtrl::ChildLayoutRect() const {
    platform::Rect area = GetClientRect();
    area.top = std::min(area.bottom, area.top + tabHeight_);
    return area;
}

bool STabCtrl::ApplyAttribute(std::string_view name, std::string_view value, bool loading) {
    if (name == "curSel") {
        if (loading) {
            initialSelection_ = ParseIntOr(value, 0);
        } else {
            SetCurSel(ParseIntOr(value, 0));
        }
    } else if (name == "tabHeight") {
        tabHeight_ = std::clamp(ParseIntOr(value, 28), 0, 1000);
    } else if (name == "tabWidth") {
        tabWidth_ = std::clamp(ParseIntOr(value, 100), 1, 1000);
    } else if (name == "tabSkin") {
        tabSkin_ = std::string(value);
    } else if (name == "animateSteps") {
        animateSteps_ = std::clamp(ParseIntOr(value, 0), 0, 1000);
    } else if (name == "animateType") {
        // Kinds this control does not know switch at once.
        animateType_ = ParseIntOr(value, kNoAnimation) == kSlide ? kSlide : kNoAnimation;
    } else {
        return SWindow::ApplyAttribute(name, value, loading);
    }
    return true;
}

void STabCtrl::PaintContent(Surface& surface) {
    const Skin* skin = tabSkin_.empty() ? nullptr : FindSkin(tabSkin_);
    for (int i = 0; i < GetItemCount(); ++i) {
        const platform::Rect tab = GetTabRect(i);
        if (skin != nullptr) surface.DrawSkin(tab, *skin, i == curSel_ ? 2 : 0, 255);
        surface.DrawText(tab, GetPage(i)->GetTitle(), GetFont(), GetTextColor(),
                         text_mode::kSingleLine | text_mode::kCenter | text_mode::kVCenter);
    }
}

std::optional<AccessibleRole> STabCtrl::GetAccessibleRole() const { return AccessibleRole::PageTabList; }

std::u16string STabCtrl::GetAccessibleItemName(int item) const {
    const STabPage* page = GetPage(item);
    return page != nullptr ? page->GetTitle() : std::u16string();
}

bool STabCtrl::SelectAccessibleItem(int item) {
    SetCurSel(item);
    return true;
}

}  // namespace zintra::ui
