// The backend for tests: host windows are windows of the simulated desktop
// (so hotkeys, timers and posted messages reach their hooks as on Windows),
// text is measured with fixed metrics, and whatever a real backend would show
// (the drag image, links) is recorded; the toolkit's pop-ups are kept open
// for tests to paint and drive, and answer choices the test sets.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sim/SimDesktop.h"
#include "ui/core/Backend.h"
#include "ui/core/DropDownPopup.h"
#include "ui/core/MenuData.h"
#include "ui/render/PixelBuffer.h"

namespace zintra::ui {

class HeadlessBackend final : public Backend {
public:
    explicit HeadlessBackend(sim::SimDesktop& desktop) : desktop_(desktop) {}

    platform::NativeWindow CreateHostWindow(SHostWnd& host, const HostWindowSpec& spec) override;
    void DestroyHostWindow(platform::NativeWindow window) override;
    void ShowHostWindow(platform::NativeWindow window, int showCommand) override;
    void MoveHostWindow(platform::NativeWindow window, const platform::Rect& screenRect) override;
    platform::Rect HostWindowRect(platform::NativeWindow window) override;
    double WindowScale(platform::NativeWindow window) override;
    platform::Rect WorkArea(platform::NativeWindow window) override;
    void Invalidate(platform::NativeWindow window, const platform::Rect& rect) override;
    void BeginWindowDrag(platform::NativeWindow window) override { windowDrags_.push_back(window); }
    platform::Size MeasureText(const Font& font, std::u16string_view text) override;
    void SetCapture(platform::NativeWindow window) override { capture_ = window; }
    void ReleaseCapture() override { capture_ = 0; }
    void ShowCaret(platform::NativeWindow window, const platform::Rect& rect) override { carets_[window] = rect; }
    void HideCaret(platform::NativeWindow window) override { carets_.erase(window); }
    void RunModalLoop(SHostDialog& dialog) override;
    void EndModalLoop(SHostDialog&) override {}
    platform::NativeWindow OpenPopup(PopupContent& content, const PopupSpec& spec) override;
    void ClosePopup(platform::NativeWindow popup) override;
    void RefreshPopup(platform::NativeWindow) override { ++popupRefreshes_; }
    bool RunPopupLoop(PopupInput& input, const bool& open) override;
    platform::Rect WorkAreaAt(platform::Point screenPoint) override;
    bool BeginDragImage(const Bitmap& image, platform::Point hotSpot, std::uint32_t colorKey, std::uint8_t alpha,
                        std::uint32_t flags) override;
    void MoveDragImage(platform::Point screenPoint) override;
    void EndDragImage() override { drag_.reset(); }
    std::optional<Bitmap> DecodeImage(std::string_view bytes) override;
    std::uintptr_t LoadIcon(const ResourcePackage& package, std::string_view name, int size) override;

    // Windows, messages, timers and hotkeys live on the simulated desktop.
    platform::NativeWindow CreateMessageWindow(platform::MessageHandler& handler) override {
        return desktop_.CreateMessageWindow(handler);
    }
    void DestroyWindow(platform::NativeWindow window) override { desktop_.DestroyWindow(window); }
    bool ShowWindow(platform::NativeWindow window, int command) override { return desktop_.ShowWindow(window, command); }
    bool IsWindowVisible(platform::NativeWindow window) override { return desktop_.IsWindowVisible(window); }
    bool SetWindowPos(platform::NativeWindow window, platform::NativeWindow insertAfter, const platform::Rect& rect,
                      std::uint32_t flags) override {
        return desktop_.SetWindowPos(window, insertAfter, rect, flags);
    }
    std::intptr_t SendMessage(platform::NativeWindow window, std::uint32_t message, std::uintptr_t wParam,
                              std::intptr_t lParam) override {
        return desktop_.SendMessage(window, message, wParam, lParam);
    }
    bool PostMessage(platform::NativeWindow window, std::uint32_t message, std::uintptr_t wParam,
                     std::intptr_t lParam) override {
        return desktop_.PostMessage(window, message, wParam, lParam);
    }
    int RunMessageLoop() override { return desktop_.RunMessageLoop(); }
    void PostQuitMessage(int exitCode) override { desktop_.PostQuitMessage(exitCode); }
    void SetTimer(platform::NativeWindow window, std::uintptr_t id, std::uint32_t milliseconds) override {
        desktop_.SetTimer(window, id, milliseconds);
    }
    void KillTimer(platform::NativeWindow window, std::uintptr_t id) override { desktop_.KillTimer(window, id); }
    void BeginPreciseTiming() override { desktop_.BeginPreciseTiming(); }
    void EndPreciseTiming() override { desktop_.EndPreciseTiming(); }
    bool RegisterHotKey(platform::NativeWindow window, int id, std::uint32_t modifiers,
                        std::uint32_t virtualKey) override {
        return desktop_.RegisterHotKey(window, id, modifiers, virtualKey);
    }
    bool UnregisterHotKey(platform::NativeWindow window, int id) override {
        return desktop_.UnregisterHotKey(window, id);
    }
    DesktopShortcut DesktopShortcutOf(platform::NativeWindow window, int id) override {
        return desktop_.DesktopShortcutOf(window, id);
    }

