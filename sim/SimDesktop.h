// A simulated desktop for tests, behind both seams: every platform interface
// and the window system, timers and hotkeys a toolkit backend owns, kept in
// memory, every call recorded, and controls for the test to press hotkeys, move the
// pointer, fail the registry and advance a virtual clock that fires timers.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/MessageHandler.h"
#include "platform/Platform.h"
#include "ui/core/Hotkeys.h"
#include "ui/core/Timers.h"
#include "ui/core/WindowSystem.h"
#include "sim/SimKeyboard.h"
#include "sim/SimProcess.h"
#include "sim/SimShell.h"
#include "sim/SimSystem.h"

namespace zintra::sim {

struct StoredValue {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
};

struct PostedMessage {
    platform::NativeWindow window = 0;
    std::uint32_t message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

// One monitor of the simulated desktop, in screen pixels.
struct SimMonitor {
    platform::Rect bounds;
    platform::Rect workArea;
    int dpi = 96;  // 96 is scale 1, 144 is 1.5, 192 is 2
};

struct SimWindow {
    platform::MessageHandler* handler = nullptr;
    bool visible = false;
    int lastShowCommand = -1;
    std::uint64_t raisedAt = 0;  // order of the last SetWindowPos to the top
};

class SimDesktop final : public platform::Platform,
                         public platform::Registry,
                         public platform::MouseInput,
                         public ui::Hotkeys,
                         public ui::Timers,
                         public ui::WindowSystem,
                         public platform::Clock {
public:
    SimDesktop();
    ~SimDesktop() override;

    // Platform
    platform::Registry& GetRegistry() override { return *this; }
    platform::MouseInput& GetMouseInput() override { return *this; }
    platform::Clock& GetClock() override { return *this; }
    platform::Shell& GetShell() override { return shell_; }
    platform::Keyboard& GetKeyboard() override { return keyboard_; }
    platform::Process& GetProcess() override { return process_; }
    platform::System& GetSystem() override { return system_; }
    // None unless a test hands one over (the Linux desktop's entry, on a test folder).
    platform::AutoStart* GetAutoStart() override { return autoStart_; }
    void SetAutoStart(platform::AutoStart* autoStart) { autoStart_ = autoStart; }

    // Registry
    long OpenKey(platform::RegistryRoot root, const std::u16string& subkey, platform::RegistryKey* key) override;
    long CreateKey(platform::RegistryRoot root, const std::u16string& subkey, platform::RegistryKey* key) override;
    long QueryValue(platform::RegistryKey key, const std::u16string& name, std::uint32_t* type, void* data,
                    std::uint32_t* size) override;
    long SetValue(platform::RegistryKey key, const std::u16string& name, std::uint32_t type, const void* data,
                  std::uint32_t size) override;
    long DeleteValue(platform::RegistryKey key, const std::u16string& name) override;
    long FlushKey(platform::RegistryKey key) override;
    long CloseKey(platform::RegistryKey key) override;

    // MouseInput
    std::uint32_t SendMouseEvents(const platform::MouseEvent* events, std::uint32_t count) override;
    platform::Point CursorPosition() override { return cursor_; }
    std::optional<platform::Point> KnownCursorPosition() override {
        return cursorKnown_ ? std::optional(cursor_) : std::nullopt;
    }
    std::string InputProblem() override { return inputProblem_; }
    void PrepareRun(std::function<void(bool ready)> done) override;
    void EndRun() override { ++endRunCalls_; }
    platform::Size PrimaryScreenSize() override;
    platform::Rect VirtualDesktop() override;

    // Hotkeys
    bool RegisterHotKey(platform::NativeWindow window, int id, std::uint32_t modifiers,
                        std::uint32_t virtualKey) override;
    bool UnregisterHotKey(platform::NativeWindow window, int id) override;
    ui::DesktopShortcut DesktopShortcutOf(platform::NativeWindow window, int id) override;

    // Timers
    void SetTimer(platform::NativeWindow window, std::uintptr_t id, std::uint32_t milliseconds) override;
    void KillTimer(platform::NativeWindow window, std::uintptr_t id) override;
    void BeginPreciseTiming() override { ++preciseTimingDepth_; }
    void EndPreciseTiming() override { --preciseTimingDepth_; }

    // WindowSystem
    platform::NativeWindow CreateMessageWindow(platform::MessageHandler& handler) override;
    void DestroyWindow(platform::NativeWindow window) override;
    bool ShowWindow(platform::NativeWindow window, int command) override;
    bool IsWindowVisible(platform::NativeWindow window) override;
    bool SetWindowPos(platform::NativeWindow window, platform::NativeWindow insertAfter, const platform::Rect& rect,
                      std::uint32_t flags) override;
    std::intptr_t SendMessage(platform::NativeWindow window, std::uint32_t message, std::uintptr_t wParam,
                              std::intptr_t lParam) override;
    bool PostMessage(platform::NativeWindow window, std::uint32_t message, std::uintptr_t wParam,
                     std::intptr_t lParam) override;
    int RunMessageLoop() override;
    void PostQuitMessage(int exitCode) override;

    // Clock
    std::uint64_t MonotonicMilliseconds() override { return now_; }
    std::int64_t CalendarTime() override { return calendarBase_ + static_cast<std::int64_t>(now_ / 1000); }
    std::int64_t LocalMidnight(std::int64_t calendarTime) override;

    // ---- Test controls ----

    // Files, temporary directory and adapter address.
    SimSystem& System() { return system_; }

    // Registry contents, by key path (letter case ignored) and value name.
    std::optional<StoredValue> Value(const std::u16string& keyPath, const std::u16string& name) const;
    void PutValue(const std::u16string& keyPath, const std::u16string& name, std::uint32_t type,
                  std::vector<std::uint8_t> data);
    bool KeyExists(const std::u16string& keyPath) const;
    // Makes a key impossible to open or create.
    void FailKey(const std::u16string& keyPath) { failedKeys_.insert(Fold(keyPath)); }
    void FailWrites(bool fail) { failWrites_ = fail; }
    int OpenKeyHandles() const {
        std::lock_guard<std::recursive_mutex> lock(registryLock_);
        return static_cast<int>(handles_.size());
    }
    int FlushCount() const {
        std::lock_guard<std::recursive_mutex> lock(registryLock_);
        return flushCount_;
    }

    // Pointer and screen.
    void MoveCursor(platform::Point p) { cursor_ = p; }
    // Whether the desktop can say where the cursor is (not over another display server's window).
    void SetCursorKnown(bool known) { cursorKnown_ = known; }
    // Input that cannot reach the desktop: while `problem` is set nothing is
    // sent (SendMouseEvents answers 0) and InputProblem says it.
    void SetInputProblem(std::string problem) { inputProblem_ = std::move(problem); }
    // How the desktop answers the next PrepareRun: at once, ready or not, or
    // only when AnswerPrepareRun is called.
    void SetRunReadiness(bool ready, bool later = false) {
        readyToRun_ = ready;
        answerLater_ = later;
    }
    // Answers the PrepareRun left waiting; false when none is.
    bool AnswerPrepareRun(bool ready);
    int PrepareRunCalls() const { return prepareRunCalls_; }
    int EndRunCalls() const { return endRunCalls_; }
    // One monitor of this size (with a 40-pixel task bar), as at start.
    void SetScreenSize(platform::Size size);
    // Several monitors; the first is the primary one and must sit at (0, 0).
    void SetMonitors(std::vector<SimMonitor> monitors);
    const std::vector<SimMonitor>& Monitors() const { return monitors_; }
    // The monitor holding the point, else the nearest one (as Windows picks).
    const SimMonitor& MonitorNearest(platform::Point point) const;
    const std::vector<platform::MouseEvent>& SentEvents() const { return sentEvents_; }
    int SendInputCalls() const { return sendInputCalls_; }
    // Reads of the screen geometry (each a round trip on a real desktop).
    int ScreenGeometryReads() const { return screenGeometryReads_; }
    void ClearSentEvents() { sentEvents_.clear(); sendInputCalls_ = 0; }

    // Hotkeys: a combination another program holds cannot be registered.
    void ReserveHotKey(std::uint32_t modifiers, std::uint32_t virtualKey) { reserved_.insert({modifiers, virtualKey}); }
    // Delivers WM_HOTKEY to the window that registered the combination.
    // Returns false when no window did.
    bool PressHotKey(std::uint32_t modifiers, std::uint32_t virtualKey);
    struct HotkeyRegistration {
        platform::NativeWindow window;
        int id;
        std::uint32_t modifiers;
        std::uint32_t virtualKey;
    };
    const std::vector<HotkeyRegistration>& HotkeyRegistrations() const { return hotkeys_; }
    // A desktop that binds global keys itself: every hotkey registered from
    // now on is Asking until SettleDesktopShortcuts gives the desktop's answer
    // (posted to the registered windows as a real desktop's answer arrives).
    void BindDesktopShortcuts(bool binds) { desktopBinds_ = binds; }
    void SettleDesktopShortcuts(ui::DesktopShortcut answer);
    std::optional<HotkeyRegistration> HotkeyFor(platform::NativeWindow window, int id) const;

    // Timers: the period actually in force (after the 10 ms floor).
    std::optional<std::uint32_t> TimerPeriod(platform::NativeWindow window, std::uintptr_t id) const;
    std::uint32_t LastRequestedPeriod() const { return lastRequestedPeriod_; }
    int SetTimerCalls() const { return setTimerCalls_; }
    int PreciseTimingDepth() const { return preciseTimingDepth_; }
    // Moves the virtual clock forward, firing due timers in order.
    void AdvanceBy(std::uint64_t milliseconds);
    // Every timer expiry arrives this late (a slow platform or a busy thread).
    void SetTimerLatency(std::uint64_t milliseconds) { timerLatency_ = milliseconds; }
    // The next timer expiry arrives this much later still (the thread was busy once).
    void DelayNextTimer(std::uint64_t milliseconds) { nextTimerDelay_ = milliseconds; }
    void SetCalendarBase(std::int64_t seconds) { calendarBase_ = seconds; }
    void SetUtcOffsetSeconds(std::int64_t offset) { utcOffset_ = offset; }

    // The notification area, foreground window and opened addresses.
    SimShell& ShellState() { return shell_; }
    // Which keys are held.
    SimKeyboard& KeyboardState() { return keyboard_; }
    // Mutexes of other instances, the working directory.
    SimProcess& ProcessState() { return process_; }

    // Windows.
    const SimWindow* Window(platform::NativeWindow window) const;
    // Every ShowWindow call in order, also of windows destroyed since.
    const std::vector<std::pair<platform::NativeWindow, int>>& ShowCalls() const { return showCalls_; }
    // Delivers posted messages until none are left; returns how many ran.
    int DispatchPosted();
    // Waits until a message is posted (by any thread); false on time-out.
    bool WaitForPosted(std::chrono::milliseconds timeout);
    std::optional<int> QuitCode() const { return quitCode_; }
    // The message loop waits up to this long for messages from other threads
    // before it returns (none by default: it returns once the queue is empty).
    void SetLoopPatience(std::chrono::milliseconds patience) { loopPatience_ = patience; }

    static std::u16string Fold(const std::u16string& text);

private:
    struct TimerEntry {
        std::uint32_t period = 0;
        std::uint64_t due = 0;
        std::uint64_t order = 0;
    };
    struct KeyHandle {
        std::u16string path;
    };

    std::intptr_t Deliver(platform::NativeWindow window, std::uint32_t message, std::uintptr_t wParam,
                          std::intptr_t lParam);
    long OpenOrCreate(const std::u16string& subkey, bool create, platform::RegistryKey* key);

    // The registry may be used from worker threads, as on Windows.
    mutable std::recursive_mutex registryLock_;
    std::map<std::u16string, std::map<std::u16string, StoredValue>> keys_;  // folded path -> folded name
    std::set<std::u16string> failedKeys_;
    std::map<platform::RegistryKey, KeyHandle> handles_;
    platform::RegistryKey nextHandle_ = 0x100;
    bool failWrites_ = false;
    int flushCount_ = 0;

    platform::Point cursor_{};
    bool cursorKnown_ = true;
    std::string inputProblem_;
    bool readyToRun_ = true;
    bool answerLater_ = false;
    int prepareRunCalls_ = 0;
    int endRunCalls_ = 0;
    std::function<void(bool)> pendingPrepare_;
    std::vector<SimMonitor> monitors_{SimMonitor{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, 96}};
    std::vector<platform::MouseEvent> sentEvents_;
    int sendInputCalls_ = 0;
    int screenGeometryReads_ = 0;
    platform::Rect AllMonitors() const;

    std::vector<HotkeyRegistration> hotkeys_;
    bool desktopBinds_ = false;
    ui::DesktopShortcut desktopShortcut_;
    std::set<std::pair<std::uint32_t, std::uint32_t>> reserved_;

    std::map<std::pair<platform::NativeWindow, std::uintptr_t>, TimerEntry> timers_;
    std::uint64_t timerOrder_ = 0;
    std::uint32_t lastRequestedPeriod_ = 0;
    int setTimerCalls_ = 0;
    std::uint64_t timerLatency_ = 0;
    std::uint64_t nextTimerDelay_ = 0;
    int preciseTimingDepth_ = 0;
    std::uint64_t now_ = 0;
    std::int64_t calendarBase_ = 1796486400 + 12 * 3600;  // noon, 6 December 2026, UTC+8
    std::int64_t utcOffset_ = 8 * 3600;

    std::map<platform::NativeWindow, SimWindow> windows_;
    platform::NativeWindow nextWindow_ = 0x1000;
    std::uint64_t raiseOrder_ = 0;
    std::vector<std::pair<platform::NativeWindow, int>> showCalls_;
    std::mutex postedLock_;
    std::condition_variable postedSignal_;
    std::deque<PostedMessage> posted_;
    std::optional<int> quitCode_;
    std::chrono::milliseconds loopPatience_{0};

    SimShell shell_;
    platform::AutoStart* autoStart_ = nullptr;
    SimKeyboard keyboard_;
    SimProcess process_;
    SimSystem system_;
};

}  // namespace zintra::sim
