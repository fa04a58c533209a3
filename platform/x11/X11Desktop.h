// The platform services an X11 display adds to the Linux ones: the connection
// to the X server, XTest input, the keyboard and the XEmbed tray icon. The
// program's entry hands them to the Linux platform and, through
// X11DesktopHooks, to the X11 toolkit backend.
#pragma once

#include "platform/x11/X11DesktopHooks.h"
#include "platform/x11/X11Keyboard.h"
#include "platform/x11/XEmbedTrayIcon.h"
#include "platform/x11/XTestInput.h"

namespace zintra::platform::x11 {

class X11Desktop final : public X11DesktopHooks {
public:
    // Connects to the X server of $DISPLAY; Connected() says whether it worked.
    X11Desktop();
    ~X11Desktop() override;
    X11Desktop(const X11Desktop&) = delete;
    X11Desktop& operator=(const X11Desktop&) = delete;

    bool Connected() const { return display_ != nullptr; }
    XTestInput& Input() { return input_; }
    Keyboard& Keys() { return keyboard_; }
    linux_x11::TrayDock& Dock() { return trayIcon_; }

    Display* GetDisplay() override { return display_; }
    void SetEventState(unsigned int state) override { keyboard_.SetEventState(state); }
    bool HandleDesktopEvent(XEvent& event) override { return input_.HandleEvent(event) || trayIcon_.HandleEvent(event); }
    unsigned int KeycodeOf(std::uint32_t virtualKey) override { return keyboard_.KeycodeOf(virtualKey); }
    std::uint32_t VirtualKeyOf(unsigned int keycode) override { return keyboard_.VirtualKeyOf(keycode); }
    bool FollowKeyboardLayout(const XEvent& event) override { return keyboard_.FollowLayout(event); }

private:
    Display* display_;
    XTestInput input_;
    X11Keyboard keyboard_;
    XEmbedTrayIcon trayIcon_;
};

}  // namespace zintra::platform::x11
