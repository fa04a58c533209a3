// The toolkit on an X11 desktop: one X window per host window without system
// decorations (the layouts draw their caption), painted with the software
// surface and FreeType text; one poll() loop over the X connection, posted
// messages, timers and the platform's session bus (the tray and notices); hotkeys grabbed on the root window with every lock-key
// variant; override-redirect windows for drop-down lists, menus and the drag
// image. X events reach the hosts as the Win32 messages they stand for.
// One class, its files split by concern: X11HostWindows, X11Painting,
// X11EventLoop, X11Events, X11Hotkeys, X11Popups, X11PopupWindows,
// X11DragImage, X11Icons, X11WindowIdentity, X11InputMethod, X11Monitors.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/linux/DesktopLoop.h"
#include "platform/x11/X11DesktopHooks.h"
#include "ui/core/Backend.h"
#include "ui/core/LayoutDocument.h"
#include "ui/render/ImageCache.h"
#include "ui/x11/X11TextRasterizer.h"

namespace zintra::platform::linux_x11 {
class PortalShortcuts;
}  // namespace zintra::platform::linux_x11

namespace zintra::ui {

class MonitorLayout;
struct Monitor;

// Also the platform's DesktopLoop: its session bus is polled here, its tray
// clicks posted here, and it reads the tray icon's pictures from here.
class X11Backend final : public Backend, public platform::linux_x11::DesktopLoop {
public:
    // Uses the X11 platform's connection, which must be open, and attaches
    // itself to the desktop services as their loop.
    X11Backend(platform::x11::X11DesktopHooks& x11, platform::linux_x11::DesktopServices& desktop);
    ~X11Backend() override;
    X11Backend(const X11Backend&) = delete;
    X11Backend& operator=(const X11Backend&) = delete;

    platform::NativeWindow CreateHostWindow(SHostWnd& host, const HostWindowSpec& spec) override;
    void DestroyHostWindow(platform::NativeWindow window) override;
    void ShowHostWindow(platform::NativeWindow window, int showCommand) override;
    void MoveHostWindow(platform::NativeWindow window, const platform::Rect& screenRect) override;
    platform::Rect HostWindowRect(platform::NativeWindow window) override;
    double WindowScale(platform::NativeWindow window) override;
    // The work area of the window's monitor: where it is on screen, else
    // its owner's monitor, else the pointer's (the primary one for 0).
    platform::Rect WorkArea(platform::NativeWindow window) override;
    platform::Rect WorkAreaAt(platform::Point point) override;
    void Invalidate(platform::NativeWindow window, const platform::Rect& rect) override;
    void BeginWindowDrag(platform::NativeWindow window) override;
    platform::Size MeasureText(const Font& font, std::u16string_view text) override;
    void SetCapture(platform::NativeWindow window) override;
    void ReleaseCapture() override;
    void ShowCaret(platform::NativeWindow window, const platform::Rect& rect) override;
    void HideCaret(platform::NativeWindow window) override;
    void RunModalLoop(SHostDialog& dialog) override;
    void EndModalLoop(SHostDialog& dialog) override;
    // The toolkit's pop-ups: override-redirect windows the window manager
    // never sees; their loop grabs the pointer and the keyboard.
    platform::NativeWindow OpenPopup(PopupContent& content, const PopupSpec& spec) override;
    void ClosePopup(platform::NativeWindow popup) override;
    void RefreshPopup(platform::NativeWindow popup) override;
    bool RunPopupLoop(PopupInput& input, const bool& open) override;
    bool BeginDragImage(const Bitmap& image, platform::Point hotSpot, std::uint32_t colorKey, std::uint8_t alpha,
                        std::uint32_t flags) override;
    void MoveDragImage(platform::Point screenPoint) override;
    void EndDragImage() override;
    std::optional<Bitmap> DecodeImage(std::string_view bytes) override;
    std::uintptr_t LoadIcon(const ResourcePackage& package, std::string_view name, int size) override;

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
    std::vector<platform::linux_x11::IconPicture> IconPictures(std::uintptr_t icon) override;
    int RunMessageLoop() override;
    void PostQuitMessage(int exitCode) override;
    void SetTimer(platform::NativeWindow window, std::uintptr_t id, std::uint32_t milliseconds) override;
    void KillTimer(platform::NativeWindow window, std::uintptr_t id) override;
    void BeginPreciseTiming() override;
    void EndPreciseTiming() override;
    bool RegisterHotKey(platform::NativeWindow window, int id, std::uint32_t modifiers,
                        std::uint32_t virtualKey) override;
    bool UnregisterHotKey(platform::NativeWindow window, int id) override;
    DesktopShortcut DesktopShortcutOf(platform::NativeWindow window, int id) override;
    // In a Wayland session: the start/stop hotkey is also bound through the
    // desktop's shortcut portal, whose presses arrive as the grab's would.
    // `shortcuts` must outlive the backend.
    void UseDesktopShortcuts(platform::linux_x11::PortalShortcuts* shortcuts) { desktopShortcuts_ = shortcuts; }

