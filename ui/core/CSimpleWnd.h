// A plain native window with its own message handler (no controls), such as
// the tray icon's message window.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/MessageHandler.h"
#include "ui/core/WindowSystem.h"

namespace zintra::ui {

class CSimpleWnd : public platform::MessageHandler {
public:
    CSimpleWnd() = default;
    ~CSimpleWnd() override;
    CSimpleWnd(const CSimpleWnd&) = delete;
    CSimpleWnd& operator=(const CSimpleWnd&) = delete;

    // A hidden top-level window; returns 0 on failure.
    platform::NativeWindow Create();
    void DestroyWindow();
    platform::NativeWindow GetHwnd() const { return hwnd_; }

    std::optional<std::intptr_t> HandleMessage(platform::NativeWindow window, std::uint32_t message,
                                               std::uintptr_t wParam, std::intptr_t lParam) final;

protected:
    // The class's handler; nothing lets the platform's default run.
    virtual std::optional<std::intptr_t> WindowProc(std::uint32_t message, std::uintptr_t wParam,
                                                    std::intptr_t lParam) = 0;
    // The window has received its last message.
    virtual void OnFinalMessage() {}

private:
    platform::NativeWindow hwnd_ = 0;
    WindowSystem* windows_ = nullptr;  // where the window was made
};

}  // namespace zintra::ui
