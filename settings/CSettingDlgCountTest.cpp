// CSettingDlg: the click-count test. With the cursor over the test button the
// start/stop hotkey sends clicks at the chosen interval until the number in the
// limit field is reached, so the user can try a limit before relying on it.
#include <cmath>

#include "clicker/ClickEngine.h"
#include "clicker/NumberText.h"
#include "platform/Messages.h"
#include "platform/Platform.h"
#include "settings/CSettingDlg.h"
#include "ui/SEdit.h"

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
    const platform::Point cursor = platform::Current().GetMouseInput().CursorPosition();
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
    BeginPreciseTiming();
    CountTestTick();
}

void CSettingDlg::OnCountTestTimer() {
    // An expiry already queued when the run stopped must not start it again.
    if (!testRunning_) {
        KillTimer(TIMER_COUNT_TEST);
        return;
    }
    CountTestTick();
}

void CSettingDlg::StopCountTest() {
    testRunning_ = false;
    KillTimer(TIMER_COUNT_TEST);
    testCount_ = 0;  // the text keeps the count reached
    EndPreciseTiming();
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
        SetTimer(TIMER_COUNT_TEST, testPacer_.Start(now, period));
    } else if (auto rearm = testPacer_.Tick(now, period)) {
        SetTimer(TIMER_COUNT_TEST, *rearm);
    }
    SendTestClick();
    ++testCount_;
    SetControlText("txt_testCount", CountTestProgress(testCount_));
}

void CSettingDlg::SendTestClick() {
    if (settings_ == nullptr) return;
    platform::MouseInput& mouse = platform::Current().GetMouseInput();
    const platform::Size screen = mouse.PrimaryScreenSize();
    const std::int32_t dx = NormaliseCoordinate(testStartX_, screen.width);
    const std::int32_t dy = NormaliseCoordinate(testStartY_, screen.height);
    // A complete click of the chosen button at the cursor, which is not moved;
    // the long-press type is tried as a plain left click.
    const bool right = settings_->clickType == kClickRight;
    const std::uint32_t flags[3] = {
        msg::kMouseEventAbsolute,
        right ? msg::kMouseEventRightDown : msg::kMouseEventLeftDown,
        right ? msg::kMouseEventRightUp : msg::kMouseEventLeftUp,
    };
    platform::MouseEvent events[3];
    for (int i = 0; i < 3; ++i) events[i] = platform::MouseEvent{dx, dy, 0, flags[i], 0, 0};
    mouse.SendMouseEvents(events, 3);
}

void CSettingDlg::BeginPreciseTiming() {
    if (preciseTiming_) return;
    platform::Current().GetTimers().BeginPreciseTiming();
    preciseTiming_ = true;
}

void CSettingDlg::EndPreciseTiming() {
    if (!preciseTiming_) return;
    platform::Current().GetTimers().EndPreciseTiming();
    preciseTiming_ = false;
}

}  // namespace zintra
