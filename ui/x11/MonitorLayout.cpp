#include "ui/x11/MonitorLayout.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace zintra::ui {

namespace {

bool Empty(const platform::Rect& rect) { return rect.Width() <= 0 || rect.Height() <= 0; }

std::int64_t Area(const platform::Rect& rect) {
    return Empty(rect) ? 0 : std::int64_t{rect.Width()} * rect.Height();
}

// Squared distance from a point to the nearest pixel of a rectangle (0 inside).
std::int64_t DistanceSquared(const platform::Rect& rect, platform::Point point) {
    const std::int64_t dx = point.x < rect.left ? rect.left - point.x : point.x >= rect.right ? point.x - rect.right + 1 : 0;
    const std::int64_t dy = point.y < rect.top ? rect.top - point.y : point.y >= rect.bottom ? point.y - rect.bottom + 1 : 0;
    return dx * dx + dy * dy;
}

}  // namespace

platform::Rect Intersection(const platform::Rect& a, const platform::Rect& b) {
    const platform::Rect shared{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                                std::min(a.bottom, b.bottom)};
    return Empty(shared) ? platform::Rect{} : shared;
}

MonitorLayout::MonitorLayout(const std::vector<Monitor>& monitors, const platform::Rect& screen) {
    for (const Monitor& monitor : monitors) {
        const platform::Rect shown = Intersection(monitor.bounds, screen);
        if (!Empty(shown)) monitors_.push_back({shown, monitor.primary});
    }
    if (monitors_.empty()) monitors_.push_back({screen, true});
}

const Monitor& MonitorLayout::Primary() const {
    for (const Monitor& monitor : monitors_) {
        if (monitor.primary) return monitor;
    }
    return monitors_.front();
}

const Monitor& MonitorLayout::At(platform::Point point) const {
    const Monitor* nearest = &monitors_.front();
    std::int64_t best = std::numeric_limits<std::int64_t>::max();
    for (const Monitor& monitor : monitors_) {
        const std::int64_t distance = DistanceSquared(monitor.bounds, point);
        if (distance < best) best = distance, nearest = &monitor;
    }
    return *nearest;
}

const Monitor& MonitorLayout::Of(const platform::Rect& rect) const {
    const Monitor* most = nullptr;
    std::int64_t best = 0;
    for (const Monitor& monitor : monitors_) {
        const std::int64_t shared = Area(Intersection(monitor.bounds, rect));
        if (shared > best) best = shared, most = &monitor;
    }
    if (most != nullptr) return *most;
    return At({rect.left + rect.Width() / 2, rect.top + rect.Height() / 2});
}

bool MonitorLayout::Shows(const platform::Rect& rect) const {
    return std::any_of(monitors_.begin(), monitors_.end(),
                       [&](const Monitor& monitor) { return Area(Intersection(monitor.bounds, rect)) > 0; });
}

platform::Rect MonitorLayout::WorkAreaOn(const Monitor& monitor, const std::optional<platform::Rect>& desktopWorkArea) {
    if (!desktopWorkArea) return monitor.bounds;
    const platform::Rect shared = Intersection(monitor.bounds, *desktopWorkArea);
    return Empty(shared) ? monitor.bounds : shared;
}

}  // namespace zintra::ui
