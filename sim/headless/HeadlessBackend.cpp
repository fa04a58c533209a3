#include "sim/headless/HeadlessBackend.h"


#include <algorithm>
#include <utility>

#include "platform/Messages.h"
#include "ui/render/PngDecoder.h"
#include "ui/core/ApplicationImages.h"
#include "ui/core/PopupMenu.h"
#include "ui/core/ResourcePackage.h"
#include "ui/core/ToolTipPopup.h"
#include "ui/render/SoftwareSurface.h"
#include "sim/headless/HeadlessTextRasterizer.h"
#include "sim/headless/PopupScript.h"
#include "ui/core/ScreenScale.h"
#include "ui/core/SHostDialog.h"
#include "ui/core/SHostWnd.h"
#include "ui/core/UiMapWriter.h"

namespace zintra::ui {

platform::NativeWindow HeadlessBackend::CreateHostWindow(SHostWnd& host, const HostWindowSpec& spec) {
    const platform::NativeWindow window = desktop_.CreateMessageWindow(host);
    if (window == 0) return 0;
    // The requested size is the layout's; on a scaled monitor it grows.
    HostWindowSpec placed = spec;
    const platform::Size layoutSize{spec.rect.Width(), spec.rect.Height()};
    placed.rect = {spec.rect.left, spec.rect.top, spec.rect.left, spec.rect.top};
    FitToMonitor(placed, layoutSize);
    windows_[window] = placed;
    layoutSizes_[window] = layoutSize;
    if (desktop_.SendMessage(window, msg::kCreate, 0, 0) == -1) {
        DestroyHostWindow(window);
        return 0;
    }
    UiMapWriter::Instance().AddHost(dynamic_cast<SHostWnd*>(&host));
    UiMapWriter::Instance().Refresh();
    return window;
}

void HeadlessBackend::DestroyHostWindow(platform::NativeWindow window) {
    UiMapWriter::Instance().RemoveWindow(window);
    desktop_.DestroyWindow(window);
    windows_.erase(window);
    layoutSizes_.erase(window);
    if (toolTip_ && toolTip_->owner == window) toolTip_.reset();
    carets_.erase(window);
    if (capture_ == window) capture_ = 0;
    UiMapWriter::Instance().Refresh();
}

void HeadlessBackend::ShowHostWindow(platform::NativeWindow window, int showCommand) {
    desktop_.ShowWindow(window, showCommand);
    UiMapWriter::Instance().Refresh();
}

double HeadlessBackend::ScaleAt(const platform::Rect& rect) const {
    const platform::Point centre{rect.left + rect.Width() / 2, rect.top + rect.Height() / 2};
    return ScaleOfDpi(desktop_.MonitorNearest(centre).dpi);
}

void HeadlessBackend::FitToMonitor(HostWindowSpec& spec, platform::Size layoutSize) const {
    // As Windows does on WM_DPICHANGED: the top-left corner stays, the size
    // follows the scale of the monitor the window lands on. Two rounds settle
    // a window whose new size moves its centre onto another monitor.
    for (int round = 0; round < 2; ++round) {
        const platform::Rect probe = spec.rect.Width() > 0 ? spec.rect
                                                             : platform::Rect{spec.rect.left, spec.rect.top,
                                                                              spec.rect.left + layoutSize.width,
                                                                              spec.rect.top + layoutSize.height};
        const double scale = ScaleAt(probe);
        spec.rect.right = spec.rect.left + PixelOfUnit(layoutSize.width, scale);
        spec.rect.bottom = spec.rect.top + PixelOfUnit(layoutSize.height, scale);
    }
}

void HeadlessBackend::MoveHostWindow(platform::NativeWindow window, const platform::Rect& screenRect) {
    if (auto it = windows_.find(window); it != windows_.end()) {
        const double before = ScaleAt(it->second.rect);
        it->second.rect = screenRect;
        auto size = layoutSizes_.find(window);
        if (size != layoutSizes_.end() && ScaleAt(screenRect) != before) FitToMonitor(it->second, size->second);
    }
    UiMapWriter::Instance().Refresh();
}

platform::Rect HeadlessBackend::HostWindowRect(platform::NativeWindow window) {
    auto it = windows_.find(window);
    return it == windows_.end() ? platform::Rect{} : it->second.rect;
}

double HeadlessBackend::WindowScale(platform::NativeWindow window) {
    auto it = windows_.find(window);
    return it == windows_.end() ? 1.0 : ScaleAt(it->second.rect);
}

platform::Rect HeadlessBackend::WorkArea(platform::NativeWindow window) {
    auto it = windows_.find(window);
    if (it == windows_.end()) return desktop_.Monitors().front().workArea;
    const platform::Rect& rect = it->second.rect;
    return desktop_.MonitorNearest({rect.left + rect.Width() / 2, rect.top + rect.Height() / 2}).workArea;
}

void HeadlessBackend::Invalidate(platform::NativeWindow, const platform::Rect&) {
    ++invalidations_;
    UiMapWriter::Instance().Refresh();
}

// Fixed metrics: ASCII 0.6 of the font size wide, everything else the full
// size, one pixel more per character when bold; lines 4/3 of the size high.
platform::Size HeadlessBackend::MeasureText(const Font& font, std::u16string_view text) {
    const int lineHeight = font.size + font.size / 3;
    int lines = 1;
    int width = 0;
    int line = 0;
    for (char16_t c : text) {
        if (c == u'\n') {
            ++lines;
            line = 0;
            continue;
        }
        line += (c < 0x80 ? (font.size * 3 + 4) / 5 : font.size) + (font.bold ? 1 : 0);
        width = std::max(width, line);
    }
    return {width, lines * lineHeight};
}

void HeadlessBackend::RunModalLoop(SHostDialog& dialog) {
    if (modalHook_) {
        auto hook = modalHook_;  // the hook may replace itself
        hook(dialog);
    }
    while (!dialog.IsEnded() && dialog.GetHwnd() != 0) {
        if (desktop_.DispatchPosted() == 0) break;
    }
    if (!dialog.IsEnded()) {
        ++autoClosed_;
        if (dialog.GetHwnd() != 0) desktop_.SendMessage(dialog.GetHwnd(), msg::kClose, 0, 0);
        if (!dialog.IsEnded()) dialog.EndDialog(0);
    }
}

platform::NativeWindow HeadlessBackend::OpenPopup(PopupContent& content, const PopupSpec& spec) {
    const platform::NativeWindow window = nextPopup_++;
    popups_.push_back({window, &content, spec});
    if (const auto* tip = dynamic_cast<const ToolTipPopup*>(&content)) {
        toolTip_ = ToolTip{spec.owner, tip->Text(), {spec.rect.left, spec.rect.top}, spec.scale};
        toolTipWindow_ = window;
        ++toolTipsShown_;
    }
    return window;
}

void HeadlessBackend::ClosePopup(platform::NativeWindow popup) {
    std::erase_if(popups_, [&](const Popup& open) { return open.window == popup; });
    if (popup == toolTipWindow_) {
        toolTip_.reset();
        toolTipWindow_ = 0;
    }
}

platform::Rect HeadlessBackend::WorkAreaAt(platform::Point screenPoint) {
    return desktop_.MonitorNearest(screenPoint).workArea;
}

bool HeadlessBackend::RunPopupLoop(PopupInput& input, const bool& open) {
    auto* menu = dynamic_cast<PopupMenu*>(&input);
    auto* list = dynamic_cast<DropDownPopup*>(&input);
    if (menu != nullptr) shownMenus_.push_back({menu->Menu(), menu->At(), menu->Owner()});
    if (list != nullptr) dropDowns_.push_back(list->Request());
    const int menuChoice = std::exchange(menuChoice_, 0);
    const int dropDownChoice = std::exchange(dropDownChoice_, -1);
    if (popupHook_) {
        auto hook = popupHook_;  // the hook may replace itself
        hook(input);
    } else if (menu != nullptr && menuChoice != 0) {
        popup_script::ChooseMenuItem(*menu, menuChoice);
    } else if (list != nullptr && dropDownChoice >= 0) {
        popup_script::ChooseDropDownEntry(*list, dropDownChoice);
    }
    if (open) input.PopupCancelled();
    return true;
}

PixelBuffer HeadlessBackend::PaintPopup(const Popup& popup) {
    ImageCache images(ApplicationImageLoader());
    HeadlessTextRasterizer text;
    PixelBuffer picture(popup.spec.rect.Width(), popup.spec.rect.Height());
    SoftwareSurface surface(picture, images, text, popup.spec.scale);
    popup.content->PaintPopup(surface);
    return picture;
}

bool HeadlessBackend::BeginDragImage(const Bitmap& image, platform::Point hotSpot, std::uint32_t colorKey,
                                     std::uint8_t alpha, std::uint32_t flags) {
    if (drag_) return false;
    drag_ = DragImage{image.width, image.height, hotSpot, colorKey, alpha, flags, std::nullopt};
    return true;
}

void HeadlessBackend::MoveDragImage(platform::Point screenPoint) {
    if (drag_) drag_->topLeft = platform::Point{screenPoint.x - drag_->hotSpot.x, screenPoint.y - drag_->hotSpot.y};
}

std::optional<Bitmap> HeadlessBackend::DecodeImage(std::string_view bytes) {
    return DecodePng(bytes);
}

std::uintptr_t HeadlessBackend::LoadIcon(const ResourcePackage& package, std::string_view name, int size) {
    const auto icon = LoadPackagedIcon(package, name, size);
    if (!icon) return 0;
    const std::uintptr_t handle = nextIcon_++;
    icons_[handle] = icon->image.width;
    return handle;
}

std::optional<platform::Rect> HeadlessBackend::Caret(platform::NativeWindow window) const {
    auto it = carets_.find(window);
    if (it == carets_.end()) return std::nullopt;
    return it->second;
}

const HostWindowSpec* HeadlessBackend::Spec(platform::NativeWindow window) const {
    auto it = windows_.find(window);
    return it == windows_.end() ? nullptr : &it->second;
}

int HeadlessBackend::LoadedIconSize(std::uintptr_t icon) const {
    auto it = icons_.find(icon);
    return it == icons_.end() ? 0 : it->second;
}

}  // namespace zintra::ui
