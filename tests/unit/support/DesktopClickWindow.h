// A click engine's window on the simulated desktop, doing what the main window
// does for it: the click timer on that window, precise timing, hiding and
// showing it again on top.
#pragma once

#include <string>
#include <vector>

#include "clicker/ClickEngine.h"
#include "platform/Messages.h"
#include "sim/SimDesktop.h"

namespace zintra::test {

class DesktopClickWindow final : public ClickWindow {
public:
    DesktopClickWindow(sim::SimDesktop& desktop, platform::NativeWindow window) : desktop_(desktop), window_(window) {}

    void SetClickTimer(std::uint32_t milliseconds) override { desktop_.SetTimer(window_, kClickTimerId, milliseconds); }
    void KillClickTimer() override { desktop_.KillTimer(window_, kClickTimerId); }
    void BeginPreciseTiming() override { desktop_.BeginPreciseTiming(); }
    void EndPreciseTiming() override { desktop_.EndPreciseTiming(); }
    void HideDuringRun() override { desktop_.ShowWindow(window_, msg::kSwHide); }
    void ShowAfterRun() override {
        desktop_.ShowWindow(window_, msg::kSwShow);
        desktop_.SetWindowPos(window_, 0, platform::Rect{}, msg::kSwpNoSize | msg::kSwpNoMove | msg::kSwpNoRedraw);
    }

    void ShowInputProblem(std::u16string_view problem) override { problems.emplace_back(problem); }

    std::vector<std::u16string> problems;  // as shown, in order

private:
    sim::SimDesktop& desktop_;
    platform::NativeWindow window_;
};

}  // namespace zintra::test
