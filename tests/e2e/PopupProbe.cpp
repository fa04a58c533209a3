#include "PopupProbe.h"

#include "platform/win32/WindowsApi.h"

#include "platform/Messages.h"
#include "ui/render/Surface.h"

namespace zintra::gallery {

namespace {

constexpr int kRow = 30;

ui::Color ColourOf(unsigned rgb) {
    return ui::Color{static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                     static_cast<std::uint8_t>(rgb), 255};
}

std::string At(platform::Point point) { return std::to_string(point.x) + " " + std::to_string(point.y); }

}  // namespace

void PopupProbe::Rows::PaintPopup(ui::Surface& surface) {
    for (std::size_t row = 0; row < colours_.size(); ++row) {
        const int top = static_cast<int>(row) * kRow;
        surface.FillRect({0, top, 120, top + kRow}, ColourOf(colours_[row]));
    }
}

void PopupProbe::Run(platform::Point at, platform::NativeWindow owner) {
    owner_ = owner;
    rootRect_ = {at.x, at.y, at.x + 120, at.y + 2 * kRow};
    ui::PopupSpec spec;
    spec.owner = owner;
    spec.rect = rootRect_;
    spec.shadow = true;
    rootWindow_ = backend_.OpenPopup(root_, spec);
    if (rootWindow_ == 0) {
        report_("probe-failed");
        return;
    }
    open_ = true;
    report_("probe-at " + At(at));
    const bool running = backend_.RunPopupLoop(*this, open_);
    // What the keys typed into the pop-up leave behind would reach the window below.
    MSG character;
    if (PeekMessageW(&character, nullptr, WM_CHAR, WM_CHAR, PM_NOREMOVE)) report_("probe-stray-char");
    CloseAll("");
    report_(running ? "probe-closed" : "probe-quit");
}

void PopupProbe::ShowTip(platform::Point at, platform::NativeWindow owner) {
    ui::PopupSpec spec;
    spec.owner = owner;
    spec.rect = {at.x, at.y, at.x + 80, at.y + kRow};
    spec.passive = true;
    if (backend_.OpenPopup(tip_, spec) != 0) report_("probe-tip " + At(at));
}

void PopupProbe::OpenSub() {
    if (subWindow_ != 0) return;
    subRect_ = {rootRect_.right, rootRect_.top + kRow, rootRect_.right + 100, rootRect_.top + 2 * kRow};
    ui::PopupSpec spec;
    spec.owner = owner_;
    spec.rect = subRect_;
    subWindow_ = backend_.OpenPopup(sub_, spec);
    if (subWindow_ != 0) report_("probe-sub-open");
}

void PopupProbe::CloseAll(const std::string& why) {
    if (!why.empty()) report_("probe-" + why);
    if (subWindow_ != 0) backend_.ClosePopup(subWindow_);
    if (rootWindow_ != 0) backend_.ClosePopup(rootWindow_);
    subWindow_ = rootWindow_ = 0;
    open_ = false;
}

void PopupProbe::PopupMessage(std::uint32_t message, std::uintptr_t wParam, platform::Point screen) {
    const bool inRoot = rootRect_.Contains(screen);
    const bool inSub = subWindow_ != 0 && subRect_.Contains(screen);
    switch (message) {
        case msg::kMouseMove:
            if (inRoot && screen.y >= rootRect_.top + kRow) OpenSub();
            break;
        case msg::kLButtonDown:
        case msg::kRButtonDown:
            if (!inRoot && !inSub) CloseAll("outside " + At(screen));
            break;
        case msg::kLButtonUp:
            if (inSub) CloseAll("chose sub " + At(screen));
            if (inRoot && screen.y < rootRect_.top + kRow) CloseAll("chose first " + At(screen));
            break;
        case msg::kMouseWheel:
            report_("probe-wheel " + std::to_string(static_cast<short>(wParam >> 16)) + " " + At(screen));
            break;
        case msg::kKeyDown:
        case msg::kSysKeyDown:
            report_("probe-key " + std::to_string(wParam));
            if (wParam == msg::kVkEscape) CloseAll("escape");
            break;
        case msg::kChar:
            report_("probe-char " + std::to_string(wParam));
            break;
        default:
            break;
    }
}

void PopupProbe::PopupCancelled() { CloseAll("cancelled"); }

}  // namespace zintra::gallery
