#include "ui/core/Backend.h"

#include "ui/core/ScreenScale.h"

namespace zintra::ui {

platform::Point Backend::ClientToScreen(platform::NativeWindow window, platform::Point client) {
    const platform::Rect frame = HostWindowRect(window);
    const double scale = WindowScale(window);
    return {frame.left + PixelOfUnit(client.x, scale), frame.top + PixelOfUnit(client.y, scale)};
}

platform::Rect Backend::ClientRectToScreen(platform::NativeWindow window, const platform::Rect& client) {
    const platform::Point topLeft = ClientToScreen(window, {client.left, client.top});
    const platform::Point bottomRight = ClientToScreen(window, {client.right, client.bottom});
    return {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

platform::Point Backend::ScreenToClient(platform::NativeWindow window, platform::Point screen) {
    const platform::Rect frame = HostWindowRect(window);
    const double scale = WindowScale(window);
    return {UnitOfPixel(screen.x - frame.left, scale), UnitOfPixel(screen.y - frame.top, scale)};
}

}  // namespace zintra::ui
