#include "ui/core/CDragWnd.h"

#include "ui/core/Backend.h"
#include "ui/core/SApplication.h"

namespace zintra::ui {

namespace {
bool dragging = false;

Backend* RunningBackend() {
    SApplication* application = SApplication::Instance();
    return application == nullptr ? nullptr : &application->GetBackend();
}
}  // namespace

bool CDragWnd::DragBegin(const Bitmap& image, platform::Point hotSpot, std::uint32_t colorKey, std::uint8_t alpha,
                         std::uint32_t flags) {
    Backend* backend = RunningBackend();
    if (dragging || backend == nullptr) return false;
    dragging = backend->BeginDragImage(image, hotSpot, colorKey, alpha, flags);
    return dragging;
}

void CDragWnd::DragMove(platform::Point screenPoint) {
    if (!dragging) return;
    if (Backend* backend = RunningBackend()) backend->MoveDragImage(screenPoint);
}

void CDragWnd::DragEnd() {
    if (!dragging) return;
    dragging = false;
    if (Backend* backend = RunningBackend()) backend->EndDragImage();
}

bool CDragWnd::IsDragging() { return dragging; }

}  // namespace zintra::ui
