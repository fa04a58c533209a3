// CSettingDlg: the click-count test. With the cursor over the test button the
// start/stop hotkey sends clicks at the chosen interval until the number in the
// limit field is reached, so the user can try a limit before relying on it.
#include <cmath>

#include "clicker/ClickEngine.h"
#include "base/NumberText.h"
#include "platform/Platform.h"
#include "settings/CSettingDlg.h"
#include "ui/core/Backend.h"
#include "ui/controls/SEdit.h"

namespace zintra {

namespace {

// The longest period a window timer takes (USER_TIMER_MAXIMUM).
constexpr double kLongestTimerPeriod = 2147483647.0;

}  // namespace

std::u16string CountTestHint(const std::u16string& hotkeyText, const std::u16string& limitText) {
    return u"2、按下" + hotkeyText + u"后，自动点击设定数" + limitText + u"次后停止";
}

std::u16string CountTestProgress(std::int32_t count) { return u"当前已经点击" + IntegerText(count) + u"次"; }

std::uint32_t CountTestPeriod(float intervalSeconds) {
    const double milliseconds = std::trunc(static_cast<double>(intervalSeconds) * 1000.0);
    if (!(milliseconds > 0.0)) return 0;  // also NaN
    if (milliseconds >= kLongestTimerPeriod) return static_cast<std::uint32_t>(kLongestTimerPeriod);
    return static_cast<std::uint32_t>(milliseconds);
}

void CSettingDlg::ShowLimitHint(const std::u16string& limitText) {
    if (settings_ == nullptr) return;
    // The field's text as typed, not yet a number.
    SetControlText("txt_testHotkey", CountTestHint(settings_->HotkeyText(), limitText));
}

void CSettingDlg::OnStartStopHotkey() {
    if (settings_ == nullptr) return;
    if (testRunning_) {
        StopCountTest();
        return;
    }
    // Unknown where the pointer is: then it is not over this window's button.
    std::optional<platform::Point> known = platform::Current().GetMouseInput().KnownCursorPosition();
    if (!known) return;
    const platform::Point cursor = *known;
    testStartX_ = cursor.x;
    testStartY_ = cursor.y;
    if (ui::SWindow* button = FindChildByName2<ui::SWindow>("btn_test")) {
        const platform::Rect client = button->GetWindowRect();
        const platform::Point topLeft = ClientToScreen({client.left, client.top});
        const platform::Point bottomRight = ClientToScreen({client.right, client.bottom});
        const platform::Rect onScreen{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
        if (!onScreen.Contains(cursor)) return;
    }
    testRunning_ = true;
    preciseTiming_.Begin(ui::CurrentBackend());
    CountTestTick();
}

void CSettingDlg::OnCountTestTimer() {
    // An expiry already queued when the run stopped must not start it again.
    if (!testRunning_) {
        KillTimer(kCountTestTimerId);
        return;
    }
    CountTestTick();
}

void CSettingDlg::StopCountTest() {
    testRunning_ = false;
    KillTimer(kCountTestTimerId);
    testCount_ = 0;  // the text keeps the count reached
    preciseTiming_.End();
}

void CSettingDlg::CountTestTick() {
    if (settings_ == nullptr) return;
    // The limit is the field's text at every step, ticked or not.
    std::int32_t limit = 0;
    if (const ui::SEdit* edit = FindChildByName2<ui::SEdit>("edt_LimitCount")) {
        limit = ReadInteger(edit->GetWindowText());
    }
    if (testCount_ >= limit) {
        StopCountTest();
        return;
    }
    // The first step starts the grid; later ones re-arm only when the
    // repeating timer is off it (a changed interval, a late tick).
    const std::uint32_t period = CountTestPeriod(settings_->interval);
    const std::uint64_t now = platform::Current().GetClock().MonotonicMilliseconds();
    if (testCount_ == 0) {
        SetTimer(kCountTestTimerId, testPacer_.Start(now, period));
    } else if (auto rearm = testPacer_.Tick(now, period)) {
        SetTimer(kCountTestTimerId, *rearm);
    }
    SendTestClick();
    ++testCount_;
    SetControlText("txt_testCount", CountTestProgress(testCount_));
}

void CSettingDlg::SendTestClick() {
    if (settings_ == nullptr) return;
    platform::MouseInput& mouse = platform::Current().GetMouseInput();
    // A complete click of the chosen button at the cursor, which is not moved.
    platform::MouseEvent events[3];
    BuildTrialClickEvents(settings_->clickType, {testStartX_, testStartY_}, InputScreen::Of(mouse), events);
    mouse.SendMouseEvents(events, 3);
}

}  // namespace zintra
