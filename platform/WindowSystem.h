// Plain native windows with a message handler of our own, the message loop and
// the window operations the program uses directly (show, raise, post).
#pragma once

#include <cstdint>
#include <optional>

#include "platform/Types.h"

namespace zintra::platform {

class MessageHandler {
public:
    virtual ~MessageHandler() = default;
    // Returns the message's result when handled, nothing to let the platform's
    // default handling run.
    virtual std::optional<std::intptr_t> HandleMessage(NativeWindow window, std::uint32_t message,
                                                       std::uintptr_t wParam, std::intptr_t lParam) = 0;
};

class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // A hidden top-level window (never shown, not in the taskbar) whose messages
    // go to the handler until it is destroyed.
    virtual NativeWindow CreateMessageWindow(MessageHandler& handler) = 0;
    virtual void DestroyWindow(NativeWindow window) = 0;

    virtual bool ShowWindow(NativeWindow window, int command) = 0;
    virtual bool IsWindowVisible(NativeWindow window) = 0;
    virtual bool SetWindowPos(NativeWindow window, NativeWindow insertAfter, const Rect& rect, std::uint32_t flags) = 0;

    virtual std::intptr_t SendMessage(NativeWindow window, std::uint32_t message, std::uintptr_t wParam,
                                      std::intptr_t lParam) = 0;
    // Safe to call from any thread.
    virtual bool PostMessage(NativeWindow window, std::uint32_t message, std::uintptr_t wParam,
                             std::intptr_t lParam) = 0;

    // Runs until PostQuitMessage; returns its exit code.
    virtual int RunMessageLoop() = 0;
    virtual void PostQuitMessage(int exitCode) = 0;
};

}  // namespace zintra::platform
