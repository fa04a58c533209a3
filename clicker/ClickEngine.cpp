#include "clicker/ClickEngine.h"

#include <algorithm>
#include <cmath>

#include "base/TextUtil.h"
#include "clicker/ClickTypes.h"
#include "platform/Messages.h"

namespace zintra {

RuntimeRandom& ProcessRandom() {
    static RuntimeRandom random;
    return random;
}

namespace {

// How stale the screen geometry a run clicks with may get: a monitor added
// or moved during a run is followed within this time.
constexpr std::uint64_t kScreenRereadMilliseconds = 1000;

// float seconds -> double * 1000.0 -> truncation to 64 bits -> low 32 bits.
// Values the conversion cannot represent (NaN, huge) give the processor's
// "integer indefinite" 0x8000000000000000, whose low half is 0.
std::uint32_t SecondsToPeriod(float seconds) {
    const double milliseconds = static_cast<double>(seconds) * 1000.0;
    std::int64_t whole = INT64_MIN;
    if (std::isfinite(milliseconds) && milliseconds > -9.2e18 && milliseconds < 9.2e18) {
        whole = static_cast<std::int64_t>(milliseconds);
    }
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(whole));
}

}  // namespace

std::uint32_t ClickPeriodMilliseconds(const ClickSettings& settings, RuntimeRandom& random) {
    if (const auto own = ClickTypeForEngine(settings.clickType).ownPeriod) return *own;
    if (settings.useRandomTime == 1 && settings.randomMax > 0) {
        return static_cast<std::uint32_t>((random.Next() % settings.randomMax) * 1000);
    }
    return SecondsToPeriod(settings.interval);
}

std::int32_t NormaliseCoordinate(std::int32_t pixel, std::int32_t extent) {
    if (extent <= 0) return 0;  // a failed metrics call must not divide by zero
    const auto product = static_cast<std::int32_t>(static_cast<std::uint32_t>(pixel) * 65536u);
    return product / extent;
}

std::int32_t NormaliseOverDesktop(std::int32_t pixel, std::int32_t origin, std::int32_t extent) {
    if (extent <= 0) return 0;
    const std::int64_t offset = std::clamp<std::int64_t>(std::int64_t{pixel} - origin, 0, extent - 1);
    // Rounded up: the system maps back with (value * extent) / 65536, rounded down.
    return static_cast<std::int32_t>((offset * 65536 + extent - 1) / extent);
}

InputScreen InputScreen::Of(platform::MouseInput& mouse) { return {mouse.PrimaryScreenSize(), mouse.VirtualDesktop()}; }

bool InputScreen::SpansMoreThanPrimary() const {
    // A failed query (an empty desktop) falls back to the primary screen.
    if (desktop.Width() <= 0 || desktop.Height() <= 0) return false;
    return desktop != platform::Rect{0, 0, primary.width, primary.height};
}

namespace {

void FillClickEvents(platform::Point target, const InputScreen& screen, const std::uint32_t (&flags)[3],
                     platform::MouseEvent (&events)[3]) {
    std::int32_t dx = 0;
    std::int32_t dy = 0;
    std::uint32_t desktopFlag = 0;
    if (screen.SpansMoreThanPrimary()) {
        dx = NormaliseOverDesktop(target.x, screen.desktop.left, screen.desktop.Width());
        dy = NormaliseOverDesktop(target.y, screen.desktop.top, screen.desktop.Height());
        desktopFlag = msg::kMouseEventVirtualDesk;
    } else {
        dx = NormaliseCoordinate(target.x, screen.primary.width);
        dy = NormaliseCoordinate(target.y, screen.primary.height);
    }
    for (int i = 0; i < 3; ++i) {
        const std::uint32_t extra = (flags[i] & msg::kMouseEventAbsolute) ? desktopFlag : 0;
        events[i] = platform::MouseEvent{dx, dy, 0, flags[i] | extra, 0, 0};
    }
}

}  // namespace

void BuildClickEvents(const ClickSettings& settings, platform::Point target, const InputScreen& screen,
                      platform::MouseEvent (&events)[3]) {
    const ButtonEvents buttons = ClickTypeForEngine(settings.clickType).click;
    const std::uint32_t positioning = settings.useFixedPos == 1
                                          ? (msg::kMouseEventAbsolute | msg::kMouseEventMove)
                                          : msg::kMouseEventAbsolute;
    const std::uint32_t flags[3] = {positioning, buttons.first, buttons.second};
    FillClickEvents(target, screen, flags, events);
}

void BuildTrialClickEvents(std::int32_t clickType, platform::Point target, const InputScreen& screen,
                           platform::MouseEvent (&events)[3]) {
    const ButtonEvents buttons = ClickTypeForCountTest(clickType).trial;
    const std::uint32_t flags[3] = {msg::kMouseEventAbsolute, buttons.first, buttons.second};
    FillClickEvents(target, screen, flags, events);
}

