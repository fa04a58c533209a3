#include "ui/controls/SImageWnd.h"

#include "ui/render/Skin.h"
#include "ui/render/Surface.h"
#include "base/TextUtil.h"

namespace zintra::ui {

SImageWnd::SImageWnd() { SetAttribute("msgTransparent", "1", true); }

void SImageWnd::SetIcon(int state) {
    state_ = state;
    Invalidate();
}

bool SImageWnd::ApplyAttribute(std::string_view name, std::string_view value, bool loading) {
    if (name == "iconIndex") {
        state_ = ParseIntOr(value, 0);
        return true;
    }
    return SWindow::ApplyAttribute(name, value, loading);
}

void SImageWnd::OnPaint(Surface& surface) {
    if (const Skin* skin = GetSkin()) surface.DrawSkin(GetWindowRect(), *skin, state_, 255);
}

}  // namespace zintra::ui
