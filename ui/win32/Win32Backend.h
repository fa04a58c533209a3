// The toolkit on real Windows: one native window per host window, painted by
// the software surface with GDI text and GDI+ pictures, layered windows for
// translucent layouts, nested modal loops, the windows and the loop of the
// toolkit's pop-ups (menus, lists, tips), the drag image and icons from the
// program's resources.
#pragma once

#include "platform/win32/WindowsApi.h"

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "ui/core/Backend.h"
#include "ui/render/ImageCache.h"
#include "ui/win32/GdiTextRasterizer.h"
#include "ui/win32/GdiplusDecoder.h"
#include "ui/win32/Win32DragImage.h"
#include "ui/win32/Win32Icons.h"
#include "ui/win32/Win32PopupWindow.h"

namespace zintra::ui {

class Win32HostWindow;

class Win32Backend final : public Backend {
public:
    Win32Backend();
    ~Win32Backend() override;

    platform::NativeWindow CreateHostWindow(SHostWnd& host, const HostWindowSpec& spec) override;
    void DestroyHostWindow(platform::NativeWindow window) override;
    void ShowHostWindow(platform::NativeWindow window, int showCommand) override;
    void MoveHostWindow(platform::NativeWindow window, const platform::Rect& screenRect) override;
    platform::Rect HostWindowRect(platform::NativeWindow window) override;
    double WindowScale(platform::NativeWindow window) override;
    platform::Rect WorkArea(platform::NativeWindow window) override;
    void Invalidate(platform::NativeWindow window, const platform::Rect& rect) override;
    void BeginWindowDrag(platform::NativeWindow window) override;
    platform::Size MeasureText(const Font& font, std::u16string_view text) override;
    void SetCapture(platform::NativeWindow window) override;
    void ReleaseCapture() override;
    void ShowCaret(platform::NativeWindow window, const platform::Rect& rect) override;
    void HideCaret(platform::NativeWindow window) override;
    void RunModalLoop(SHostDialog& dialog) override;
    void EndModalLoop(SHostDialog& dialog) override;
    bool BeginDragImage(const Bitmap& image, platform::Point hotSpot, std::uint32_t colorKey, std::uint8_t alpha,
                        std::uint32_t flags) override;
    void MoveDragImage(platform::Point screenPoint) override;
    void EndDragImage() override;
    std::optional<Bitmap> DecodeImage(std::string_view bytes) override;
    std::uintptr_t LoadIcon(const ResourcePackage& package, std::string_view name, int size) override;

    // The toolkit's pop-up windows and their loop (Win32PopupWindow.cpp)
    platform::NativeWindow OpenPopup(PopupContent& content, const PopupSpec& spec) override;
    void ClosePopup(platform::NativeWindow popup) override;
    void RefreshPopup(platform::NativeWindow popup) override;
    bool RunPopupLoop(PopupInput& input, const bool& open) override;
    platform::Rect WorkAreaAt(platform::Point screenPoint) override;
    // From a pop-up's window: the mouse went from it to `to`, or another program
    // was activated; either ends a running pop-up loop unless the mouse stayed
    // with another pop-up.
    void PopupCaptureChanged(HWND from, HWND to);
    void PopupProgramDeactivated();

    // WindowSystem, Timers, Hotkeys (Win32Windows.cpp)
    platform::NativeWindow CreateMessageWindow(platform::MessageHandler& handler) override;
    void DestroyWindow(platform::NativeWindow window) override;
    bool ShowWindow(platform::NativeWindow window, int command) override;
    bool IsWindowVisible(platform::NativeWindow window) override;
    bool SetWindowPos(platform::NativeWindow window, platform::NativeWindow insertAfter, const platform::Rect& rect,
                      std::uint32_t flags) override;
    std::intptr_t SendMessage(platform::NativeWindow window, std::uint32_t message, std::uintptr_t wParam,
                              std::intptr_t lParam) override;
    bool PostMessage(platform::NativeWindow window, std::uint32_t message, std::uintptr_t wParam,
                     std::intptr_t lParam) override;
    int RunMessageLoop() override;
    void PostQuitMessage(int exitCode) override;
    void SetTimer(platform::NativeWindow window, std::uintptr_t id, std::uint32_t milliseconds) override;
    void KillTimer(platform::NativeWindow window, std::uintptr_t id) override;
    void BeginPreciseTiming() override;
    void EndPreciseTiming() override;
    bool RegisterHotKey(platform::NativeWindow window, int id, std::uint32_t modifiers,
                        std::uint32_t virtualKey) override;
    bool UnregisterHotKey(platform::NativeWindow window, int id) override;

    // The one message pump: dispatches messages while `running` holds; a
    // preview that returns true has consumed the message. False when the
    // program is quitting (the quit code is kept for the main loop).
    using MessagePreview = std::function<bool(const MSG&)>;
    bool PumpMessages(const std::function<bool()>& running, const MessagePreview& preview = {});
    int QuitCode() const { return quitCode_; }

    // ---- For the backend's own windows ----
    ImageCache& Images() { return images_; }
    GdiTextRasterizer& Text() { return text_; }
    Win32HostWindow* Find(platform::NativeWindow window) const;
    // A host window received its last message.
    void ForgetWindow(HWND hwnd);

private:
    Win32PopupWindow* FindPopup(HWND hwnd) const;
    HWND FirstActivePopup() const;
    void HoldPopupMouse(HWND hwnd);
    void PopupInputLost();
    HWND PopupForegroundWindow(HWND owner);
    bool PreviewPopupMessage(PopupInput& input, const MSG& message);

    GdiplusDecoder decoder_;
    GdiTextRasterizer text_;
    ImageCache images_;
    Win32Icons icons_;
    Win32DragImage drag_;
    // Open pop-ups, in the order they opened; the loop's mouse goes to the first.
    std::vector<std::unique_ptr<Win32PopupWindow>> popups_;
    HWND popupCapture_ = nullptr;  // the pop-up holding the mouse while a loop runs
    bool popupLost_ = false;       // the loop's mouse or focus went elsewhere
    HWND popupFocus_ = nullptr;    // put in front for pop-ups without an owner
    std::map<platform::NativeWindow, std::unique_ptr<Win32HostWindow>> windows_;
    int preciseTimingDepth_ = 0;
    int quitCode_ = 0;
};

}  // namespace zintra::ui
