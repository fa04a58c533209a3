#include "ui/controls/STabCtrl.h"

#include <algorithm>

#include "ui/controls/STabPage.h"
#include "ui/core/Accessible.h"
#include "ui/render/Skin.h"
#include "ui/render/Surface.h"
#include "ui/core/TextUtil.h"

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
    Invalidate();
    NotifyAccessible(*this, AccessibleEvent::Selection);
    EventTabSelChanged event(old, index);
    FireEvent(event);
    return true;
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
        animateSteps_ = ParseIntOr(value, 0);
    } else if (name == "animateType") {
        // Accepted so layouts may ask for it; see animateSteps_.
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

}  // namespace zintra::ui