    // The input method's server started, or went away (X11InputMethod.cpp).
    void OnInputMethodStarted();
    void OnInputMethodGone();

    // The screen scale from Xft.dpi (1 at 96 DPI).
    double Scale() const { return scale_; }
    // The screen's work area (the desktop's _NET_WORKAREA, else the screen).
    platform::Rect ScreenWorkArea();
    // The monitors as RandR 1.5 tells them (the whole screen without it).
    MonitorLayout Monitors();

private:
    struct Host;
    struct Popup;
    struct PopupWindow;
    struct PopupLoop;
    struct Posted {
        platform::NativeWindow window;
        std::uint32_t message;
        std::uintptr_t wParam;
        std::intptr_t lParam;
    };
    struct Timer {
        std::uint32_t period = 0;
        std::uint64_t due = 0;  // microseconds
    };
    struct Hotkey {
        platform::NativeWindow window;
        int id;
        std::uint32_t modifiers;
        std::uint32_t virtualKey;
        unsigned int keycode;
        unsigned int mask;
    };
    using EventFilter = std::function<bool(XEvent&)>;

    // Runs events, posted messages and timers while `running` holds; false
    // when the program is quitting (the quit stays pending for outer loops).
    bool Pump(const std::function<bool()>& running);
    // The pop-up loop's first grab of the pointer and the keyboard on `window`.
    bool GrabForPopups(Window window);
    // An event of the running pop-up loop: true when it was the loop's.
    bool FilterPopupEvent(PopupLoop& loop, XEvent& event);
    void DeliverPopupInput(PopupLoop& loop, XEvent& event);
    // Expose of a toolkit pop-up puts its picture again; its other events are dropped.
    bool HandlePopupWindowEvent(XEvent& event);
    PopupWindow* FindPopup(Window xid) const;
    bool PumpLoop(const std::function<bool()>& running);
    bool DispatchPosted();
    bool DispatchTimer();
    void WaitForWork();
    void HandleEvent(XEvent& event);
    void HandleHostEvent(Host& host, XEvent& event);
    std::intptr_t Deliver(platform::NativeWindow window, std::uint32_t message, std::uintptr_t wParam,
                          std::intptr_t lParam);
    Host* FindHost(platform::NativeWindow window) const;
    // The state (NormalState, IconicState) the window manager gives the window when it maps.
    void SetInitialState(Host& host, int state);
    void Render(Host& host);
    void Present(Host& host);
    void RenderDirty();
    void UpdateCursor(Host& host, int x, int y);
    bool GrabHotkey(Hotkey& hotkey, bool grab);
    void RegrabHotkeys();
    // A key press on the root window: a hotkey of ours goes to its window. False for other windows.
    bool DeliverHotkey(const XKeyEvent& key);
    // The desktop shortcut follows the start/stop hotkey just registered.
    void FollowWithDesktopShortcut(const Hotkey& hotkey);
    void DeliverDesktopShortcut();
    void ForgetTimersAndHotkeys(platform::NativeWindow window);
    bool CreateHostXWindow(Host& host, const HostWindowSpec& spec, int width, int height);
    void SetHostProperties(Window xid, const HostWindowSpec& spec, int width, int height);
    void OpenInputMethod();
    // Opens the input method and gives every open window its context.
    void ConnectInputMethod();
    void CloseInputMethod();
    void CreateInputContext(Host& host);
    // Reads the launcher's startup id and keeps it from the programs we start.
    void TakeStartupId();
    // Class, process, machine, startup id and, for a modal dialog, its type.
    void SetIdentity(Window xid, SHostWnd& hostWindow, const HostWindowSpec& spec);
    // Tells the launcher the start is done (once; `xid` sends the message).
    void CompleteStartup(Window xid);
    platform::Point PointerPosition();
    // A point in window pixels as a message's layout coordinates.
    std::intptr_t LayoutPoint(int x, int y) const;
    void OnButtonPress(Host& host, XButtonEvent& button);
    void OnButtonRelease(Host& host, XButtonEvent& button);
    void OnMotion(Host& host, XEvent& event);
    void OnKey(Host& host, XKeyEvent& key);
    void TypeText(Host& host, XKeyEvent& key);
    unsigned int LockMasks() const;
    // Monitors (X11Monitors.cpp): change notices asked for, the desktop's
    // work area (_NET_WORKAREA of the current desktop), a window's monitor.
    void WatchMonitors();
    std::optional<platform::Rect> DesktopWorkArea();
    const Monitor& MonitorOfWindow(const MonitorLayout& layout, platform::NativeWindow window);
    // A change of the monitors: windows left on none are brought back.
    bool HandleMonitorEvent(XEvent& event);
    void KeepWindowsOnMonitors();
    bool WindowManagerSupports(const char* atom);
    bool Translucent(bool wanted);
    Atom Intern(const char* name);
    void PutPicture(Window window, GC gc, const PixelBuffer& picture, bool argb, Visual* visual, int depth);
    void ShapeFromAlpha(Window window, const PixelBuffer& picture);
    // The layout's small and big icons as the window's icons for the desktop.
    void SetWindowIcons(Window window, const HostAttributes& attributes);

