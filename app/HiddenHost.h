// A hidden window that owns the click settings, the click engine and the
// start/stop hotkey while the program has no main window of its own.
// FIXME: the main window takes these over once it exists.
#pragma once

#include "clicker/ClickEngine.h"
#include "clicker/ClickSettings.h"
#include "platform/Platform.h"

namespace zintra {

class HiddenHost final : public platform::MessageHandler {
public:
    explicit HiddenHost(platform::Platform& platform);
    ~HiddenHost() override;

    // Creates the window, loads the settings and registers the hotkey.
    bool Create();
    platform::NativeWindow Window() const { return window_; }
    const ClickEngine& Engine() const { return engine_; }
    const ClickSettings& Settings() const { return settings_; }

    std::optional<std::intptr_t> HandleMessage(platform::NativeWindow window, std::uint32_t message,
                                               std::uintptr_t wParam, std::intptr_t lParam) override;

private:
    void Exit();

    platform::Platform& platform_;
    ClickSettings settings_;
    ClickEngine engine_;
    platform::NativeWindow window_ = 0;
};

}  // namespace zintra
