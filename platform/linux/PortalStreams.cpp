#include "platform/linux/PortalStreams.h"

namespace zintra::platform::linux_x11 {

std::optional<StreamPoint> MapToStream(const std::vector<PortalStream>& streams, Point point) {
    for (const PortalStream& stream : streams) {
        const Point origin = stream.position.value_or(Point{0, 0});
        const int x = point.x - origin.x;
        const int y = point.y - origin.y;
        if (x < 0 || y < 0) continue;
        if (stream.size && (x >= stream.size->width || y >= stream.size->height)) continue;
        return StreamPoint{stream.node, static_cast<double>(x), static_cast<double>(y)};
    }
    return std::nullopt;
}

}  // namespace zintra::platform::linux_x11