ClickEngine::ClickEngine(ClickSettings& settings, platform::Platform& platform, RuntimeRandom& random)
    : settings_(settings), platform_(platform), random_(random) {}

ClickEngine::~ClickEngine() {
    *alive_ = false;
    if (running_) platform_.GetMouseInput().EndRun();
    EndPreciseTiming();
}

void ClickEngine::Toggle() {
    if (running_) return StopRun();
    if (preparing_) {
        preparing_ = false;  // a late answer finds another start number
        ++startNumber_;
        return;
    }
    preparing_ = true;
    const std::uint64_t number = ++startNumber_;
    auto asking = std::make_shared<bool>(true);
    platform_.GetMouseInput().PrepareRun([this, alive = alive_, number, asking](bool ready) {
        if (!*alive || number != startNumber_ || !preparing_) return;
        preparing_ = false;
        if (ready) {
            StartRun(*asking ? RunStart::ClickAtOnce : RunStart::ClickAfterOnePeriod);
        } else {
            RefuseRun();
        }
    });
    *asking = false;
}

void ClickEngine::ShowRunNotice() {
    if (settings_.closeRightTip != 0 || notifier_ == nullptr) return;
    notifier_->ShowBalloon(running_ ? kRunStartedNotice : kRunStoppedNotice, u"");
}

void ClickEngine::StopRun() {
    running_ = false;
    ShowRunNotice();
    // A stop sends no click: the next tick finds the run over and ends the timer.
    platform_.GetMouseInput().EndRun();
}

void ClickEngine::StartRun(RunStart start) {
    running_ = true;
    ShowRunNotice();
    if (window_ == nullptr) return;

    if (settings_.hideMain == 1) window_->HideDuringRun();
    clickCount_ = 0;
    if (!preciseTiming_) {
        window_->BeginPreciseTiming();
        preciseTiming_ = true;
    }
    // The run's grid starts with its first click, sent at once, unless the
    // desktop's permission dialog has only just been answered: it may still
    // be going away under the pointer and take that click.
    const std::uint64_t now = platform_.GetClock().MonotonicMilliseconds();
    window_->SetClickTimer(pacer_.Start(now, ClickPeriodMilliseconds(settings_, random_)));
    screenKnown_ = false;  // monitors may have changed since the last run
    if (start == RunStart::ClickAtOnce) SendClick(now);
}

void ClickEngine::RefuseRun() {
    if (running_) {
        running_ = false;
        if (window_ != nullptr) window_->KillClickTimer();
        EndPreciseTiming();
        ShowRunNotice();
        platform_.GetMouseInput().EndRun();
    }
    if (window_ == nullptr) return;
    // Shown again even when hidden for the run: the user has to read why.
    window_->ShowAfterRun();
    window_->ShowInputProblem(Utf8ToUtf16(platform_.GetMouseInput().InputProblem()));
}

bool ClickEngine::OnTimer(std::uintptr_t timerId) {
    if (timerId != kClickTimerId || window_ == nullptr) return true;

    if (settings_.useLimitCount == 1 && clickCount_ >= settings_.limitCount) {
        window_->KillClickTimer();
        if (running_) platform_.GetMouseInput().EndRun();  // the last click may still be held
        running_ = false;
        EndPreciseTiming();
        if (settings_.hideMain == 1) window_->ShowAfterRun();
        return false;
    }

    if (running_) {
        // The repeating timer stays armed while it fires on the grid; it is
        // re-armed only when the period changed or a tick needs catching up.
        const std::uint64_t now = platform_.GetClock().MonotonicMilliseconds();
        if (auto rearm = pacer_.Tick(now, ClickPeriodMilliseconds(settings_, random_))) {
            window_->SetClickTimer(*rearm);
        }
        SendClick(now);
    } else {
        window_->KillClickTimer();
        EndPreciseTiming();
    }
    return true;
}

void ClickEngine::SendClick(std::uint64_t now) {
    auto& mouse = platform_.GetMouseInput();
    if (!screenKnown_ || now - screenReadAt_ >= kScreenRereadMilliseconds) {
        screen_ = InputScreen::Of(mouse);
        screenReadAt_ = now;
        screenKnown_ = true;
    }
    const platform::Point target =
        settings_.useFixedPos == 1 ? platform::Point{settings_.posX, settings_.posY} : mouse.CursorPosition();

    BuildClickEvents(settings_, target, screen_, events_);
    if (mouse.SendMouseEvents(events_, 3) == 0 && !mouse.InputProblem().empty()) {
        RefuseRun();
        return;
    }
    ++clickCount_;
}

void ClickEngine::EndPreciseTiming() {
    if (!preciseTiming_ || window_ == nullptr) return;
    window_->EndPreciseTiming();
    preciseTiming_ = false;
}

}  // namespace zintra
