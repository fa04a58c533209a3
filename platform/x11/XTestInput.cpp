#include "platform/x11/XTestInput.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include "platform/Messages.h"

namespace zintra::platform::x11 {

XTestInput::XTestInput(Display* display) : display_(display) {
    if (display_ == nullptr) return;
    int event = 0, error = 0, major = 0, minor = 0;
    haveXTest_ = XTestQueryExtension(display_, &event, &error, &major, &minor) != False;
    // Clicks sent while another client grabs the server still go through.
    if (haveXTest_) XTestGrabControl(display_, True);
}

XTestInput::~XTestInput() = default;

void XTestInput::FollowXwaylandPointer() { xwayland_ = XwaylandPointer::Follow(display_); }

std::uint32_t XTestInput::SendMouseEvents(const MouseEvent* events, std::uint32_t count) {
    if (display_ == nullptr || !haveXTest_) return 0;
    const Size screen = PrimaryScreenSize();
    for (std::uint32_t i = 0; i < count; ++i) {
        const MouseEvent& e = events[i];
        if ((e.flags & msg::kMouseEventMove) != 0) {
            if ((e.flags & msg::kMouseEventAbsolute) != 0) {
                // The exact inverse of the program's normalisation to 0..65535.
                const auto denormalise = [](std::int32_t value, std::int32_t extent) {
                    return static_cast<int>((static_cast<std::int64_t>(value) * extent + 65535) / 65536);
                };
                XTestFakeMotionEvent(display_, -1, denormalise(e.dx, screen.width), denormalise(e.dy, screen.height),
                                     CurrentTime);
            } else {
                XTestFakeRelativeMotionEvent(display_, e.dx, e.dy, CurrentTime);
            }
        }
        for (const MouseButton& b : kMouseButtons) {
            if (e.flags & b.downFlag) XTestFakeButtonEvent(display_, b.x11Number, True, CurrentTime);
            if (e.flags & b.upFlag) XTestFakeButtonEvent(display_, b.x11Number, False, CurrentTime);
        }
    }
    XFlush(display_);
    return count;
}

bool XTestInput::QueryPointer(Point& at) {
    if (display_ == nullptr) return false;
    Window root = 0, child = 0;
    int x = 0, y = 0;
    unsigned int mask = 0;
    XQueryPointer(display_, DefaultRootWindow(display_), &root, &child, &at.x, &at.y, &x, &y, &mask);
    return child != None;
}

Point XTestInput::CursorPosition() {
    Point at;
    QueryPointer(at);
    return at;
}

std::optional<Point> XTestInput::KnownCursorPosition() {
    Point at;
    const bool overWindow = QueryPointer(at);
    if (xwayland_ != nullptr && !(overWindow && xwayland_->UsersOwn())) return std::nullopt;
    return at;
}

bool XTestInput::PointerOverClientWindow() {
    Point at;
    // Asked after the query: the events before its reply are in by then.
    return QueryPointer(at) && (xwayland_ == nullptr || xwayland_->UsersOwn());
}

bool XTestInput::PointerRestsAt(Point target) {
    Point at;
    return QueryPointer(at) && at == target;
}

Size XTestInput::PrimaryScreenSize() {
    if (display_ == nullptr) return {};
    const int screen = DefaultScreen(display_);
    return {DisplayWidth(display_, screen), DisplayHeight(display_, screen)};
}

Rect XTestInput::VirtualDesktop() {
    const Size size = PrimaryScreenSize();
    return {0, 0, size.width, size.height};
}

}  // namespace zintra::platform::x11
