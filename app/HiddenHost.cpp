#include "app/HiddenHost.h"

#include "clicker/StartStopHotkey.h"
#include "platform/Messages.h"

namespace zintra {

HiddenHost::HiddenHost(platform::Platform& platform) : platform_(platform), engine_(settings_, platform) {}

HiddenHost::~HiddenHost() {
    if (window_ != 0) platform_.GetWindowSystem().DestroyWindow(window_);
}

bool HiddenHost::Create() {
    window_ = platform_.GetWindowSystem().CreateMessageWindow(*this);
    if (window_ == 0) return false;
    engine_.SetWindow(window_);
    // Without the settings key no hotkey is registered until the user picks one.
    if (settings_.Load(platform_.GetRegistry())) {
        RegisterStartStopHotkey(platform_.GetHotkeys(), window_, settings_);
    }
    return true;
}

void HiddenHost::Exit() {
    settings_.Save(platform_.GetRegistry());
    UnregisterStartStopHotkey(platform_.GetHotkeys(), window_);
    const platform::NativeWindow window = window_;
    window_ = 0;
    platform_.GetWindowSystem().DestroyWindow(window);
    platform_.GetWindowSystem().PostQuitMessage(0);
}

std::optional<std::intptr_t> HiddenHost::HandleMessage(platform::NativeWindow, std::uint32_t message,
                                                       std::uintptr_t wParam, std::intptr_t) {
    switch (message) {
        case msg::kHotKey:
            if (wParam != kStartStopHotkeyId) return std::nullopt;
            engine_.Toggle();
            return 0;
        case msg::kTimer:
            engine_.OnTimer(wParam);
            return 0;
        case msg::kClose:
            Exit();
            return 0;
        case msg::kEndSession:
            if (wParam != 0 && window_ != 0) settings_.Save(platform_.GetRegistry());
            return 0;
        default:
            return std::nullopt;
    }
}

}  // namespace zintra
