#include "ui/core/ToolTipTracker.h"

#include "ui/core/Backend.h"
#include "ui/core/SHostWnd.h"
#include "ui/core/SWindow.h"
#include "ui/core/ToolTipPopup.h"

namespace zintra::ui {

ToolTipTracker::ToolTipTracker(SHostWnd& host) : host_(host) {}

ToolTipTracker::~ToolTipTracker() = default;

void ToolTipTracker::OnMouseMove(SWindow* control, platform::Point point) {
    const std::u16string tip = control != nullptr ? control->ToolTipAt(point) : std::u16string();
    point_ = point;
    if (tip != dismissed_) dismissed_.clear();
    if (tip == pending_ && (armed_ || shown_)) return;  // resting on the same tip
    Hide();
    pending_ = tip;
    if (tip.empty() || tip == dismissed_) return;
    armed_ = host_.SetTimer(kTimerId, kHoverDelayMilliseconds);
}

void ToolTipTracker::OnTimer() {
    host_.KillTimer(kTimerId);
    if (!armed_) return;
    armed_ = false;
    Backend* backend = host_.GetBackend();
    if (backend == nullptr || pending_.empty() || host_.GetHwnd() == 0) return;
    const platform::Point at = host_.ClientToScreen({point_.x, point_.y + kBelowPointer});
    if (!window_) window_ = std::make_unique<ToolTipPopup>(*backend);
    window_->Show(host_.GetHwnd(), pending_, at);
    shown_ = true;
}

void ToolTipTracker::Dismiss() {
    if (armed_ || shown_) dismissed_ = pending_;
    Hide();
    pending_.clear();
}

void ToolTipTracker::OnLeave() {
    Hide();
    pending_.clear();
    dismissed_.clear();
}

void ToolTipTracker::Hide() {
    if (armed_) host_.KillTimer(kTimerId);
    armed_ = false;
    if (!shown_) return;
    shown_ = false;
    if (window_) window_->Close();
}

}  // namespace zintra::ui
