// Host windows: making, showing, moving and destroying them, their work
// area, moving by the caption, capture and modal loops.
#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cmath>

#include "base/TextUtil.h"
#include "platform/Messages.h"
#include "ui/core/SHostDialog.h"
#include "ui/core/SHostWnd.h"
#include "ui/core/UiMapWriter.h"
#include "ui/x11/X11Backend.h"
#include "ui/x11/X11BackendParts.h"

namespace zintra::ui {

using platform::NativeWindow;

X11Backend::Host* X11Backend::FindHost(NativeWindow window) const {
    auto it = hosts_.find(window);
    return it == hosts_.end() || it->second->destroying ? nullptr : it->second.get();
}

platform::Point X11Backend::PointerPosition() {
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    XQueryPointer(display_, root_, &root, &child, &rootX, &rootY, &x, &y, &mask);
    return {rootX, rootY};
}

NativeWindow X11Backend::CreateHostWindow(SHostWnd& hostWindow, const HostWindowSpec& spec) {
    auto host = std::make_unique<Host>();
    host->host = &hostWindow;
    host->handler = &hostWindow;
    host->owner = spec.parent;
    host->translucent = spec.translucent;
    host->size = {spec.rect.Width(), spec.rect.Height()};
    const int width = std::max(1, static_cast<int>(std::lround(spec.rect.Width() * scale_)));
    const int height = std::max(1, static_cast<int>(std::lround(spec.rect.Height() * scale_)));
    if (!CreateHostXWindow(*host, spec, width, height)) return 0;
    const Window xid = host->xid;
    host->gc = XCreateGC(display_, xid, 0, nullptr);
    SetHostProperties(xid, spec, width, height);
    SetIdentity(xid, hostWindow, spec);
    CreateInputContext(*host);
    SetWindowIcons(xid, hostWindow.GetHostAttributes());

    const NativeWindow handle = xid;
    hosts_[handle] = std::move(host);
    if (Deliver(handle, msg::kCreate, 0, 0) == -1) {
        DestroyHostWindow(handle);
        return 0;
    }
    UiMapWriter::Instance().AddHost(&hostWindow);
    UiMapWriter::Instance().Refresh();
    return handle;
}

bool X11Backend::CreateHostXWindow(Host& host, const HostWindowSpec& spec, int width, int height) {
    XSetWindowAttributes attributes{};
    unsigned long mask = CWEventMask | CWBitGravity;
    attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                            KeyReleaseMask | StructureNotifyMask | LeaveWindowMask | FocusChangeMask;
    attributes.bit_gravity = NorthWestGravity;
    XVisualInfo info{};
    if (Translucent(spec.translucent) && XMatchVisualInfo(display_, screen_, 32, TrueColor, &info)) {
        host.argb = true;
        host.visual = info.visual;
        host.depth = 32;
        host.colormap = XCreateColormap(display_, root_, info.visual, AllocNone);
        attributes.colormap = host.colormap;
        attributes.border_pixel = 0;
        attributes.background_pixel = 0;
        mask |= CWColormap | CWBorderPixel | CWBackPixel;
    } else {
        host.visual = DefaultVisual(display_, screen_);
        host.depth = DefaultDepth(display_, screen_);
    }
    host.xid = XCreateWindow(display_, root_, spec.rect.left, spec.rect.top, static_cast<unsigned>(width),
                             static_cast<unsigned>(height), 0, host.depth, InputOutput, host.visual, mask,
                             &attributes);
    return host.xid != 0;
}

void X11Backend::SetHostProperties(Window xid, const HostWindowSpec& spec, int width, int height) {
    // Title, close request, no system frame, fixed size, position as given.
    const std::string title = Utf16ToUtf8(spec.title);
    XChangeProperty(display_, xid, Intern("_NET_WM_NAME"), Intern("UTF8_STRING"), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.c_str()), static_cast<int>(title.size()));
    XStoreName(display_, xid, title.c_str());
    Atom protocols[] = {Intern("WM_DELETE_WINDOW")};
    XSetWMProtocols(display_, xid, protocols, 1);
    const long motif[5] = {2, 0, 0, 0, 0};  // decorations: none
    XChangeProperty(display_, xid, Intern("_MOTIF_WM_HINTS"), Intern("_MOTIF_WM_HINTS"), 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(motif), 5);
    XSizeHints* sizeHints = XAllocSizeHints();
    sizeHints->flags = PPosition | USPosition;
    sizeHints->x = spec.rect.left;
    sizeHints->y = spec.rect.top;
    if (!spec.resizable) {
        sizeHints->flags |= PMinSize | PMaxSize;
        sizeHints->min_width = sizeHints->max_width = width;
        sizeHints->min_height = sizeHints->max_height = height;
    }
    XSetWMNormalHints(display_, xid, sizeHints);
    XFree(sizeHints);
    if (spec.parent != 0 && FindHost(spec.parent) != nullptr) XSetTransientForHint(display_, xid, Xid(spec.parent));
    if (spec.toolWindow && !spec.appWindow) {
        Atom state = Intern("_NET_WM_STATE_SKIP_TASKBAR");
        XChangeProperty(display_, xid, Intern("_NET_WM_STATE"), XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&state), 1);
    }
}

