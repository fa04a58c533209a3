// Monitors from RandR 1.5: windows open on the monitor the user is looking
// at (their owner's, else the pointer's), pop-ups stay inside one monitor's
// work area, and a window whose monitor goes away comes back onto another.
#include <X11/Xatom.h>
#include <X11/extensions/Xrandr.h>

#include "ui/x11/MonitorLayout.h"
#include "ui/x11/X11Backend.h"
#include "ui/x11/X11BackendParts.h"

namespace zintra::ui {

using platform::NativeWindow;

void X11Backend::WatchMonitors() {
    int error = 0, major = 0, minor = 0;
    if (!XRRQueryExtension(display_, &randrEvent_, &error) || !XRRQueryVersion(display_, &major, &minor)) return;
    monitorsKnown_ = major > 1 || (major == 1 && minor >= 5);
    if (!monitorsKnown_) return;
    // Outputs and the screen changing come as RRScreenChangeNotify; a monitor
    // set or deleted on its own (xrandr --setmonitor) only as the root's
    // ConfigureNotify.
    XRRSelectInput(display_, root_, RRScreenChangeNotifyMask);
    XWindowAttributes attributes{};
    XGetWindowAttributes(display_, root_, &attributes);
    XSelectInput(display_, root_, attributes.your_event_mask | StructureNotifyMask);
}

MonitorLayout X11Backend::Monitors() {
    const platform::Rect screen{0, 0, DisplayWidth(display_, screen_), DisplayHeight(display_, screen_)};
    std::vector<Monitor> monitors;
    int count = 0;
    XRRMonitorInfo* info = monitorsKnown_ ? XRRGetMonitors(display_, root_, True, &count) : nullptr;
    for (int i = 0; i < count; ++i) {
        const XRRMonitorInfo& m = info[i];
        monitors.push_back({{m.x, m.y, m.x + m.width, m.y + m.height}, m.primary != False});
    }
    if (info != nullptr) XRRFreeMonitors(info);
    return MonitorLayout(monitors, screen);
}

std::optional<platform::Rect> X11Backend::DesktopWorkArea() {
    // _NET_WORKAREA holds one rectangle per virtual desktop; the current one counts.
    long desktop = 0;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display_, root_, Intern("_NET_CURRENT_DESKTOP"), 0, 1, False, XA_CARDINAL, &type, &format,
                           &count, &after, &data) == Success && data != nullptr) {
        if (count == 1 && format == 32) desktop = *reinterpret_cast<const long*>(data);
        XFree(data);
    }
    std::optional<platform::Rect> area;
    data = nullptr;
    if (XGetWindowProperty(display_, root_, Intern("_NET_WORKAREA"), 4 * desktop, 4, False, XA_CARDINAL, &type,
                           &format, &count, &after, &data) == Success && data != nullptr) {
        if (count >= 4 && format == 32) {
            const auto* values = reinterpret_cast<const long*>(data);
            area = platform::Rect{static_cast<int>(values[0]), static_cast<int>(values[1]),
                                  static_cast<int>(values[0] + values[2]), static_cast<int>(values[1] + values[3])};
        }
        XFree(data);
    }
    return area;
}

platform::Rect X11Backend::ScreenWorkArea() {
    return DesktopWorkArea().value_or(
        platform::Rect{0, 0, DisplayWidth(display_, screen_), DisplayHeight(display_, screen_)});
}

const Monitor& X11Backend::MonitorOfWindow(const MonitorLayout& layout, NativeWindow window) {
    if (window == 0) return layout.Primary();
    const Host* host = FindHost(window);
    if (host != nullptr && host->visible) return layout.Of(HostWindowRect(window));
    // Not on screen yet: a dialog opens over its owner, a window of its own
    // where the user is (the pointer).
    const Host* owner = host != nullptr ? FindHost(host->owner) : nullptr;
    if (owner != nullptr && owner->visible) return layout.Of(HostWindowRect(host->owner));
    return layout.At(PointerPosition());
}

platform::Rect X11Backend::WorkArea(NativeWindow window) {
    const MonitorLayout layout = Monitors();
    return MonitorLayout::WorkAreaOn(MonitorOfWindow(layout, window), DesktopWorkArea());
}

platform::Rect X11Backend::WorkAreaAt(platform::Point point) {
    const MonitorLayout layout = Monitors();
    return MonitorLayout::WorkAreaOn(layout.At(point), DesktopWorkArea());
}

bool X11Backend::HandleMonitorEvent(XEvent& event) {
    if (!monitorsKnown_) return false;
    const bool rootChanged = event.type == ConfigureNotify && event.xconfigure.window == root_;
    if (!rootChanged && event.type != randrEvent_ + RRScreenChangeNotify) return false;
    XRRUpdateConfiguration(&event);
    KeepWindowsOnMonitors();
    return true;
}

void X11Backend::KeepWindowsOnMonitors() {
    const MonitorLayout layout = Monitors();
    const std::optional<platform::Rect> desktopArea = DesktopWorkArea();
    for (auto& [window, host] : hosts_) {
        if (!host->visible || host->destroying) continue;
        const platform::Rect rect = HostWindowRect(window);
        if (layout.Shows(rect)) continue;
        // Nothing of it is on a monitor any more: centred on the nearest one.
        const platform::Rect area = MonitorLayout::WorkAreaOn(layout.Of(rect), desktopArea);
        const int left = area.left + (area.Width() - rect.Width()) / 2;
        const int top = area.top + (area.Height() - rect.Height()) / 2;
        MoveHostWindow(window, {left, top, left + rect.Width(), top + rect.Height()});
    }
}

}  // namespace zintra::ui
