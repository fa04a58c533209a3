#include "ui/core/PopupWindow.h"

#include "ui/core/Backend.h"
#include "ui/core/SApplication.h"
#include "ui/core/ScreenScale.h"

namespace zintra::ui {

Font PopupFont() {
    const SApplication* application = SApplication::Instance();
    return application != nullptr ? application->Definitions().DefaultFont() : Font{u"微软雅黑", 12};
}

bool PopupWindow::Open(const PopupSpec& spec) {
    Close();
    spec_ = spec;
    if (!(spec_.scale > 0.0)) spec_.scale = 1.0;
    window_ = backend_.OpenPopup(*this, spec_);
    return window_ != 0;
}

void PopupWindow::Close() {
    if (window_ == 0) return;
    const platform::NativeWindow window = window_;
    window_ = 0;
    backend_.ClosePopup(window);
}

void PopupWindow::Refresh() {
    if (window_ != 0) backend_.RefreshPopup(window_);
}

bool PopupWindow::Contains(platform::Point screen) const {
    const platform::Rect& rect = spec_.rect;
    return window_ != 0 && screen.x >= rect.left && screen.x < rect.right && screen.y >= rect.top &&
           screen.y < rect.bottom;
}

platform::Point PopupWindow::ToLayout(platform::Point screen) const {
    return {UnitOfPixel(screen.x - spec_.rect.left, spec_.scale), UnitOfPixel(screen.y - spec_.rect.top, spec_.scale)};
}

platform::Rect PopupWindow::ToScreen(const platform::Rect& layout) const {
    const platform::Point origin{spec_.rect.left, spec_.rect.top};
    return {origin.x + PixelOfUnit(layout.left, spec_.scale), origin.y + PixelOfUnit(layout.top, spec_.scale),
            origin.x + PixelOfUnit(layout.right, spec_.scale), origin.y + PixelOfUnit(layout.bottom, spec_.scale)};
}

platform::Size PopupWindow::LayoutSize() const {
    return {UnitOfPixel(spec_.rect.Width(), spec_.scale), UnitOfPixel(spec_.rect.Height(), spec_.scale)};
}

}  // namespace zintra::ui
