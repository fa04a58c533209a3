// A tab control ("tabctrl"): a row of tabs over its pages, one page shown at
// a time. Switching pages raises EventTabSelChanged.
#pragma once

#include <optional>

#include "ui/core/SWindow.h"

namespace zintra::ui {

class STabPage;

class STabCtrl : public SWindow {
    ZUI_CLASS_NAME(SWindow, "tabctrl")
public:
    int GetCurSel() const { return curSel_; }
    // Shows page `index`; raises the event when the page changed.
    bool SetCurSel(int index);
    int GetItemCount() const;
    STabPage* GetPage(int index) const;
    // The tab header of page `index` in host client coordinates.
    platform::Rect GetTabRect(int index) const;

    void OnLButtonDown(platform::Point point) override;
    void OnInitFinished() override;
    // Over a tab, its page's tip.
    std::u16string ToolTipAt(platform::Point point) const override;

protected:
    bool ApplyAttribute(std::string_view name, std::string_view value, bool loading) override;
    platform::Rect ChildLayoutRect() const override;
    void PaintContent(Surface& surface) override;

private:
    void ShowOnly(int index);

    int curSel_ = -1;
    std::optional<int> initialSelection_;
    int tabHeight_ = 28;
    int tabWidth_ = 100;
    std::string tabSkin_;
    int animateSteps_ = 0;  // FIXME: page changes are not animated yet.
};

}  // namespace zintra::ui
