// The one event loop: posted messages, X events, timers (with the caret's
// blink), painting, then one ppoll over the X connection, the wake-up pipe
// and the platform's desktop services (the session bus).
#include <poll.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>

#include "platform/Messages.h"
#include "ui/x11/X11Backend.h"
#include "ui/x11/X11BackendParts.h"

namespace zintra::ui {

using platform::NativeWindow;

int X11Backend::RunMessageLoop() {
    // Started hidden: no window will map, and the program is up now.
    if (!startupId_.empty() && std::none_of(hosts_.begin(), hosts_.end(), [](const auto& entry) {
            return entry.second->visible;
        })) {
        if (!hosts_.empty()) CompleteStartup(hosts_.begin()->second->xid);
    }
    Pump([] { return true; });
    return quitCode_;
}

bool X11Backend::DispatchPosted() {
    Posted message{};
    {
        std::lock_guard<std::mutex> lock(postedLock_);
        if (posted_.empty()) return false;
        message = posted_.front();
        posted_.pop_front();
    }
    Deliver(message.window, message.message, message.wParam, message.lParam);
    return true;
}

std::uint64_t NextTimerDue(std::uint64_t due, std::uint64_t step, std::uint64_t now) {
    std::uint64_t next = due + step;
    if (next <= now) next += ((now - next) / step + 1) * step;
    return next;
}

bool X11Backend::DispatchTimer() {
    const std::uint64_t now = NowMicroseconds();
    // Caret blinks are the backend's own; the host never sees them.
    for (auto& [window, host] : hosts_) {
        if (host->destroying || !host->caret || host->caretDue > now) continue;
        host->caretOn = !host->caretOn;
        host->caretDue = now + kCaretBlinkMicroseconds;
        host->dirty = true;
    }
    auto next = timers_.end();
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
        if (it->second.due <= now && (next == timers_.end() || it->second.due < next->second.due)) next = it;
    }
    if (next == timers_.end()) return false;
    next->second.due = NextTimerDue(next->second.due, next->second.period * 1000ull, now);
    const auto [window, id] = next->first;
    firing_ = Firing{window, id, now};
    Deliver(window, msg::kTimer, id, 0);
    firing_.reset();
    return true;
}

void X11Backend::WaitForWork() {
    XFlush(display_);
    if (XEventsQueued(display_, QueuedAlready) > 0) return;
    {
        std::lock_guard<std::mutex> lock(postedLock_);
        if (!posted_.empty()) return;
    }
    std::uint64_t due = UINT64_MAX;
    for (const auto& [key, timer] : timers_) due = std::min(due, timer.due);
    for (const auto& [window, host] : hosts_) {
        if (!host->destroying && host->caret) due = std::min(due, host->caretDue);
    }
    timespec timeout{};
    timespec* wait = nullptr;
    if (due != UINT64_MAX) {
        const std::uint64_t now = NowMicroseconds();
        const std::uint64_t left = due > now ? due - now : 0;
        timeout.tv_sec = static_cast<time_t>(left / 1000000);
        timeout.tv_nsec = static_cast<long>((left % 1000000) * 1000);
        wait = &timeout;
    }
    // The platform's own descriptor (the session bus of the tray and the notices) waits here too.
    platform::linux_x11::EventSource& desktop = desktop_.DesktopEvents();
    const int desktopFd = desktop.Descriptor();
    if (desktopFd >= 0) {
        if (const auto desktopDue = desktop.Timeout()) {
            const std::uint64_t left = std::min<std::uint64_t>(*desktopDue, 3600ull * 1000000ull);
            if (wait == nullptr || left < static_cast<std::uint64_t>(timeout.tv_sec) * 1000000u +
                                              static_cast<std::uint64_t>(timeout.tv_nsec / 1000)) {
                timeout.tv_sec = static_cast<time_t>(left / 1000000);
                timeout.tv_nsec = static_cast<long>((left % 1000000) * 1000);
                wait = &timeout;
            }
        }
    }
    pollfd fds[3] = {{ConnectionNumber(display_), POLLIN, 0}, {wake_[0], POLLIN, 0},
                     {desktopFd, desktopFd >= 0 ? desktop.Events() : short{0}, 0}};
    if (ppoll(fds, 3, wait, nullptr) > 0 && (fds[1].revents & POLLIN)) {
        char drained[64];
        while (::read(wake_[0], drained, sizeof(drained)) > 0) {
        }
    }
    // Whatever woke us, the bus gets its turn: it may have messages read
    // already, or a deadline that passed. Its callbacks only post messages.
    if (desktopFd >= 0) desktop.Dispatch();
}

bool X11Backend::Pump(const std::function<bool()>& running) {
    ++pumpDepth_;
    const bool ran = PumpLoop(running);
    --pumpDepth_;
    return ran;
}

bool X11Backend::PumpLoop(const std::function<bool()>& running) {
    while (running()) {
        if (quitting_) return false;
        // Only the outermost loop frees windows: an event being handled further
        // out may still hold one that a nested loop saw destroyed.
        if (pumpDepth_ == 1) graveyard_.clear();
        if (DispatchPosted()) continue;
        if (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            HandleEvent(event);
            continue;
        }
        if (DispatchTimer()) continue;
        RenderDirty();
        if (inputMethodDue_) {
            XFlush(display_);  // the first paint goes out before the compose table is read
            ConnectInputMethod();
            continue;
        }
        WaitForWork();
    }
    return !quitting_;
}

void X11Backend::SetTimer(NativeWindow window, std::uintptr_t id, std::uint32_t milliseconds) {
    // The same limits as window timers elsewhere: at least 10 ms.
    const std::uint32_t period = std::clamp<std::uint32_t>(milliseconds, 10u, 0x7FFFFFFFu);
    // A timer set again while its own tick is being handled (the click engine
    // does this when the period changes) counts from that tick's delivery, so the
    // handler's own work does not stretch every period.
    const std::uint64_t from = firing_ && firing_->window == window && firing_->id == id ? firing_->delivered
                                                                                         : NowMicroseconds();
    timers_[{window, id}] = Timer{period, from + period * 1000ull};
}

void X11Backend::KillTimer(NativeWindow window, std::uintptr_t id) { timers_.erase({window, id}); }

void X11Backend::BeginPreciseTiming() {
    // The loop already sleeps to the microsecond; a small slack keeps the kernel from rounding up.
    if (preciseTiming_++ == 0) prctl(PR_SET_TIMERSLACK, 1000UL, 0, 0, 0);
}

void X11Backend::EndPreciseTiming() {
    if (preciseTiming_ <= 0) return;
    if (--preciseTiming_ == 0) prctl(PR_SET_TIMERSLACK, 0UL, 0, 0, 0);  // back to the default
}

}  // namespace zintra::ui