    // ---- Test controls ----

    sim::SimDesktop& Desktop() const { return desktop_; }

    // Called with each dialog when its modal loop starts; the loop then runs
    // posted messages until the dialog ends. A dialog still open when nothing
    // is left to run gets a close request, as if the user closed it.
    void SetModalHook(std::function<void(SHostDialog&)> hook) { modalHook_ = std::move(hook); }
    int AutoClosedDialogs() const { return autoClosed_; }
    // What the next menu or drop-down list returns (then 0 / -1 again): its
    // loop moves the pointer to that item, opening sub-menus on the way, or
    // scrolls the list to the entry, and clicks it. A loop without a choice
    // or a hook closes with none.
    void SetNextMenuChoice(int id) { menuChoice_ = id; }
    void SetNextDropDownChoice(int index) { dropDownChoice_ = index; }

    struct ShownMenu {
        MenuData menu;
        platform::Point at;
        platform::NativeWindow owner;
    };
    const std::vector<ShownMenu>& ShownMenus() const { return shownMenus_; }
    const std::vector<DropDownSpec>& DropDowns() const { return dropDowns_; }

    // Called in place of the scripted choices with the input of each pop-up
    // loop (a PopupMenu or a DropDownPopup); whatever the hook leaves open is
    // then cancelled, as if another program took the mouse.
    void SetPopupHook(std::function<void(PopupInput&)> hook) { popupHook_ = std::move(hook); }
    // The toolkit's pop-ups open now, in the order they opened.
    struct Popup {
        platform::NativeWindow window = 0;
        PopupContent* content = nullptr;
        PopupSpec spec;
    };
    const std::vector<Popup>& Popups() const { return popups_; }
    // A pop-up painted as a backend presents it, at its spec's scale.
    static PixelBuffer PaintPopup(const Popup& popup);
    int PopupRefreshes() const { return popupRefreshes_; }
    struct DragImage {
        int width = 0;
        int height = 0;
        platform::Point hotSpot;
        std::uint32_t colorKey = 0;
        std::uint8_t alpha = 0;
        std::uint32_t flags = 0;
        std::optional<platform::Point> topLeft;  // set once moved (shown)
    };
    const std::optional<DragImage>& Drag() const { return drag_; }
    struct ToolTip {
        platform::NativeWindow owner = 0;
        std::u16string text;
        platform::Point topLeft;
        double scale = 1.0;  // the owner's, which the tip is drawn at
    };
    // The tooltip on screen now, and how many were shown so far.
    const std::optional<ToolTip>& ShownToolTip() const { return toolTip_; }
    int ToolTipsShown() const { return toolTipsShown_; }
    platform::NativeWindow Capture() const { return capture_; }
    std::optional<platform::Rect> Caret(platform::NativeWindow window) const;
    const HostWindowSpec* Spec(platform::NativeWindow window) const;
    int LoadedIconSize(std::uintptr_t icon) const;

private:
    // A host window sits on the monitor nearest its centre and takes that
    // monitor's scale; its layout size stays as created.
    double ScaleAt(const platform::Rect& rect) const;
    void FitToMonitor(HostWindowSpec& spec, platform::Size layoutSize) const;

    sim::SimDesktop& desktop_;
    std::map<platform::NativeWindow, HostWindowSpec> windows_;
    std::map<platform::NativeWindow, platform::Size> layoutSizes_;
    std::vector<platform::NativeWindow> windowDrags_;
    std::map<platform::NativeWindow, platform::Rect> carets_;
    platform::NativeWindow capture_ = 0;
    std::function<void(SHostDialog&)> modalHook_;
    int autoClosed_ = 0;
    int menuChoice_ = 0;
    int dropDownChoice_ = -1;
    std::vector<ShownMenu> shownMenus_;
    std::vector<DropDownSpec> dropDowns_;
    std::function<void(PopupInput&)> popupHook_;
    std::vector<Popup> popups_;
    platform::NativeWindow nextPopup_ = 0x7000;
    platform::NativeWindow toolTipWindow_ = 0;
    int popupRefreshes_ = 0;
    std::optional<DragImage> drag_;
    std::optional<ToolTip> toolTip_;
    int toolTipsShown_ = 0;
    int invalidations_ = 0;
    std::map<std::uintptr_t, int> icons_;
    std::uintptr_t nextIcon_ = 0x5000;
};

}  // namespace zintra::ui
