#include "platform/x11/XwaylandPointer.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace zintra::platform::x11 {

std::unique_ptr<XwaylandPointer> XwaylandPointer::Follow(Display* display) {
    if (display == nullptr) return nullptr;
    int opcode = 0, event = 0, error = 0;
    if (!XQueryExtension(display, "XInputExtension", &opcode, &event, &error)) return nullptr;
    int major = 2, minor = 2;
    if (XIQueryVersion(display, &major, &minor) != Success || major < 2 || (major == 2 && minor < 2)) return nullptr;
    // Raw motion of every device (it names the device that moved), and the
    // pointer crossing between the root and a window (no other window sees it).
    unsigned char raw[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(raw, XI_RawMotion);
    XISetMask(raw, XI_HierarchyChanged);
    unsigned char crossing[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(crossing, XI_Enter);
    XISetMask(crossing, XI_Leave);
    XIEventMask masks[] = {{XIAllDevices, sizeof raw, raw}, {XIAllMasterDevices, sizeof crossing, crossing}};
    XISelectEvents(display, DefaultRootWindow(display), masks, 2);
    return std::unique_ptr<XwaylandPointer>(new XwaylandPointer(display, opcode));
}

bool XwaylandPointer::HandleEvent(XEvent& event) {
    if (event.type != GenericEvent || event.xcookie.extension != opcode_) return false;
    if (!XGetEventData(display_, &event.xcookie)) return true;
    switch (event.xcookie.evtype) {
        case XI_RawMotion:
            usersOwn_ = !IsXTest(static_cast<XIRawEvent*>(event.xcookie.data)->sourceid);
            break;
        case XI_Enter:
        case XI_Leave:
            // A grab's crossings leave the pointer where it is.
            if (static_cast<XIEnterEvent*>(event.xcookie.data)->mode == XINotifyNormal) usersOwn_ = false;
            break;
        case XI_HierarchyChanged:
            xtest_.clear();  // numbers of removed devices come back for others
            break;
    }
    XFreeEventData(display_, &event.xcookie);
    return true;
}

bool XwaylandPointer::UsersOwn() {
    XEvent event;
    const auto ours = [](Display*, XEvent* e, XPointer self) -> Bool {
        return e->type == GenericEvent && e->xcookie.extension == reinterpret_cast<XwaylandPointer*>(self)->opcode_;
    };
    while (XCheckIfEvent(display_, &event, ours, reinterpret_cast<XPointer>(this))) HandleEvent(event);
    return usersOwn_;
}

bool XwaylandPointer::IsXTest(int device) {
    const auto known = xtest_.find(device);
    if (known != xtest_.end()) return known->second;
    // The server marks the devices XTest requests move.
    bool xtest = false;
    const Atom property = XInternAtom(display_, "XTEST Device", True);
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    if (property != None &&
        XIGetProperty(display_, device, property, 0, 1, False, XA_INTEGER, &type, &format, &items, &after, &data) ==
            Success &&
        data != nullptr) {
        xtest = format == 8 && items == 1 && data[0] != 0;
    }
    if (data != nullptr) XFree(data);
    xtest_[device] = xtest;
    return xtest;
}

}  // namespace zintra::platform::x11