    platform::x11::X11DesktopHooks& x11_;
    platform::linux_x11::DesktopServices& desktop_;
    Display* display_;
    int screen_;
    Window root_;
    double scale_ = 1.0;
    XIM inputMethod_ = nullptr;
    bool waitingForInputMethod_ = false;
    // Opening the input method reads the locale's compose table (tens of
    // milliseconds), so it waits until the first window has been painted.
    bool inputMethodAsked_ = false;
    bool inputMethodDue_ = false;
    std::string startupId_;  // until the start is complete
    X11TextRasterizer text_;
    ImageCache images_;
    std::map<platform::NativeWindow, std::unique_ptr<Host>> hosts_;
    std::vector<std::unique_ptr<Host>> graveyard_;  // destroyed during a dispatch; freed between events
    std::map<platform::NativeWindow, platform::MessageHandler*> messageWindows_;
    platform::NativeWindow nextMessageWindow_ = platform::NativeWindow{1} << 40;
    std::map<std::pair<platform::NativeWindow, std::uintptr_t>, Timer> timers_;
    struct Firing {
        platform::NativeWindow window;
        std::uintptr_t id;
        std::uint64_t delivered;  // when the tick being handled was delivered
    };
    std::optional<Firing> firing_;
    std::vector<Hotkey> hotkeys_;
    platform::linux_x11::PortalShortcuts* desktopShortcuts_ = nullptr;
    std::optional<Hotkey> shortcutTarget_;  // where the desktop shortcut's presses go; none: nowhere
    std::string shortcutTrigger_;           // the keys last bound there
    std::set<platform::NativeWindow> disabled_;  // owners of running modal dialogs
    std::mutex postedLock_;
    std::deque<Posted> posted_;
    int wake_[2] = {-1, -1};
    bool quitting_ = false;
    int quitCode_ = 0;
    int preciseTiming_ = 0;
    int pumpDepth_ = 0;
    platform::NativeWindow capture_ = 0;
    // Moving a window by its caption when no window manager does it.
    platform::NativeWindow dragWindow_ = 0;
    int dragOffsetX_ = 0;
    int dragOffsetY_ = 0;
    // The last press, for double clicks.
    Time lastPressTime_ = 0;
    platform::NativeWindow lastPressWindow_ = 0;
    int lastPressX_ = 0;
    int lastPressY_ = 0;
    EventFilter filter_;  // a pop-up's loop sees events first
    std::unique_ptr<Popup> drag_;
    // The toolkit's open pop-ups, in the order they opened.
    std::vector<std::unique_ptr<PopupWindow>> popups_;
    PopupLoop* popupLoop_ = nullptr;  // the innermost running pop-up loop
    std::map<std::uintptr_t, Bitmap> icons_;
    std::map<std::uintptr_t, std::shared_ptr<const std::string>> iconFiles_;  // the .ico each handle came from
    std::uintptr_t nextIcon_ = 1;
    std::map<int, Cursor> cursors_;
    int randrEvent_ = 0;
    int xkbEvent_ = -1;  // XKB's event code (layout changes), -1 without XKB
    bool monitorsKnown_ = false;  // RandR 1.5 or later
};

}  // namespace zintra::ui
