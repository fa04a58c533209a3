// Where a screen-cast stream of the remote-desktop portal shows the desktop:
// absolute pointer motion is given in one stream's own coordinates, so a
// point of the desktop is mapped into the stream that shows it.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/Types.h"

namespace zintra::platform::linux_x11 {

struct PortalStream {
    std::uint32_t node = 0;
    std::optional<Point> position;  // in the desktop; unknown for a lone monitor at the origin
    std::optional<Size> size;
};

struct StreamPoint {
    std::uint32_t node = 0;
    double x = 0;
    double y = 0;
    friend bool operator==(const StreamPoint&, const StreamPoint&) = default;
};

// The stream showing `point` and the point in its coordinates; none when no
// stream shows it (a stream without a size shows everything right of and
// below its position).
std::optional<StreamPoint> MapToStream(const std::vector<PortalStream>& streams, Point point);

}  // namespace zintra::platform::linux_x11
