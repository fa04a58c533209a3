// What the X11 toolkit backend needs from the X11 platform services beside
// the shared connection: the modifier state of the event being handled (which
// the keyboard reports) and the first look at each event (the platform's own
// tray window and the tray manager's announcements).
#pragma once

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
};

}  // namespace zintra::platform::x11