void X11Backend::DestroyHostWindow(NativeWindow window) {
    auto it = hosts_.find(window);
    if (it == hosts_.end() || it->second->destroying) return;
    Host& host = *it->second;
    host.destroying = true;
    if (capture_ == window) ReleaseCapture();
    if (dragWindow_ == window) dragWindow_ = 0;
    disabled_.erase(window);
    // Forgotten first: the host may be gone once it has seen WM_DESTROY.
    UiMapWriter::Instance().RemoveWindow(window);
    if (host.host != nullptr) UiMapWriter::Instance().RemoveHost(host.host);
    if (host.handler != nullptr) host.handler->HandleMessage(window, msg::kDestroy, 0, 0);
    ForgetTimersAndHotkeys(window);
    if (host.inputContext != nullptr) XDestroyIC(host.inputContext);
    if (host.gc != nullptr) XFreeGC(display_, host.gc);
    XDestroyWindow(display_, host.xid);
    if (host.colormap != 0) XFreeColormap(display_, host.colormap);
    XFlush(display_);
    graveyard_.push_back(std::move(it->second));
    hosts_.erase(it);
    UiMapWriter::Instance().Refresh();
}

void X11Backend::SetInitialState(Host& host, int state) {
    XWMHints hints{};
    hints.flags = StateHint | InputHint;
    hints.input = True;
    hints.initial_state = state;
    XSetWMHints(display_, host.xid, &hints);
    host.mapsIconic = state == IconicState;
}

void X11Backend::ShowHostWindow(NativeWindow window, int showCommand) {
    Host* host = FindHost(window);
    if (host == nullptr) return;
    if (showCommand == msg::kSwHide) {
        XUnmapWindow(display_, host->xid);
        host->visible = false;
    } else if (showCommand == msg::kSwShowMinimized) {
        if (host->visible) {
            XIconifyWindow(display_, host->xid, screen_);
        } else {
            // Not on screen yet: iconic from the start where a window manager
            // honours the hint; without one the window simply shows.
            SetInitialState(*host, IconicState);
            Render(*host);
            XMapWindow(display_, host->xid);
        }
        host->visible = true;
    } else {
        if (host->mapsIconic) SetInitialState(*host, NormalState);
        Render(*host);
        XMapRaised(display_, host->xid);
        host->visible = true;
        host->focusOnMap = true;
    }
    XFlush(display_);
    UiMapWriter::Instance().Refresh();
}

void X11Backend::MoveHostWindow(NativeWindow window, const platform::Rect& rect) {
    Host* host = FindHost(window);
    if (host == nullptr) return;
    // Screen pixels in; the host keeps its size in layout units.
    const platform::Size size{static_cast<int>(std::lround(rect.Width() / scale_)),
                              static_cast<int>(std::lround(rect.Height() / scale_))};
    const bool resized = host->size.width != size.width || host->size.height != size.height;
    host->size = size;
    XMoveResizeWindow(display_, host->xid, rect.left, rect.top, static_cast<unsigned>(std::max(1, rect.Width())),
                      static_cast<unsigned>(std::max(1, rect.Height())));
    if (resized) host->dirty = true;
    XFlush(display_);
    UiMapWriter::Instance().Refresh();
}

