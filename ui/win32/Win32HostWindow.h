// One native window of a host: its window procedure (messages go to the host
// first, then get the backend's handling), its picture (painted by the
// software surface and shown with UpdateLayeredWindow for translucent
// windows, blitted on WM_PAINT otherwise), mouse tracking, cursors, our own
// caret (the system caret does not show on layered windows) and DPI scale.
#pragma once

#include "platform/win32/WindowsApi.h"

#include <cstdint>
#include <optional>
#include <string>

#include "platform/MessageHandler.h"
#include "ui/render/PixelBuffer.h"
#include "ui/win32/DibSection.h"

namespace zintra::ui {

class SHostWnd;
class Win32Backend;

class Win32HostWindow {
public:
    // Posted to itself to repaint once after any number of invalidations.
    static constexpr UINT kRenderMessage = WM_APP + 0x3A1;

    Win32HostWindow(Win32Backend& backend, platform::MessageHandler& handler, bool layered);
    ~Win32HostWindow();
    Win32HostWindow(const Win32HostWindow&) = delete;
    Win32HostWindow& operator=(const Win32HostWindow&) = delete;

    // Registers the window class of host windows (once per name).
    static bool RegisterClassOnce(const std::wstring& className);

    HWND Hwnd() const { return hwnd_; }
    SHostWnd* Host() const { return host_; }
    // Physical pixels per layout pixel.
    double Scale() const { return scale_; }
    void UpdateScale();

    void RequestRender();
    // Paints now and puts the picture on the screen.
    void RenderNow();

    void ShowCaret(const platform::Rect& rect);
    void HideCaret();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static void CALLBACK CaretBlink(HWND hwnd, UINT message, UINT_PTR id, DWORD time);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    // The messages this window answers itself, before or instead of the host.
    std::optional<LRESULT> HandleOwn(UINT message, WPARAM wParam, LPARAM lParam);
    std::optional<LRESULT> HandleLifeAndAccess(UINT message, WPARAM wParam, LPARAM lParam);
    std::optional<std::intptr_t> ToHost(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnPaint();
    void TrackMouseLeave();
    LRESULT OnMouse(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseWheel(WPARAM wParam, LPARAM lParam);
    LRESULT OnDpiChanged(const RECT& suggested);
    bool SetCursorForPoint();
    LPARAM ToLayout(LPARAM lParam) const;
    void Render();
    void Present(HDC paintDc);

    Win32Backend& backend_;
    platform::MessageHandler& handler_;
    SHostWnd* host_ = nullptr;
    HWND hwnd_ = nullptr;
    bool layered_ = false;
    double scale_ = 1.0;
    bool renderPending_ = false;
    bool trackingMouse_ = false;
    std::optional<platform::Rect> caret_;
    bool caretOn_ = false;
    PixelBuffer picture_;
    DibSection dib_;
};

}  // namespace zintra::ui
