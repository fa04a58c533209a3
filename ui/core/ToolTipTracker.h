// Tooltips of a host window: a control with a `tip` shows it near the pointer
// once the pointer has rested on it for the hover delay; leaving the control,
// pressing a button or a key hides it, and it stays hidden until the pointer
// moves to another tip. The window is the toolkit's passive pop-up and never
// takes the focus.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Types.h"

namespace zintra::ui {

class SHostWnd;
class SWindow;
class ToolTipPopup;

class ToolTipTracker {
public:
    // The host's own timer for the delay; it never reaches the window class.
    static constexpr std::uintptr_t kTimerId = 0x5A12;
    // The system's usual initial delay.
    static constexpr std::uint32_t kHoverDelayMilliseconds = 500;
    // The tip sits this many layout units below the pointer, clear of the cursor.
    static constexpr int kBelowPointer = 20;

    explicit ToolTipTracker(SHostWnd& host);
    ~ToolTipTracker();

    // The pointer moved to `point` (client) over `control` (null: over nothing).
    void OnMouseMove(SWindow* control, platform::Point point);
    // A button press or a key: hide, and not again for this tip until the
    // pointer has been elsewhere.
    void Dismiss();
    // The pointer left the window, or the window goes away.
    void OnLeave();
    void OnTimer();
    bool Shown() const { return shown_; }

private:
    void Hide();

    SHostWnd& host_;
    std::u16string pending_;    // the tip the delay runs for
    std::u16string dismissed_;  // hidden by a press or key: not again until another tip
    platform::Point point_;
    bool armed_ = false;
    bool shown_ = false;
    std::unique_ptr<ToolTipPopup> window_;  // made when first shown
};

}  // namespace zintra::ui
