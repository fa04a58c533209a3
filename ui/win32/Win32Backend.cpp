#include "ui/win32/Win32Backend.h"

#include "ui/win32/Win32Accessible.h"

#include <shellapi.h>

#include <algorithm>
#include <cmath>

#include "ui/core/ApplicationImages.h"
#include "ui/core/SApplication.h"
#include "ui/core/SHostDialog.h"
#include "ui/core/SHostWnd.h"
#include "ui/core/ScreenScale.h"
#include "ui/core/UiMapWriter.h"
#include "ui/render/PngDecoder.h"
#include "ui/win32/Win32HostWindow.h"

namespace zintra::ui {

namespace {

HWND Hwnd(platform::NativeWindow window) { return reinterpret_cast<HWND>(window); }

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

}  // namespace

Win32Backend::Win32Backend() : images_(ApplicationImageLoader()) {
    // Screen readers follow the controls through win events.
    win32_accessible::InstallEventObserver();
}

Win32Backend::~Win32Backend() {
    while (preciseTimingDepth_ > 0) EndPreciseTiming();
    // Windows still open at exit go now, while their objects exist.
    while (!windows_.empty()) {
        const HWND hwnd = Hwnd(windows_.begin()->first);
        if (IsWindow(hwnd)) {
            ::DestroyWindow(hwnd);
        }
        windows_.erase(reinterpret_cast<platform::NativeWindow>(hwnd));
    }
    popups_.clear();
    if (popupFocus_ != nullptr) ::DestroyWindow(popupFocus_);
}

platform::NativeWindow Win32Backend::CreateHostWindow(SHostWnd& host, const HostWindowSpec& spec) {
    const std::wstring className = Wide(spec.className.empty() ? u"ZUIHOST" : spec.className);
    if (!Win32HostWindow::RegisterClassOnce(className)) return 0;
    // No system frame: the layout draws the whole window, caption included.
    DWORD style = WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX;
    DWORD exStyle = 0;
    if (spec.toolWindow) exStyle |= WS_EX_TOOLWINDOW;
    if (spec.appWindow) exStyle |= WS_EX_APPWINDOW;
    if (spec.translucent) exStyle |= WS_EX_LAYERED;
    auto window = std::make_unique<Win32HostWindow>(*this, host, spec.translucent);
    Win32HostWindow* raw = window.get();
    // Invalidations during WM_CREATE find no window yet; showing paints anyway.
    HWND hwnd = CreateWindowExW(exStyle, className.c_str(), Wide(spec.title).c_str(), style, spec.rect.left,
                                spec.rect.top, spec.rect.Width(), spec.rect.Height(), Hwnd(spec.parent), nullptr,
                                GetModuleHandleW(nullptr), raw);
    if (hwnd == nullptr) return 0;  // WM_CREATE refused; the window is gone already
    const auto handle = reinterpret_cast<platform::NativeWindow>(hwnd);
    windows_[handle] = std::move(window);
    // Layouts are in 96-DPI pixels; a window on a denser monitor grows with it.
    if (raw->Scale() != 1.0) {
        ::SetWindowPos(hwnd, nullptr, 0, 0, static_cast<int>(std::lround(spec.rect.Width() * raw->Scale())),
                     static_cast<int>(std::lround(spec.rect.Height() * raw->Scale())),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (SHostWnd* hostWindow = raw->Host()) {
        if (SApplication* application = SApplication::Instance()) {
            const HostAttributes& attributes = hostWindow->GetHostAttributes();
            if (auto icon = application->LoadIcon(attributes.smallIcon)) {
                SendMessageW(hwnd, WM_SETICON, ICON_SMALL, static_cast<LPARAM>(icon));
            }
            if (auto icon = application->LoadIcon(attributes.bigIcon)) {
                SendMessageW(hwnd, WM_SETICON, ICON_BIG, static_cast<LPARAM>(icon));
            }
        }
        UiMapWriter::Instance().AddHost(hostWindow);
    }
    return handle;
}

void Win32Backend::ForgetWindow(HWND hwnd) {
    const auto handle = reinterpret_cast<platform::NativeWindow>(hwnd);
    auto it = windows_.find(handle);
    if (it == windows_.end()) return;
    if (SHostWnd* host = it->second->Host()) UiMapWriter::Instance().RemoveHost(host);
    windows_.erase(it);
    UiMapWriter::Instance().Refresh();
}

Win32HostWindow* Win32Backend::Find(platform::NativeWindow window) const {
    auto it = windows_.find(window);
    return it == windows_.end() ? nullptr : it->second.get();
}

void Win32Backend::DestroyHostWindow(platform::NativeWindow window) {
    if (IsWindow(Hwnd(window))) ::DestroyWindow(Hwnd(window));
}

void Win32Backend::ShowHostWindow(platform::NativeWindow window, int showCommand) {
    // No picture is made here: a layered window makes one on WM_SHOWWINDOW,
    // before it appears, and any other one on its first WM_PAINT.
    ::ShowWindow(Hwnd(window), showCommand);
}

void Win32Backend::MoveHostWindow(platform::NativeWindow window, const platform::Rect& screenRect) {
    // Pixels throughout: a move onto a monitor of another scale is followed
    // by WM_DPICHANGED, which gives the window its size there.
    ::SetWindowPos(Hwnd(window), nullptr, screenRect.left, screenRect.top, screenRect.Width(), screenRect.Height(),
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

platform::Rect Win32Backend::HostWindowRect(platform::NativeWindow window) {
    RECT rect{};
    if (!GetWindowRect(Hwnd(window), &rect)) return {};
    return {rect.left, rect.top, rect.right, rect.bottom};
}

double Win32Backend::WindowScale(platform::NativeWindow window) {
    if (const Win32HostWindow* host = Find(window)) return host->Scale();
    // Other windows (the tray's hidden one, which owns its menu) take the screen's.
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi / 96.0 : 1.0;
}

platform::Rect Win32Backend::WorkArea(platform::NativeWindow window) {
    HMONITOR monitor = window != 0 ? MonitorFromWindow(Hwnd(window), MONITOR_DEFAULTTONEAREST)
                                   : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (monitor != nullptr && GetMonitorInfoW(monitor, &info)) {
        return {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
    }
    RECT area{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) {
        area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    return {area.left, area.top, area.right, area.bottom};
}

void Win32Backend::Invalidate(platform::NativeWindow window, const platform::Rect&) {
    if (Win32HostWindow* host = Find(window)) host->RequestRender();
}

void Win32Backend::BeginWindowDrag(platform::NativeWindow window) {
    // The system's own move loop, as if the press had been on a caption.
    POINT cursor{};
    GetCursorPos(&cursor);
    ::ReleaseCapture();
    SendMessageW(Hwnd(window), WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(cursor.x, cursor.y));
}

platform::Size Win32Backend::MeasureText(const Font& font, std::u16string_view text) {
    // Glyphs do not grow exactly with the font: text measured only at its
    // layout size is clipped on a denser monitor. Layouts take the widest of
    // the common scales, in layout units.
    platform::Size size = text_.Measure(font, text);
    for (const double scale : {1.5, 2.0}) {
        Font scaled = font;
        scaled.size = PixelOfUnit(font.size, scale);
        const platform::Size large = text_.Measure(scaled, text);
        size.width = std::max(size.width, static_cast<int>(std::ceil(large.width / scale)));
        size.height = std::max(size.height, static_cast<int>(std::ceil(large.height / scale)));
    }
    return size;
}

void Win32Backend::SetCapture(platform::NativeWindow window) { ::SetCapture(Hwnd(window)); }

void Win32Backend::ReleaseCapture() { ::ReleaseCapture(); }

void Win32Backend::ShowCaret(platform::NativeWindow window, const platform::Rect& rect) {
    if (Win32HostWindow* host = Find(window)) host->ShowCaret(rect);
}

void Win32Backend::HideCaret(platform::NativeWindow window) {
    if (Win32HostWindow* host = Find(window)) host->HideCaret();
}

void Win32Backend::RunModalLoop(SHostDialog& dialog) {
    const HWND hwnd = Hwnd(dialog.GetHwnd());
    const HWND owner = GetWindow(hwnd, GW_OWNER);
    // The owner takes no input while its dialog runs, but keeps its timers,
    // hotkeys and posted messages: the loop below dispatches everything.
    const bool disableOwner = owner != nullptr && IsWindowEnabled(owner);
    if (disableOwner) EnableWindow(owner, FALSE);
    if (!PumpMessages([&] { return !dialog.IsEnded() && IsWindow(hwnd); })) ::PostQuitMessage(quitCode_);
    // Before the dialog goes, so activation falls back to the owner.
    if (disableOwner) EnableWindow(owner, TRUE);
}

void Win32Backend::EndModalLoop(SHostDialog& dialog) {
    // Wakes the loop, which then sees the dialog has ended.
    PostMessageW(Hwnd(dialog.GetHwnd()), WM_NULL, 0, 0);
}

bool Win32Backend::BeginDragImage(const Bitmap& image, platform::Point hotSpot, std::uint32_t colorKey,
                                  std::uint8_t alpha, std::uint32_t flags) {
    return drag_.Begin(image, hotSpot, colorKey, alpha, flags);
}

void Win32Backend::MoveDragImage(platform::Point screenPoint) { drag_.Move(screenPoint); }

void Win32Backend::EndDragImage() { drag_.End(); }

std::optional<Bitmap> Win32Backend::DecodeImage(std::string_view bytes) {
    if (auto picture = DecodePng(bytes)) return picture;
    // Other formats (and PNGs libpng refuses) go to GDI+, started when first needed.
    return decoder_.Decode(bytes);
}

std::uintptr_t Win32Backend::LoadIcon(const ResourcePackage& package, std::string_view name, int size) {
    return icons_.Load(package, name, size);
}

}  // namespace zintra::ui
