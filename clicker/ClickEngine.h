// Turns the click settings into synthetic mouse input: a toggle starts a run
// that sends one click at once and then one per expiry of a window timer,
// with a freshly computed period for every click, kept on the run's grid by
// the pacer so that late ticks do not add up.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "base/WindowIds.h"
#include "clicker/ClickPacer.h"
#include "clicker/ClickSettings.h"
#include "clicker/RuntimeRandom.h"
#include "platform/MouseInput.h"
#include "platform/Platform.h"

namespace zintra {

inline constexpr char16_t kRunStartedNotice[] = u"鼠标连点器已经开始";
inline constexpr char16_t kRunStoppedNotice[] = u"鼠标连点器已经停止";

// Shows the start and stop notices; the tray icon implements it.
class RunNotifier {
public:
    virtual ~RunNotifier() = default;
    virtual void ShowBalloon(std::u16string_view text, std::u16string_view title) = 0;
};

// The timer period in milliseconds for the next click, as the settings ask.
std::uint32_t ClickPeriodMilliseconds(const ClickSettings& settings, RuntimeRandom& random);

// Normalises a screen pixel to 0..65535 over a screen of the given extent,
// in wrapping signed 32-bit arithmetic: (pixel * 65536) / extent.
std::int32_t NormaliseCoordinate(std::int32_t pixel, std::int32_t extent);

// Normalises a pixel of the virtual desktop (which starts at `origin` and is
// `extent` pixels long) to the smallest 0..65535 value that maps back onto
// that pixel, so a point on any monitor is hit exactly.
std::int32_t NormaliseOverDesktop(std::int32_t pixel, std::int32_t origin, std::int32_t extent);

// Where absolute input positions are measured. On one monitor the virtual
// desktop is the primary screen and positions are normalised over it as they
// always were; when other monitors extend it, over the whole virtual desktop,
// so a point picked on a second monitor is clicked there and not on the edge
// of the first.
struct InputScreen {
    platform::Size primary;
    platform::Rect desktop;

    static InputScreen Of(platform::MouseInput& mouse);
    bool SpansMoreThanPrimary() const;
};

// The three events of one click: positioning, then the two button events.
void BuildClickEvents(const ClickSettings& settings, platform::Point target, const InputScreen& screen,
                      platform::MouseEvent (&events)[3]);

// The three events the count test sends for one click of a type at a screen
// point, positioned without moving the pointer.
void BuildTrialClickEvents(std::int32_t clickType, platform::Point target, const InputScreen& screen,
                           platform::MouseEvent (&events)[3]);

// What a run needs of the window it belongs to: its one-shot click timer,
// precise timing while it runs, and hiding the window for hideMain.
class ClickWindow {
public:
    virtual ~ClickWindow() = default;
    virtual void SetClickTimer(std::uint32_t milliseconds) = 0;
    virtual void KillClickTimer() = 0;
    virtual void BeginPreciseTiming() = 0;
    virtual void EndPreciseTiming() = 0;
    virtual void HideDuringRun() = 0;
    // Shown again, on top, without moving or repainting.
    virtual void ShowAfterRun() = 0;
};

class ClickEngine {
public:
    ClickEngine(ClickSettings& settings, platform::Platform& platform, RuntimeRandom& random = ProcessRandom());
    ~ClickEngine();
    ClickEngine(const ClickEngine&) = delete;
    ClickEngine& operator=(const ClickEngine&) = delete;

    // The window that owns the click timer and is hidden and shown for hideMain.
    void SetWindow(ClickWindow* window) { window_ = window; }
    void SetNotifier(RunNotifier* notifier) { notifier_ = notifier; }

    // One press of the start/stop hotkey.
    void Toggle();
    // WM_TIMER. Returns whether the message should go on to default handling:
    // false only for the tick at which the click limit ends a run.
    bool OnTimer(std::uintptr_t timerId);

    bool Running() const { return running_; }
    std::int32_t ClickCount() const { return clickCount_; }

private:
    // Starts a run once the input path is ready.
    void BeginRun();
    // Tells the user why input cannot reach the desktop.
    void ReportInputProblem();
    // One click at the pointer or the fixed position.
    void SendClick(std::uint64_t now);
    void EndPreciseTiming();

    ClickSettings& settings_;
    platform::Platform& platform_;
    RuntimeRandom& random_;
    ClickWindow* window_ = nullptr;
    RunNotifier* notifier_ = nullptr;
    bool running_ = false;
    // A start waits for the input path's answer; a press meanwhile cancels it.
    bool waitingForInput_ = false;
    std::uint64_t inputRequest_ = 0;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);  // answers arriving after the engine ends are dropped
    bool preciseTiming_ = false;
    std::int32_t clickCount_ = 0;
    ClickPacer pacer_;
    platform::MouseEvent events_[3] = {};
    // The screen geometry, read again at most once a second during a run:
    // reading it costs several round trips to the window server per call,
    // more than the click itself.
    InputScreen screen_;
    std::uint64_t screenReadAt_ = 0;
    bool screenKnown_ = false;
};

}  // namespace zintra
