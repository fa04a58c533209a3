// The backend's own override-redirect windows (the drag image's).
#include <X11/Xutil.h>

#include <algorithm>

#include "ui/x11/X11Backend.h"
#include "ui/x11/X11BackendParts.h"

namespace zintra::ui {

X11Backend::Popup::~Popup() {
    if (gc != nullptr) XFreeGC(display, gc);
    if (xid != 0) XDestroyWindow(display, xid);
    if (colormap != 0) XFreeColormap(display, colormap);
    if (display != nullptr) XFlush(display);
}

void X11Backend::Popup::Create(Display* on, int screen, bool argbWanted, const platform::Rect& rect, long events) {
    display = on;
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.save_under = True;
    attributes.event_mask = events;
    unsigned long mask = CWOverrideRedirect | CWSaveUnder | CWEventMask;
    XVisualInfo info{};
    argb = argbWanted && XMatchVisualInfo(display, screen, 32, TrueColor, &info);
    if (argb) {
        visual = info.visual;
        depth = 32;
        colormap = XCreateColormap(display, RootWindow(display, screen), visual, AllocNone);
        attributes.colormap = colormap;
        attributes.border_pixel = 0;
        attributes.background_pixel = 0;
        mask |= CWColormap | CWBorderPixel | CWBackPixel;
    } else {
        visual = DefaultVisual(display, screen);
        depth = DefaultDepth(display, screen);
    }
    xid = XCreateWindow(display, RootWindow(display, screen), rect.left, rect.top,
                        static_cast<unsigned>(std::max(1, rect.Width())), static_cast<unsigned>(std::max(1, rect.Height())),
                        0, depth, InputOutput, visual, mask, &attributes);
    gc = XCreateGC(display, xid, 0, nullptr);
}

}  // namespace zintra::ui
