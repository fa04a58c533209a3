#include "sim/SimDesktop.h"

#include <algorithm>
#include <cstring>

#include "platform/Messages.h"

namespace zintra::sim {

using platform::NativeWindow;
using platform::RegistryKey;
namespace reg = platform::reg;

SimDesktop::SimDesktop() = default;
SimDesktop::~SimDesktop() = default;

std::u16string SimDesktop::Fold(const std::u16string& text) {
    std::u16string folded = text;
    for (auto& c : folded) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    }
    return folded;
}

// ---- Registry ----

long SimDesktop::OpenOrCreate(const std::u16string& subkey, bool create, RegistryKey* key) {
    std::lock_guard<std::recursive_mutex> lock(registryLock_);
    if (key == nullptr) return reg::kAccessDenied;
    *key = 0;
    const std::u16string path = Fold(subkey);
    if (failedKeys_.count(path)) return reg::kAccessDenied;
    if (!keys_.count(path)) {
        if (!create) return reg::kFileNotFound;
        keys_[path];
    }
    *key = nextHandle_++;
    handles_[*key] = KeyHandle{path};
    return reg::kSuccess;
}

long SimDesktop::OpenKey(platform::RegistryRoot, const std::u16string& subkey, RegistryKey* key) {
    return OpenOrCreate(subkey, false, key);
}

long SimDesktop::CreateKey(platform::RegistryRoot, const std::u16string& subkey, RegistryKey* key) {
    return OpenOrCreate(subkey, true, key);
}

long SimDesktop::QueryValue(RegistryKey key, const std::u16string& name, std::uint32_t* type, void* data,
                            std::uint32_t* size) {
    std::lock_guard<std::recursive_mutex> lock(registryLock_);
    auto handle = handles_.find(key);
    if (handle == handles_.end()) return reg::kInvalidHandle;
    auto& values = keys_[handle->second.path];
    auto value = values.find(Fold(name));
    if (value == values.end()) return reg::kFileNotFound;
    const StoredValue& stored = value->second;
    if (type != nullptr) *type = stored.type;
    const auto needed = static_cast<std::uint32_t>(stored.data.size());
    if (data == nullptr) {
        if (size != nullptr) *size = needed;
        return reg::kSuccess;
    }
    if (size == nullptr) return reg::kAccessDenied;
    if (*size < needed) {
        // Windows leaves the buffer undefined here; scribble so nobody relies on it.
        std::memset(data, 0xCD, *size);
        *size = needed;
        return reg::kMoreData;
    }
    if (needed > 0) std::memcpy(data, stored.data.data(), needed);
    *size = needed;
    return reg::kSuccess;
}

long SimDesktop::SetValue(RegistryKey key, const std::u16string& name, std::uint32_t type, const void* data,
                          std::uint32_t size) {
    std::lock_guard<std::recursive_mutex> lock(registryLock_);
    auto handle = handles_.find(key);
    if (handle == handles_.end()) return reg::kInvalidHandle;
    if (failWrites_) return reg::kAccessDenied;
    StoredValue stored{type, {}};
    if (size > 0) {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        stored.data.assign(bytes, bytes + size);
    }
    keys_[handle->second.path][Fold(name)] = std::move(stored);
    return reg::kSuccess;
}

long SimDesktop::DeleteValue(RegistryKey key, const std::u16string& name) {
    std::lock_guard<std::recursive_mutex> lock(registryLock_);
    auto handle = handles_.find(key);
    if (handle == handles_.end()) return reg::kInvalidHandle;
    return keys_[handle->second.path].erase(Fold(name)) ? reg::kSuccess : reg::kFileNotFound;
}

long SimDesktop::FlushKey(RegistryKey key) {
    std::lock_guard<std::recursive_mutex> lock(registryLock_);
    if (!handles_.count(key)) return reg::kInvalidHandle;
    ++flushCount_;
    return reg::kSuccess;
}

long SimDesktop::CloseKey(RegistryKey key) {
    std::lock_guard<std::recursive_mutex> lock(registryLock_);
    return handles_.erase(key) ? reg::kSuccess : reg::kInvalidHandle;
}

std::optional<StoredValue> SimDesktop::Value(const std::u16string& keyPath, const std::u16string& name) const {
    std::lock_guard<std::recursive_mutex> lock(registryLock_);
    auto key = keys_.find(Fold(keyPath));
    if (key == keys_.end()) return std::nullopt;
    auto value = key->second.find(Fold(name));
    if (value == key->second.end()) return std::nullopt;
    return value->second;
}

