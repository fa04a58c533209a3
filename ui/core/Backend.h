// Everything native the toolkit core needs, behind one interface: the Win32
// backend gives each host a real window and draws with GDI, the X11 one an X
// window; the headless one puts hosts on the simulated desktop for tests.
// Only the core's own types and plain data cross it, never a control.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Types.h"
#include "ui/render/Bitmap.h"
#include "ui/render/Font.h"
#include "ui/core/Hotkeys.h"
#include "ui/core/Popups.h"
#include "ui/core/Timers.h"
#include "ui/core/WindowSystem.h"

namespace zintra::ui {

class SHostDialog;
class SHostWnd;
class ResourcePackage;

struct HostWindowSpec {
    std::u16string className;  // native class of host windows ("ZUIHOST")
    std::u16string title;
    platform::NativeWindow parent = 0;
    platform::Rect rect;  // screen position and size
    bool toolWindow = false;
    bool translucent = false;
    bool resizable = false;
    bool appWindow = false;  // shown in the task bar although not the main window
};

// The one owner of everything that needs the system's windows: host and plain
// windows, the event loop (main and modal), timers and hotkey delivery. A new
// system brings one of these beside a platform folder.
class Backend : public WindowSystem, public Timers, public Hotkeys {
public:
    virtual ~Backend() = default;

    // Creates the native window of a host; its messages (WM_CREATE first) go to
    // the host's HandleMessage, and WM_PAINT is answered by host.Paint on a
    // surface of the backend. Returns 0 when the window could not be made or
    // WM_CREATE answered -1, in which case nothing is left behind.
    virtual platform::NativeWindow CreateHostWindow(SHostWnd& host, const HostWindowSpec& spec) = 0;
    virtual void DestroyHostWindow(platform::NativeWindow window) = 0;
    virtual void ShowHostWindow(platform::NativeWindow window, int showCommand) = 0;
    // Window positions and sizes are in screen pixels; a host's client area
    // is in layout units (see ScreenScale.h), `WindowScale` pixels each.
    // A window that is not a host's has the screen's scale.
    virtual void MoveHostWindow(platform::NativeWindow window, const platform::Rect& screenRect) = 0;
    virtual platform::Rect HostWindowRect(platform::NativeWindow window) = 0;
    virtual double WindowScale(platform::NativeWindow window) = 0;
    // The work area of the window's monitor (the primary one for 0).
    virtual platform::Rect WorkArea(platform::NativeWindow window) = 0;

    // The one conversion between a host's client area and the screen, used for
    // every screen position of a control (centring, pop-ups, the count test,
    // picking, the control map).
    platform::Point ClientToScreen(platform::NativeWindow window, platform::Point client);
    platform::Rect ClientRectToScreen(platform::NativeWindow window, const platform::Rect& client);
    platform::Point ScreenToClient(platform::NativeWindow window, platform::Point screen);

    // Asks for the area (client coordinates) to be painted again.
    virtual void Invalidate(platform::NativeWindow window, const platform::Rect& rect) = 0;
    // Lets the user move the window by dragging (a press on a caption).
    virtual void BeginWindowDrag(platform::NativeWindow window) = 0;

    virtual platform::Size MeasureText(const Font& font, std::u16string_view text) = 0;

    // Mouse moves and the release keep coming to `window` while captured.
    virtual void SetCapture(platform::NativeWindow window) = 0;
    virtual void ReleaseCapture() = 0;

    // Blinking caret at `rect` (client coordinates) of a window, or none.
    virtual void ShowCaret(platform::NativeWindow window, const platform::Rect& rect) = 0;
    virtual void HideCaret(platform::NativeWindow window) = 0;

    // Runs messages until the dialog has ended (SHostDialog::EndDialog calls
    // EndModalLoop); the dialog's window exists throughout.
    virtual void RunModalLoop(SHostDialog& dialog) = 0;
    virtual void EndModalLoop(SHostDialog& dialog) = 0;

    // The toolkit's pop-up windows (Popups.h): menus, drop-down lists and
    // tooltips, shown at once, top-most, never activated; 0 when it could not
    // be made.
    virtual platform::NativeWindow OpenPopup(PopupContent& content, const PopupSpec& spec) = 0;
    virtual void ClosePopup(platform::NativeWindow popup) = 0;
    // Paints the whole pop-up again from its content.
    virtual void RefreshPopup(platform::NativeWindow popup) = 0;
    // Holds the mouse and the keyboard and hands their input to `input` until
    // `open` turns false; other events run as usual. False when the program
    // is quitting (the quit is passed on to the main loop).
    virtual bool RunPopupLoop(PopupInput& input, const bool& open) = 0;
    // The work area of the monitor that holds a screen point (the nearest one).
    virtual platform::Rect WorkAreaAt(platform::Point screenPoint) = 0;

    // The drag image window: at most one, top-most, ignoring the mouse.
    virtual bool BeginDragImage(const Bitmap& image, platform::Point hotSpot, std::uint32_t colorKey,
                                std::uint8_t alpha, std::uint32_t flags) = 0;
    virtual void MoveDragImage(platform::Point screenPoint) = 0;
    virtual void EndDragImage() = 0;

    // Pixels of a PNG; nothing when the bytes do not decode.
    virtual std::optional<Bitmap> DecodeImage(std::string_view bytes) = 0;
    // A native icon handle for "name" at `size` pixels from the package; 0 if none.
    virtual std::uintptr_t LoadIcon(const ResourcePackage& package, std::string_view name, int size) = 0;
};

// The backend of the toolkit running now (the application object's).
Backend& CurrentBackend();

}  // namespace zintra::ui