platform::Rect X11Backend::HostWindowRect(NativeWindow window) {
    Host* host = FindHost(window);
    if (host == nullptr) return {};
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display_, host->xid, root_, 0, 0, &x, &y, &child);
    // Screen pixels.
    return {x, y, x + static_cast<int>(std::lround(host->size.width * scale_)),
            y + static_cast<int>(std::lround(host->size.height * scale_))};
}

double X11Backend::WindowScale(NativeWindow) { return scale_; }

void X11Backend::Invalidate(NativeWindow window, const platform::Rect&) {
    if (Host* host = FindHost(window)) host->dirty = true;
}

void X11Backend::BeginWindowDrag(NativeWindow window) {
    Host* host = FindHost(window);
    if (host == nullptr) return;
    const platform::Point pointer = PointerPosition();
    if (WindowManagerSupports("_NET_WM_MOVERESIZE")) {
        // The window manager moves it, as a press on its own title bar would.
        XUngrabPointer(display_, CurrentTime);
        capture_ = 0;
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = host->xid;
        event.xclient.message_type = Intern("_NET_WM_MOVERESIZE");
        event.xclient.format = 32;
        event.xclient.data.l[0] = pointer.x;
        event.xclient.data.l[1] = pointer.y;
        event.xclient.data.l[2] = 8;  // _NET_WM_MOVERESIZE_MOVE
        event.xclient.data.l[3] = Button1;
        event.xclient.data.l[4] = 1;  // a normal application
        XSendEvent(display_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
        XFlush(display_);
        return;
    }
    // No window manager: the window follows the pointer until the button is released.
    const platform::Rect rect = HostWindowRect(window);
    dragWindow_ = window;
    dragOffsetX_ = pointer.x - rect.left;
    dragOffsetY_ = pointer.y - rect.top;
}

void X11Backend::SetCapture(NativeWindow window) {
    Host* host = FindHost(window);
    if (host == nullptr) return;
    capture_ = window;
    XGrabPointer(display_, host->xid, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                 GrabModeAsync, None, None, CurrentTime);
    XFlush(display_);
}

void X11Backend::ReleaseCapture() {
    if (capture_ == 0) return;
    capture_ = 0;
    XUngrabPointer(display_, CurrentTime);
    XFlush(display_);
}

void X11Backend::RunModalLoop(SHostDialog& dialog) {
    const NativeWindow window = dialog.GetHwnd();
    Host* host = FindHost(window);
    // The owner takes no input while its dialog runs, but keeps its timers,
    // hotkeys and posted messages.
    const NativeWindow owner = host != nullptr ? host->owner : 0;
    const bool disableOwner = owner != 0 && disabled_.insert(owner).second;
    Pump([&] { return !dialog.IsEnded() && dialog.GetHwnd() != 0 && FindHost(window) != nullptr; });
    if (disableOwner) disabled_.erase(owner);
}

void X11Backend::EndModalLoop(SHostDialog&) {
    // The loop looks at the dialog after every message; this only makes sure it wakes.
    if (wake_[1] >= 0) [[maybe_unused]] auto ignored = ::write(wake_[1], "m", 1);
}

bool X11Backend::ShowWindow(NativeWindow window, int command) {
    if (Host* host = FindHost(window)) {
        const bool wasVisible = host->visible;
        ShowHostWindow(window, command);
        return wasVisible;
    }
    return false;
}

bool X11Backend::IsWindowVisible(NativeWindow window) {
    const Host* host = FindHost(window);
    return host != nullptr && host->visible;
}

bool X11Backend::SetWindowPos(NativeWindow window, NativeWindow, const platform::Rect& rect, std::uint32_t flags) {
    Host* host = FindHost(window);
    if (host == nullptr) return messageWindows_.count(window) != 0;
    const platform::Rect current = HostWindowRect(window);
    platform::Rect target = current;
    if (!(flags & msg::kSwpNoMove)) target = {rect.left, rect.top, rect.left + current.Width(), rect.top + current.Height()};
    if (!(flags & msg::kSwpNoSize)) target.right = target.left + rect.Width(), target.bottom = target.top + rect.Height();
    if (target != current) MoveHostWindow(window, target);
    if (!(flags & msg::kSwpNoZOrder)) XRaiseWindow(display_, host->xid);
    XFlush(display_);
    return true;
}

}  // namespace zintra::ui
