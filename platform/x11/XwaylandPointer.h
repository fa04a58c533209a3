// Whether the pointer Xwayland reports is where the user's pointer is.
// Xwayland hears of the compositor's pointer only while it is over an X11
// window; over a Wayland window it keeps its last position, and XTest motion
// (any program's) or an X11 window mapped there moves its pointer without the
// user's (measured in sway 1.7 with Xwayland 22.1). So its position counts as
// the user's only after motion of a pointer device of its own, until XTest
// moves it or it crosses into or out of a window by itself.
#pragma once

#include <map>
#include <memory>

typedef struct _XDisplay Display;
typedef union _XEvent XEvent;

namespace zintra::platform::x11 {

class XwaylandPointer {
public:
    // For the X display of a Wayland session (Xwayland); null without XInput 2.2.
    static std::unique_ptr<XwaylandPointer> Follow(Display* display);

    // Takes the XInput events it asked for; true when `event` was one.
    bool HandleEvent(XEvent& event);
    // Whether the position is the user's, after the events already queued
    // (a reply from the server comes after the events it sent before it).
    bool UsersOwn();

private:
    XwaylandPointer(Display* display, int opcode) : display_(display), opcode_(opcode) {}
    bool IsXTest(int device);

    Display* display_;
    int opcode_;
    // Nothing is known at start: the pointer may be anywhere.
    bool usersOwn_ = false;
    std::map<int, bool> xtest_;
};

}  // namespace zintra::platform::x11