void SimDesktop::PutValue(const std::u16string& keyPath, const std::u16string& name, std::uint32_t type,
                          std::vector<std::uint8_t> data) {
    std::lock_guard<std::recursive_mutex> lock(registryLock_);
    keys_[Fold(keyPath)][Fold(name)] = StoredValue{type, std::move(data)};
}

bool SimDesktop::KeyExists(const std::u16string& keyPath) const {
    std::lock_guard<std::recursive_mutex> lock(registryLock_);
    return keys_.count(Fold(keyPath)) > 0;
}

// ---- Mouse ----

platform::Size SimDesktop::PrimaryScreenSize() {
    ++screenGeometryReads_;
    const platform::Rect& primary = monitors_.front().bounds;
    return {primary.Width(), primary.Height()};
}

platform::Rect SimDesktop::VirtualDesktop() {
    ++screenGeometryReads_;
    return AllMonitors();
}

platform::Rect SimDesktop::AllMonitors() const {
    platform::Rect all = monitors_.front().bounds;
    for (const SimMonitor& monitor : monitors_) {
        all.left = std::min(all.left, monitor.bounds.left);
        all.top = std::min(all.top, monitor.bounds.top);
        all.right = std::max(all.right, monitor.bounds.right);
        all.bottom = std::max(all.bottom, monitor.bounds.bottom);
    }
    return all;
}

void SimDesktop::SetScreenSize(platform::Size size) {
    monitors_ = {SimMonitor{{0, 0, size.width, size.height}, {0, 0, size.width, std::max(0, size.height - 40)}, 96}};
}

void SimDesktop::SetMonitors(std::vector<SimMonitor> monitors) {
    if (!monitors.empty()) monitors_ = std::move(monitors);
}

const SimMonitor& SimDesktop::MonitorNearest(platform::Point point) const {
    const auto distance = [point](const platform::Rect& r) {
        const std::int64_t dx = point.x < r.left ? r.left - point.x : (point.x >= r.right ? point.x - r.right + 1 : 0);
        const std::int64_t dy = point.y < r.top ? r.top - point.y : (point.y >= r.bottom ? point.y - r.bottom + 1 : 0);
        return dx * dx + dy * dy;
    };
    const SimMonitor* nearest = &monitors_.front();
    for (const SimMonitor& monitor : monitors_) {
        if (distance(monitor.bounds) < distance(nearest->bounds)) nearest = &monitor;
    }
    return *nearest;
}

void SimDesktop::PrepareRun(std::function<void(bool ready)> done) {
    ++prepareRunCalls_;
    if (answerLater_) {
        pendingPrepare_ = std::move(done);
        return;
    }
    done(readyToRun_);
}

bool SimDesktop::AnswerPrepareRun(bool ready) {
    if (!pendingPrepare_) return false;
    auto done = std::move(pendingPrepare_);
    pendingPrepare_ = nullptr;
    done(ready);
    return true;
}

std::uint32_t SimDesktop::SendMouseEvents(const platform::MouseEvent* events, std::uint32_t count) {
    ++sendInputCalls_;
    if (!inputProblem_.empty()) return 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const auto& e = events[i];
        sentEvents_.push_back(e);
        if (!(e.flags & msg::kMouseEventMove) || !(e.flags & msg::kMouseEventAbsolute)) continue;
        // Windows maps 0..65535 onto the primary screen (or, with the
        // virtual-desktop flag, onto all monitors) and clamps to its edge.
        const platform::Rect area = (e.flags & msg::kMouseEventVirtualDesk)
                                        ? AllMonitors()
                                        : platform::Rect{0, 0, monitors_.front().bounds.Width(),
                                                         monitors_.front().bounds.Height()};
        if (area.Width() <= 0 || area.Height() <= 0) continue;
        const auto map = [](std::int64_t value, std::int64_t origin, std::int64_t extent) {
            return static_cast<std::int32_t>(origin + std::clamp<std::int64_t>(value * extent / 65536, 0, extent - 1));
        };
        cursor_.x = map(e.dx, area.left, area.Width());
        cursor_.y = map(e.dy, area.top, area.Height());
    }
    return count;
}

// ---- Hotkeys ----

