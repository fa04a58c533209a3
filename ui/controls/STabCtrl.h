// A tab control ("tabctrl"): a row of tabs over its pages, one page shown at
// a time. Switching pages raises EventTabSelChanged. With animateType="1" and
// animateSteps="N" the new page slides in from the side of its tab over N
// steps, slowing down towards the end, and pushes the old one out. Only the
// painting moves: the pages are laid out where they stay from the first step,
// and any input ends the slide at once.
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

    // Readers see the pages as the tab list's entries, each at its tab.
    std::optional<AccessibleRole> GetAccessibleRole() const override;
    int GetAccessibleItemCount() const override { return GetItemCount(); }
    std::u16string GetAccessibleItemName(int item) const override;
    int GetAccessibleSelection() const override { return GetCurSel(); }
    platform::Rect GetAccessibleItemRect(int item) const override { return GetTabRect(item); }
    bool SelectAccessibleItem(int item) override;

    void OnLButtonDown(platform::Point point) override;
    void OnInitFinished() override;
    bool OnAnimationStep() override;
    void FinishAnimation() override;

    // The slide kinds of animateType.
    enum AnimationType { kNoAnimation = 0, kSlide = 1 };
    // How far (layout units, signed) the new page is drawn from its place at
    // `step` of `steps`; 0 from the last step on.
    static int SlideOffset(int width, int step, int steps);
    // The new page's painted distance from its place now; 0 when at rest.
    int AnimationOffset() const;
    bool IsAnimating() const { return slideFrom_ >= 0; }
    // Over a tab, its page's tip.
    std::u16string ToolTipAt(platform::Point point) const override;

protected:
    bool ApplyAttribute(std::string_view name, std::string_view value, bool loading) override;
    platform::Rect ChildLayoutRect() const override;
    void PaintContent(Surface& surface) override;
    void PaintChildren(Surface& surface) override;

private:
    void ShowOnly(int index);

    int curSel_ = -1;
    std::optional<int> initialSelection_;
    int tabHeight_ = 28;
    int tabWidth_ = 100;
    std::string tabSkin_;
    int animateSteps_ = 0;
    int animateType_ = kNoAnimation;
    int slideFrom_ = -1;  // the page sliding out, -1 when at rest
    int slideStep_ = 0;
};

}  // namespace zintra::ui
