#include "ui/core/HostRenderer.h"

#include <cmath>

#include "ui/core/SHostWnd.h"
#include "ui/render/SoftwareSurface.h"

namespace zintra::ui {

void RenderHost(SHostWnd& host, PixelBuffer& target, ImageCache& images, TextRasterizer& text, double scale) {
    const platform::Size size = host.GetClientSize();
    const int width = static_cast<int>(std::lround(size.width * scale));
    const int height = static_cast<int>(std::lround(size.height * scale));
    if (target.width != width || target.height != height) {
        target.Resize(width, height);
    } else {
        target.Clear();
    }
    if (target.Empty()) return;
    SoftwareSurface surface(target, images, text, scale);
    host.Paint(surface);
}

}  // namespace zintra::ui
