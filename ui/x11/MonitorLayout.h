// The monitors of an X screen as plain rectangles, and the choices made from
// them: which monitor a point or a window is on, and the work area there.
// Kept apart from Xlib so the choices can be tested without a display.
#pragma once

#include <optional>
#include <vector>

#include "platform/Types.h"

namespace zintra::ui {

struct Monitor {
    platform::Rect bounds;  // root-window pixels
    bool primary = false;
};

class MonitorLayout {
public:
    // Monitors are cut to the screen (a part off the root window can show
    // nothing); with none left the whole screen is the one, primary, monitor.
    MonitorLayout(const std::vector<Monitor>& monitors, const platform::Rect& screen);

    const std::vector<Monitor>& Monitors() const { return monitors_; }
    // The primary monitor, else the first.
    const Monitor& Primary() const;
    // The monitor holding the point, else the nearest one.
    const Monitor& At(platform::Point point) const;
    // The monitor showing most of the rectangle, else the one nearest its centre.
    const Monitor& Of(const platform::Rect& rect) const;
    // True when some monitor shows part of the rectangle.
    bool Shows(const platform::Rect& rect) const;

    // The desktop's work area (one rectangle over all monitors) cut to the
    // monitor; the monitor itself without one or where they do not meet.
    static platform::Rect WorkAreaOn(const Monitor& monitor, const std::optional<platform::Rect>& desktopWorkArea);

private:
    std::vector<Monitor> monitors_;
};

// The rectangle both share; an empty one (zero width or height) when they do not meet.
platform::Rect Intersection(const platform::Rect& a, const platform::Rect& b);

}  // namespace zintra::ui
