// Plain native windows with a message handler of our own, the message loop and
// the window operations the program uses directly (show, raise, post). Part of
// the backend: whoever owns the windows owns their messages.
#pragma once

#include <cstdint>

#include "platform/MessageHandler.h"
#include "platform/Types.h"

namespace zintra::ui {

class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // A hidden top-level window (never shown, not in the taskbar) whose messages
    // go to the handler until it is destroyed.
    virtual platform::NativeWindow CreateMessageWindow(platform::MessageHandler& handler) = 0;
    virtual void DestroyWindow(platform::NativeWindow window) = 0;

    virtual bool ShowWindow(platform::NativeWindow window, int command) = 0;
    virtual bool IsWindowVisible(platform::NativeWindow window) = 0;
    virtual bool SetWindowPos(platform::NativeWindow window, platform::NativeWindow insertAfter,
                              const platform::Rect& rect, std::uint32_t flags) = 0;

    virtual std::intptr_t SendMessage(platform::NativeWindow window, std::uint32_t message, std::uintptr_t wParam,
                                      std::intptr_t lParam) = 0;
    // Safe to call from any thread.
    virtual bool PostMessage(platform::NativeWindow window, std::uint32_t message, std::uintptr_t wParam,
                             std::intptr_t lParam) = 0;

    // Runs until PostQuitMessage; returns its exit code.
    virtual int RunMessageLoop() = 0;
    virtual void PostQuitMessage(int exitCode) = 0;
};

}  // namespace zintra::ui
