// A top-level window built from a layout resource: it owns one native window
// (through the backend) and the tree of windowless controls, routes native
// messages to the window class first and then to the controls, and raises
// control events in one handler.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/MessageHandler.h"
#include "ui/core/ChildLookup.h"
#include "ui/core/Events.h"
#include "ui/core/LayoutDocument.h"
#include "ui/core/SWindow.h"
#include "ui/core/ToolTipTracker.h"

namespace zintra::ui {

class Backend;
class Surface;

class SHostWnd : public platform::MessageHandler, public ChildLookup<SHostWnd> {
public:
    // `layoutName` is a resource name such as "LAYOUT:XML_MAINWND"; the layout
    // is read when the window is created.
    explicit SHostWnd(std::string layoutName);
    ~SHostWnd() override;
    SHostWnd(const SHostWnd&) = delete;
    SHostWnd& operator=(const SHostWnd&) = delete;

    // Creates the native window and the controls. A zero size takes the
    // layout's. Returns 0 (and leaves no window) when the layout is missing or
    // broken or there is no application object.
    platform::NativeWindow Create(platform::NativeWindow parent = 0, int x = 0, int y = 0, int width = 0,
                                  int height = 0);
    void DestroyWindow();
    platform::NativeWindow GetHwnd() const { return hwnd_; }
    const std::string& GetLayoutName() const { return layoutName_; }
    const HostAttributes& GetHostAttributes() const;

    bool ShowWindow(int showCommand);
    bool IsWindowVisible() const;
    // Screen rectangle of the native window, in screen pixels.
    platform::Rect GetWindowRect() const;
    void MoveWindow(const platform::Rect& screenRect);
    // Centres the window in the work area of its monitor.
    void CenterWindow();
    // Client points are in layout units, screen points in pixels (Backend.h).
    platform::Point ClientToScreen(platform::Point point) const;
    platform::Rect ClientRectToScreen(const platform::Rect& rect) const;
    platform::Point ScreenToClient(platform::Point point) const;
    // The screen pixel of a mouse message at `client` while the pointer is
    // at `pointer`: the pointer itself when it lies in that layout unit.
    platform::Point PointerPixel(platform::Point client, platform::Point pointer) const;

    // ---- Controls ----
    SWindow* GetRoot() const { return root_.get(); }
    // The root and everything below it.
    SWindow* FindChildByName(std::string_view name, int depth = -1) const;
    SWindow* FindChildByID(int id, int depth = -1) const;

    // ---- Native services on this window ----
    // WM_TIMER with `id` arrives through the message hook every period.
    bool SetTimer(std::uintptr_t id, std::uint32_t milliseconds);
    void KillTimer(std::uintptr_t id);
    bool PostMessage(std::uint32_t message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
    std::intptr_t SendMessage(std::uint32_t message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);

    // ---- Focus, capture, hover ----
    SWindow* GetFocus() const { return focus_; }
    void SetFocus(SWindow* control);
    SWindow* GetCapture() const { return capture_; }
    void SetCapture(SWindow* control);
    void ReleaseCapture();
    // Whether the keyboard has been used here, so the focus is drawn
    // (KeyboardNavigation.cpp).
    bool ShowsFocusCues() const { return focusCues_; }
    void SetShowsFocusCues(bool shown);

    // ---- Layout and painting ----
    platform::Size GetClientSize() const { return clientSize_; }
    void RequestLayout() { layoutDirty_ = true; }
    void EnsureLayout();
    void Invalidate(const platform::Rect& rect);
    void Paint(Surface& surface);

    // ---- Animation ----
    // Steps of every running animation arrive on this timer of the host; it
    // never reaches the window class.
    static constexpr std::uintptr_t kAnimationTimerId = 0x5A13;
    static constexpr std::uint32_t kAnimationStepMilliseconds = 10;
    // Calls control.OnAnimationStep() every step until it returns false. A
    // press, a wheel turn or a key first finishes every running animation, so
    // input always meets the controls where they will stay.
    void StartAnimation(SWindow& control);
    void FinishAnimations();
    bool IsAnimating() const { return !animating_.empty(); }

    const StyleSheet& LocalStyles() const;
    Backend* GetBackend() const;

    // A control raised an event: the window class sees it first.
    void OnFireEvent(EventArgs& event);

    // platform::MessageHandler: every native message of the window.
    std::optional<std::intptr_t> HandleMessage(platform::NativeWindow window, std::uint32_t message,
                                               std::uintptr_t wParam, std::intptr_t lParam) final;

protected:
    // The window class's hooks: native messages before the toolkit (return a
    // result to mark one handled), and every control event.
    virtual std::optional<std::intptr_t> OnWindowMessage(std::uint32_t message, std::uintptr_t wParam,
                                                         std::intptr_t lParam);
    virtual void OnEvent(EventArgs& event);
    // The toolkit's own handling of what the class let through.
    virtual std::optional<std::intptr_t> DefaultMessage(std::uint32_t message, std::uintptr_t wParam,
                                                        std::intptr_t lParam);

private:
    bool BuildTree();
    void ReleaseTree();
    void Destroyed();
    void RouteMouse(std::uint32_t message, std::intptr_t lParam, std::uintptr_t wParam);
    std::optional<std::intptr_t> RouteKey(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
    void UpdateHover(SWindow* control);
    void MoveFocus(bool backwards);
    void TrackToolTip(std::uint32_t message, std::uintptr_t wParam);
    void StepAnimations();

    std::string layoutName_;
    std::unique_ptr<LayoutDocument> document_;
    std::unique_ptr<SWindow> root_;
    // Trees released while a message was being handled live until it returns,
    // so a handler that destroys its own window never pulls the floor away.
    std::vector<std::unique_ptr<SWindow>> released_;
    int dispatchDepth_ = 0;
    platform::NativeWindow hwnd_ = 0;
    platform::Size clientSize_;
    bool layoutDirty_ = true;
    SWindow* focus_ = nullptr;
    SWindow* capture_ = nullptr;
    SWindow* hover_ = nullptr;
    bool focusCues_ = false;
    ToolTipTracker toolTips_{*this};
    std::vector<SWindow*> animating_;  // controls of the tree, not owned
};

}  // namespace zintra::ui
