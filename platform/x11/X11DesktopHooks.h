// What the X11 toolkit backend needs from the X11 platform services beside
// the shared connection: the modifier state of the event being handled (which
// the keyboard reports), the keys of the active layout and the first look at each event (the platform's own
// tray window and the tray manager's announcements).
#pragma once

#include <cstdint>

typedef struct _XDisplay Display;
typedef union _XEvent XEvent;

namespace zintra::platform::x11 {

class X11DesktopHooks {
public:
    virtual ~X11DesktopHooks() = default;
    // The open connection to the X server.
    virtual Display* GetDisplay() = 0;
    // The X modifier state of the key or button event being handled.
    virtual void SetEventState(unsigned int state) = 0;
    // An event the platform handles itself: the backend leaves it alone.
    virtual bool HandleDesktopEvent(XEvent& event) = 0;
    // Virtual keys and X key codes in the active keyboard layout, 0 for none
    // (hotkeys are grabbed by code and key events carry codes).
    virtual unsigned int KeycodeOf(std::uint32_t virtualKey) = 0;
    virtual std::uint32_t VirtualKeyOf(unsigned int keycode) = 0;
    // After a change of the keyboard map or layout group: true when keys
    // have other codes now (grabs must move with them).
    virtual bool FollowKeyboardLayout(const XEvent& event) = 0;
};

}  // namespace zintra::platform::x11