bool SimDesktop::RegisterHotKey(NativeWindow window, int id, std::uint32_t modifiers, std::uint32_t virtualKey) {
    if (virtualKey == 0 && modifiers == 0) return false;
    if (reserved_.count({modifiers, virtualKey})) return false;
    for (const auto& r : hotkeys_) {
        if (r.modifiers == modifiers && r.virtualKey == virtualKey) return false;
    }
    hotkeys_.push_back({window, id, modifiers, virtualKey});
    if (desktopBinds_) desktopShortcut_ = {ui::DesktopShortcut::State::Asking, {}};
    return true;
}

ui::DesktopShortcut SimDesktop::DesktopShortcutOf(NativeWindow, int) { return desktopShortcut_; }

void SimDesktop::SettleDesktopShortcuts(ui::DesktopShortcut answer) {
    desktopShortcut_ = std::move(answer);
    for (const auto& r : hotkeys_) {
        PostMessage(r.window, msg::kDesktopShortcutSettled, static_cast<std::uintptr_t>(r.id), 0);
    }
}

bool SimDesktop::UnregisterHotKey(NativeWindow window, int id) {
    auto it = std::find_if(hotkeys_.begin(), hotkeys_.end(),
                           [&](const HotkeyRegistration& r) { return r.window == window && r.id == id; });
    if (it == hotkeys_.end()) return false;
    hotkeys_.erase(it);
    return true;
}

bool SimDesktop::PressHotKey(std::uint32_t modifiers, std::uint32_t virtualKey) {
    for (const auto& r : hotkeys_) {
        if (r.modifiers == modifiers && r.virtualKey == virtualKey) {
            const auto lParam = static_cast<std::intptr_t>((virtualKey << 16) | (modifiers & 0xFFFF));
            Deliver(r.window, msg::kHotKey, static_cast<std::uintptr_t>(r.id), lParam);
            return true;
        }
    }
    return false;
}

std::optional<SimDesktop::HotkeyRegistration> SimDesktop::HotkeyFor(NativeWindow window, int id) const {
    for (const auto& r : hotkeys_) {
        if (r.window == window && r.id == id) return r;
    }
    return std::nullopt;
}

// ---- Timers ----

void SimDesktop::SetTimer(NativeWindow window, std::uintptr_t id, std::uint32_t milliseconds) {
    lastRequestedPeriod_ = milliseconds;
    ++setTimerCalls_;
    // USER_TIMER_MINIMUM and USER_TIMER_MAXIMUM.
    const std::uint32_t period = std::clamp<std::uint32_t>(milliseconds, 10u, 0x7FFFFFFFu);
    timers_[{window, id}] = TimerEntry{period, now_ + period, ++timerOrder_};
}

void SimDesktop::KillTimer(NativeWindow window, std::uintptr_t id) { timers_.erase({window, id}); }

std::optional<std::uint32_t> SimDesktop::TimerPeriod(NativeWindow window, std::uintptr_t id) const {
    auto it = timers_.find({window, id});
    if (it == timers_.end()) return std::nullopt;
    return it->second.period;
}

void SimDesktop::AdvanceBy(std::uint64_t milliseconds) {
    const std::uint64_t target = now_ + milliseconds;
    for (;;) {
        DispatchPosted();
        // An expiry reaches its window late by the latency (and once by the
        // extra delay), never before the clock has got there.
        const std::uint64_t lateness = timerLatency_ + nextTimerDelay_;
        auto next = timers_.end();
        for (auto it = timers_.begin(); it != timers_.end(); ++it) {
            if (it->second.due + lateness > target) continue;
            if (next == timers_.end() || it->second.due < next->second.due ||
                (it->second.due == next->second.due && it->second.order < next->second.order)) {
                next = it;
            }
        }
        if (next == timers_.end()) break;
        now_ = std::max(now_, next->second.due + lateness);
        nextTimerDelay_ = 0;
        // Window timers repeat until killed; the next expiry keeps the phase
        // and those missed meanwhile are dropped, as Windows and Wine do.
        const std::uint64_t period = next->second.period;
        next->second.due += (now_ - next->second.due) / period * period + period;
        const auto [window, id] = next->first;
        Deliver(window, msg::kTimer, id, 0);
    }
    now_ = target;
    DispatchPosted();
}

std::int64_t SimDesktop::LocalMidnight(std::int64_t calendarTime) {
    const std::int64_t local = calendarTime + utcOffset_;
    std::int64_t day = local / 86400;
    if (local % 86400 < 0) --day;
    return day * 86400 - utcOffset_;
}

// ---- Windows ----

NativeWindow SimDesktop::CreateMessageWindow(platform::MessageHandler& handler) {
    const NativeWindow window = nextWindow_;
    nextWindow_ += 0x10;
    windows_[window] = SimWindow{&handler, false, -1, 0};
    return window;
}

void SimDesktop::DestroyWindow(NativeWindow window) {
    if (!windows_.count(window)) return;
    Deliver(window, msg::kDestroy, 0, 0);
    windows_.erase(window);
    for (auto it = timers_.begin(); it != timers_.end();) {
        it = it->first.first == window ? timers_.erase(it) : std::next(it);
    }
    std::erase_if(hotkeys_, [&](const HotkeyRegistration& r) { return r.window == window; });
}

bool SimDesktop::ShowWindow(NativeWindow window, int command) {
    showCalls_.emplace_back(window, command);
    auto it = windows_.find(window);
    if (it == windows_.end()) return false;
    const bool wasVisible = it->second.visible;
    it->second.lastShowCommand = command;
    it->second.visible = command != msg::kSwHide;
    return wasVisible;
}

bool SimDesktop::IsWindowVisible(NativeWindow window) {
    auto it = windows_.find(window);
    return it != windows_.end() && it->second.visible;
}

bool SimDesktop::SetWindowPos(NativeWindow window, NativeWindow insertAfter, const platform::Rect&,
                              std::uint32_t flags) {
    auto it = windows_.find(window);
    if (it == windows_.end()) return false;
    if (insertAfter == 0 && !(flags & msg::kSwpNoZOrder)) it->second.raisedAt = ++raiseOrder_;
    return true;
}

const SimWindow* SimDesktop::Window(NativeWindow window) const {
    auto it = windows_.find(window);
    return it == windows_.end() ? nullptr : &it->second;
}

std::intptr_t SimDesktop::Deliver(NativeWindow window, std::uint32_t message, std::uintptr_t wParam,
                                  std::intptr_t lParam) {
    auto it = windows_.find(window);
    if (it == windows_.end() || it->second.handler == nullptr) return 0;
    if (const auto result = it->second.handler->HandleMessage(window, message, wParam, lParam)) return *result;
    // What the system's default handling does with a message nobody handled.
    if (message == msg::kSysCommand && (wParam & 0xFFF0) == msg::kScMinimize) ShowWindow(window, msg::kSwMinimize);
    return 0;
}

std::intptr_t SimDesktop::SendMessage(NativeWindow window, std::uint32_t message, std::uintptr_t wParam,
                                      std::intptr_t lParam) {
    return Deliver(window, message, wParam, lParam);
}

bool SimDesktop::PostMessage(NativeWindow window, std::uint32_t message, std::uintptr_t wParam,
                             std::intptr_t lParam) {
    {
        std::lock_guard<std::mutex> lock(postedLock_);
        posted_.push_back({window, message, wParam, lParam});
    }
    postedSignal_.notify_all();
    return true;
}

bool SimDesktop::WaitForPosted(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(postedLock_);
    return postedSignal_.wait_for(lock, timeout, [this] { return !posted_.empty(); });
}

int SimDesktop::DispatchPosted() {
    int count = 0;
    for (;;) {
        PostedMessage next;
        {
            std::lock_guard<std::mutex> lock(postedLock_);
            if (posted_.empty()) break;
            next = posted_.front();
            posted_.pop_front();
        }
        Deliver(next.window, next.message, next.wParam, next.lParam);
        ++count;
    }
    return count;
}

int SimDesktop::RunMessageLoop() {
    // Nothing blocks in the simulation: run what is queued and report the quit
    // code. As on Windows, messages posted before the quit still arrive.
    for (;;) {
        while (DispatchPosted() > 0) {
        }
        // Nothing queued: a test that expects a post from another thread lets
        // the loop wait for it; otherwise the loop is over.
        if (quitCode_ || loopPatience_.count() == 0 || !WaitForPosted(loopPatience_)) break;
    }
    return quitCode_.value_or(0);
}

void SimDesktop::PostQuitMessage(int exitCode) { quitCode_ = exitCode; }

}  // namespace zintra::sim
