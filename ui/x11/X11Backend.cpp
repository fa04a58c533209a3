#include "ui/x11/X11Backend.h"

#include <X11/Xatom.h>
#include <X11/Xresource.h>
#include <X11/cursorfont.h>
#include <X11/extensions/shape.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/Messages.h"
#include "platform/linux/KeyMapping.h"
#include "platform/linux/TextConversion.h"
#include "ui/core/ApplicationImages.h"
#include "ui/core/CDragWnd.h"
#include "ui/core/ResourcePackage.h"
#include "ui/core/SApplication.h"
#include "ui/core/SHostDialog.h"
#include "ui/core/SHostWnd.h"
#include "ui/core/ScreenScale.h"
#include "ui/core/UiMapWriter.h"
#include "ui/core/HostRenderer.h"
#include "ui/render/IconDirectory.h"
#include "ui/render/PngDecoder.h"
#include "ui/render/SoftwareSurface.h"

namespace zintra::ui {

namespace {

using platform::NativeWindow;

constexpr std::uint64_t kCaretBlinkMicroseconds = 530000;
constexpr int kDoubleClickMilliseconds = 500;
// What shows through translucent pixels when no compositor blends them.
constexpr std::uint32_t kBackdrop = 0xFFFFFFFF;

std::uint64_t NowMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000000u + static_cast<std::uint64_t>(now.tv_nsec / 1000);
}

Window Xid(NativeWindow window) { return static_cast<Window>(window); }

// The default handler ends the process; a window that went away under us
// (a BadWindow on a focus request, say) is not worth that.
int lastError = 0;
int IgnoreErrors(Display*, XErrorEvent* error) {
    lastError = error->error_code;
    return 0;
}

double ScaleFromResources(Display* display) {
    const char* resources = XResourceManagerString(display);
    if (resources == nullptr) return 1.0;
    XrmInitialize();
    XrmDatabase database = XrmGetStringDatabase(resources);
    if (database == nullptr) return 1.0;
    double scale = 1.0;
    char* type = nullptr;
    XrmValue value{};
    if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr != nullptr) {
        const double dpi = std::atof(value.addr);
        if (dpi >= 48 && dpi <= 480) scale = dpi / 96.0;
    }
    XrmDestroyDatabase(database);
    return scale;
}

// The control under a point and its cursor (inherited from its parents).
std::string CursorName(SWindow* control) {
    for (SWindow* w = control; w != nullptr; w = w->GetParent()) {
        if (!w->GetCursor().empty()) return w->GetCursor();
    }
    return {};
}

std::uint32_t Over(std::uint32_t premultiplied, std::uint32_t backdrop) { return BlendOver(backdrop, premultiplied); }

}  // namespace

struct X11Backend::Host {
    SHostWnd* host = nullptr;
    platform::MessageHandler* handler = nullptr;
    Window xid = 0;
    NativeWindow owner = 0;
    bool argb = false;
    bool translucent = false;
    bool visible = false;
    bool dirty = true;
    bool focusOnMap = false;
    bool destroying = false;
    Visual* visual = nullptr;
    int depth = 0;
    Colormap colormap = 0;
    GC gc = nullptr;
    XIC inputContext = nullptr;
    platform::Size size;  // layout pixels
    PixelBuffer picture;
    std::optional<platform::Rect> caret;
    bool caretOn = false;
    std::uint64_t caretDue = 0;
    int cursor = -1;
};

// An override-redirect window of the backend's own: drop-down list, menu or drag image.
struct X11Backend::Popup {
    Display* display = nullptr;
    Window xid = 0;
    GC gc = nullptr;
    bool argb = false;
    Visual* visual = nullptr;
    int depth = 0;
    Colormap colormap = 0;
    PixelBuffer picture;
    platform::Point hotSpot;
    std::uint8_t alpha = 255;
    ~Popup() {
        if (gc != nullptr) XFreeGC(display, gc);
        if (xid != 0) XDestroyWindow(display, xid);
        if (colormap != 0) XFreeColormap(display, colormap);
        XFlush(display);
    }
};

X11Backend::X11Backend(platform::linux_x11::LinuxPlatform& platform)
    : platform_(platform),
      display_(platform.GetDisplay()),
      screen_(DefaultScreen(platform.GetDisplay())),
      root_(DefaultRootWindow(platform.GetDisplay())),
      images_(ApplicationImageLoader()) {
    XSetErrorHandler(IgnoreErrors);
    scale_ = ScaleFromResources(display_);
    if (pipe2(wake_, O_NONBLOCK | O_CLOEXEC) != 0) wake_[0] = wake_[1] = -1;
    XSetLocaleModifiers("");
    inputMethod_ = XOpenIM(display_, nullptr, nullptr, nullptr);
    // Hotkeys arrive as key presses on the root window.
    XSelectInput(display_, root_, KeyPressMask);
    platform_.AttachLoop(this);
}

X11Backend::~X11Backend() {
    platform_.AttachLoop(nullptr);
    // Windows still open at the end go now, while their objects exist (a
    // message window's object outlives it only when it deletes itself on its
    // last message, as the tray's does).
    while (!hosts_.empty()) DestroyHostWindow(hosts_.begin()->first);
    while (!messageWindows_.empty()) DestroyWindow(messageWindows_.begin()->first);
    graveyard_.clear();
    for (Hotkey& hotkey : hotkeys_) GrabHotkey(hotkey, false);
    drag_.reset();
    toolTip_.reset();
    for (auto& [shape, cursor] : cursors_) XFreeCursor(display_, cursor);
    if (inputMethod_ != nullptr) XCloseIM(inputMethod_);
    while (preciseTiming_ > 0) EndPreciseTiming();
    if (wake_[0] >= 0) ::close(wake_[0]);
    if (wake_[1] >= 0) ::close(wake_[1]);
    XFlush(display_);
}

Atom X11Backend::Intern(const char* name) { return XInternAtom(display_, name, False); }

bool X11Backend::Translucent(bool wanted) {
    if (!wanted) return false;
    // Alpha only means something when a compositor blends windows.
    const std::string selection = "_NET_WM_CM_S" + std::to_string(screen_);
    return XGetSelectionOwner(display_, Intern(selection.c_str())) != None;
}

bool X11Backend::WindowManagerSupports(const char* name) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool supported = false;
    if (XGetWindowProperty(display_, root_, Intern("_NET_SUPPORTED"), 0, 4096, False, XA_ATOM, &type, &format, &count,
                           &after, &data) == Success && data != nullptr) {
        const Atom wanted = Intern(name);
        const auto* atoms = reinterpret_cast<const Atom*>(data);
        for (unsigned long i = 0; i < count; ++i) supported = supported || atoms[i] == wanted;
        XFree(data);
    }
    return supported;
}

X11Backend::Host* X11Backend::FindHost(NativeWindow window) const {
    auto it = hosts_.find(window);
    return it == hosts_.end() || it->second->destroying ? nullptr : it->second.get();
}

// ---- Host windows ----

NativeWindow X11Backend::CreateHostWindow(SHostWnd& hostWindow, const HostWindowSpec& spec) {
    auto host = std::make_unique<Host>();
    host->host = &hostWindow;
    host->handler = &hostWindow;
    host->owner = spec.parent;
    host->translucent = spec.translucent;
    host->size = {spec.rect.Width(), spec.rect.Height()};
    const int width = std::max(1, static_cast<int>(std::lround(spec.rect.Width() * scale_)));
    const int height = std::max(1, static_cast<int>(std::lround(spec.rect.Height() * scale_)));

    XSetWindowAttributes attributes{};
    unsigned long mask = CWEventMask | CWBitGravity;
    attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                            KeyReleaseMask | StructureNotifyMask | LeaveWindowMask | FocusChangeMask;
    attributes.bit_gravity = NorthWestGravity;
    XVisualInfo info{};
    if (Translucent(spec.translucent) && XMatchVisualInfo(display_, screen_, 32, TrueColor, &info)) {
        host->argb = true;
        host->visual = info.visual;
        host->depth = 32;
        host->colormap = XCreateColormap(display_, root_, info.visual, AllocNone);
        attributes.colormap = host->colormap;
        attributes.border_pixel = 0;
        attributes.background_pixel = 0;
        mask |= CWColormap | CWBorderPixel | CWBackPixel;
    } else {
        host->visual = DefaultVisual(display_, screen_);
        host->depth = DefaultDepth(display_, screen_);
    }
    host->xid = XCreateWindow(display_, root_, spec.rect.left, spec.rect.top, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), 0, host->depth, InputOutput, host->visual, mask,
                              &attributes);
    if (host->xid == 0) return 0;
    const Window xid = host->xid;
    host->gc = XCreateGC(display_, xid, 0, nullptr);

    // Title, class, close request, no system frame, fixed size, position as given.
    const std::string title = platform::linux_x11::ToUtf8(spec.title);
    XChangeProperty(display_, xid, Intern("_NET_WM_NAME"), Intern("UTF8_STRING"), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.c_str()), static_cast<int>(title.size()));
    XStoreName(display_, xid, title.c_str());
    XClassHint classHint{const_cast<char*>("zintra"), const_cast<char*>("Zintra")};
    XSetClassHint(display_, xid, &classHint);
    Atom protocols[] = {Intern("WM_DELETE_WINDOW")};
    XSetWMProtocols(display_, xid, protocols, 1);
    const long motif[5] = {2, 0, 0, 0, 0};  // decorations: none
    XChangeProperty(display_, xid, Intern("_MOTIF_WM_HINTS"), Intern("_MOTIF_WM_HINTS"), 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(motif), 5);
    XSizeHints* sizeHints = XAllocSizeHints();
    sizeHints->flags = PPosition | USPosition;
    sizeHints->x = spec.rect.left;
    sizeHints->y = spec.rect.top;
    if (!spec.resizable) {
        sizeHints->flags |= PMinSize | PMaxSize;
        sizeHints->min_width = sizeHints->max_width = width;
        sizeHints->min_height = sizeHints->max_height = height;
    }
    XSetWMNormalHints(display_, xid, sizeHints);
    XFree(sizeHints);
    if (spec.parent != 0 && FindHost(spec.parent) != nullptr) XSetTransientForHint(display_, xid, Xid(spec.parent));
    if (spec.toolWindow && !spec.appWindow) {
        Atom state = Intern("_NET_WM_STATE_SKIP_TASKBAR");
        XChangeProperty(display_, xid, Intern("_NET_WM_STATE"), XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&state), 1);
    }
    if (inputMethod_ != nullptr) {
        host->inputContext = XCreateIC(inputMethod_, XNInputStyle, XIMPreeditNothing | XIMStatusNothing,
                                       XNClientWindow, xid, XNFocusWindow, xid, nullptr);
    }

    SetWindowIcons(xid, hostWindow.GetHostAttributes());

    const NativeWindow handle = xid;
    hosts_[handle] = std::move(host);
    if (Deliver(handle, msg::kCreate, 0, 0) == -1) {
        DestroyHostWindow(handle);
        return 0;
    }
    UiMapWriter::Instance().AddHost(&hostWindow);
    UiMapWriter::Instance().Refresh();
    return handle;
}

void X11Backend::DestroyHostWindow(NativeWindow window) {
    auto it = hosts_.find(window);
    if (it == hosts_.end() || it->second->destroying) return;
    Host& host = *it->second;
    host.destroying = true;
    if (capture_ == window) ReleaseCapture();
    if (dragWindow_ == window) dragWindow_ = 0;
    disabled_.erase(window);
    // Forgotten first: the host may be gone once it has seen WM_DESTROY.
    UiMapWriter::Instance().RemoveWindow(window);
    if (host.host != nullptr) UiMapWriter::Instance().RemoveHost(host.host);
    if (host.handler != nullptr) host.handler->HandleMessage(window, msg::kDestroy, 0, 0);
    for (auto timer = timers_.begin(); timer != timers_.end();) {
        timer = timer->first.first == window ? timers_.erase(timer) : std::next(timer);
    }
    for (Hotkey& hotkey : hotkeys_) {
        if (hotkey.window == window) GrabHotkey(hotkey, false);
    }
    std::erase_if(hotkeys_, [&](const Hotkey& h) { return h.window == window; });
    if (host.inputContext != nullptr) XDestroyIC(host.inputContext);
    if (host.gc != nullptr) XFreeGC(display_, host.gc);
    XDestroyWindow(display_, host.xid);
    if (host.colormap != 0) XFreeColormap(display_, host.colormap);
    XFlush(display_);
    graveyard_.push_back(std::move(it->second));
    hosts_.erase(it);
    UiMapWriter::Instance().Refresh();
}

void X11Backend::ShowHostWindow(NativeWindow window, int showCommand) {
    Host* host = FindHost(window);
    if (host == nullptr) return;
    if (showCommand == msg::kSwHide) {
        XUnmapWindow(display_, host->xid);
        host->visible = false;
    } else if (showCommand == msg::kSwShowMinimized) {
        XIconifyWindow(display_, host->xid, screen_);
        host->visible = true;
    } else {
        Render(*host);
        XMapRaised(display_, host->xid);
        host->visible = true;
        host->focusOnMap = true;
    }
    XFlush(display_);
    UiMapWriter::Instance().Refresh();
}

void X11Backend::MoveHostWindow(NativeWindow window, const platform::Rect& rect) {
    Host* host = FindHost(window);
    if (host == nullptr) return;
    // Screen pixels in; the host keeps its size in layout units.
    const platform::Size size{static_cast<int>(std::lround(rect.Width() / scale_)),
                              static_cast<int>(std::lround(rect.Height() / scale_))};
    const bool resized = host->size.width != size.width || host->size.height != size.height;
    host->size = size;
    XMoveResizeWindow(display_, host->xid, rect.left, rect.top, static_cast<unsigned>(std::max(1, rect.Width())),
                      static_cast<unsigned>(std::max(1, rect.Height())));
    if (resized) host->dirty = true;
    XFlush(display_);
    UiMapWriter::Instance().Refresh();
}

platform::Rect X11Backend::HostWindowRect(NativeWindow window) {
    Host* host = FindHost(window);
    if (host == nullptr) return {};
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display_, host->xid, root_, 0, 0, &x, &y, &child);
    // Screen pixels.
    return {x, y, x + static_cast<int>(std::lround(host->size.width * scale_)),
            y + static_cast<int>(std::lround(host->size.height * scale_))};
}

double X11Backend::WindowScale(NativeWindow) { return scale_; }

platform::Rect X11Backend::WorkArea(NativeWindow) { return ScreenWorkArea(); }

platform::Rect X11Backend::ScreenWorkArea() {
    platform::Rect area{0, 0, DisplayWidth(display_, screen_), DisplayHeight(display_, screen_)};
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display_, root_, Intern("_NET_WORKAREA"), 0, 4, False, XA_CARDINAL, &type, &format, &count,
                           &after, &data) == Success && data != nullptr) {
        if (count >= 4 && format == 32) {
            const auto* values = reinterpret_cast<const long*>(data);
            area = {static_cast<int>(values[0]), static_cast<int>(values[1]), static_cast<int>(values[0] + values[2]),
                    static_cast<int>(values[1] + values[3])};
        }
        XFree(data);
    }
    return area;
}

void X11Backend::Invalidate(NativeWindow window, const platform::Rect&) {
    if (Host* host = FindHost(window)) host->dirty = true;
}

void X11Backend::BeginWindowDrag(NativeWindow window) {
    Host* host = FindHost(window);
    if (host == nullptr) return;
    const platform::Point pointer = platform_.CursorPosition();
    if (WindowManagerSupports("_NET_WM_MOVERESIZE")) {
        // The window manager moves it, as a press on its own title bar would.
        XUngrabPointer(display_, CurrentTime);
        capture_ = 0;
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = host->xid;
        event.xclient.message_type = Intern("_NET_WM_MOVERESIZE");
        event.xclient.format = 32;
        event.xclient.data.l[0] = pointer.x;
        event.xclient.data.l[1] = pointer.y;
        event.xclient.data.l[2] = 8;  // _NET_WM_MOVERESIZE_MOVE
        event.xclient.data.l[3] = Button1;
        event.xclient.data.l[4] = 1;  // a normal application
        XSendEvent(display_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
        XFlush(display_);
        return;
    }
    // No window manager: the window follows the pointer until the button is released.
    const platform::Rect rect = HostWindowRect(window);
    dragWindow_ = window;
    dragOffsetX_ = pointer.x - rect.left;
    dragOffsetY_ = pointer.y - rect.top;
}

platform::Size X11Backend::MeasureText(const Font& font, std::u16string_view text) { return text_.Measure(font, text); }

void X11Backend::SetCapture(NativeWindow window) {
    Host* host = FindHost(window);
    if (host == nullptr) return;
    capture_ = window;
    XGrabPointer(display_, host->xid, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                 GrabModeAsync, None, None, CurrentTime);
    XFlush(display_);
}

void X11Backend::ReleaseCapture() {
    if (capture_ == 0) return;
    capture_ = 0;
    XUngrabPointer(display_, CurrentTime);
    XFlush(display_);
}

void X11Backend::ShowCaret(NativeWindow window, const platform::Rect& rect) {
    Host* host = FindHost(window);
    if (host == nullptr) return;
    host->caret = rect;
    host->caretOn = true;
    host->caretDue = NowMicroseconds() + kCaretBlinkMicroseconds;
    host->dirty = true;
}

void X11Backend::HideCaret(NativeWindow window) {
    Host* host = FindHost(window);
    if (host == nullptr || !host->caret) return;
    host->caret.reset();
    host->dirty = true;
}

void X11Backend::RunModalLoop(SHostDialog& dialog) {
    const NativeWindow window = dialog.GetHwnd();
    Host* host = FindHost(window);
    // The owner takes no input while its dialog runs, but keeps its timers,
    // hotkeys and posted messages.
    const NativeWindow owner = host != nullptr ? host->owner : 0;
    const bool disableOwner = owner != 0 && disabled_.insert(owner).second;
    Pump([&] { return !dialog.IsEnded() && dialog.GetHwnd() != 0 && FindHost(window) != nullptr; });
    if (disableOwner) disabled_.erase(owner);
}

void X11Backend::EndModalLoop(SHostDialog&) {
    // The loop looks at the dialog after every message; this only makes sure it wakes.
    if (wake_[1] >= 0) [[maybe_unused]] auto ignored = ::write(wake_[1], "m", 1);
}

// ---- Painting ----

void X11Backend::Render(Host& host) {
    if (host.host == nullptr) return;
    RenderHost(*host.host, host.picture, images_, text_, scale_);
    if (host.caret && host.caretOn && !host.picture.Empty()) {
        SoftwareSurface surface(host.picture, images_, text_, scale_);
        surface.FillRect(*host.caret, Color{0, 0, 0, 255});
    }
    host.dirty = false;
    Present(host);
    UiMapWriter::Instance().Refresh();
}

void X11Backend::PutPicture(Window window, GC gc, const PixelBuffer& picture, bool argb, Visual* visual, int depth) {
    if (picture.Empty()) return;
    std::vector<std::uint32_t> pixels(picture.pixels);
    if (!argb) {
        for (auto& p : pixels) p = Over(p, kBackdrop) | 0xFF000000u;
    }
    XImage* image = XCreateImage(display_, visual, static_cast<unsigned>(depth), ZPixmap, 0,
                                 reinterpret_cast<char*>(pixels.data()), static_cast<unsigned>(picture.width),
                                 static_cast<unsigned>(picture.height), 32, 0);
    if (image == nullptr) return;
    XPutImage(display_, window, gc, image, 0, 0, 0, 0, static_cast<unsigned>(picture.width),
              static_cast<unsigned>(picture.height));
    image->data = nullptr;  // ours, not Xlib's
    XDestroyImage(image);
}

void X11Backend::ShapeFromAlpha(Window window, const PixelBuffer& picture) {
    // Without a compositor the fully transparent parts (rounded corners,
    // shadows) are cut out of the window instead.
    const int stride = (picture.width + 7) / 8;
    std::vector<char> bits(static_cast<std::size_t>(stride) * picture.height, 0);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            if ((picture.At(x, y) >> 24) >= 0x40) bits[static_cast<std::size_t>(y) * stride + x / 8] |= static_cast<char>(1 << (x % 8));
        }
    }
    Pixmap mask = XCreateBitmapFromData(display_, window, bits.data(), static_cast<unsigned>(picture.width),
                                        static_cast<unsigned>(picture.height));
    XShapeCombineMask(display_, window, ShapeBounding, 0, 0, mask, ShapeSet);
    XFreePixmap(display_, mask);
}

void X11Backend::Present(Host& host) {
    if (host.picture.Empty()) return;
    if (host.translucent && !host.argb) ShapeFromAlpha(host.xid, host.picture);
    PutPicture(host.xid, host.gc, host.picture, host.argb, host.visual, host.depth);
    XFlush(display_);
}

void X11Backend::RenderDirty() {
    for (auto& [window, host] : hosts_) {
        if (!host->destroying && host->dirty) Render(*host);
    }
}

void X11Backend::UpdateCursor(Host& host, int x, int y) {
    if (host.host == nullptr || host.host->GetRoot() == nullptr) return;
    SWindow* hit = host.host->GetCapture() != nullptr ? host.host->GetCapture() : host.host->GetRoot()->HitTest({x, y});
    const std::string name = CursorName(hit);
    int shape = XC_left_ptr;
    if (name == "hand") shape = XC_hand2;
    if (name == "ibeam") shape = XC_xterm;
    if (name == "cross" || name == "crosshair") shape = XC_crosshair;
    if (shape == host.cursor) return;
    host.cursor = shape;
    auto& cursor = cursors_[shape];
    if (cursor == 0) cursor = XCreateFontCursor(display_, static_cast<unsigned>(shape));
    XDefineCursor(display_, host.xid, cursor);
}

// ---- Messages and the loop ----

std::intptr_t X11Backend::Deliver(NativeWindow window, std::uint32_t message, std::uintptr_t wParam,
                                  std::intptr_t lParam) {
    platform::MessageHandler* handler = nullptr;
    Host* host = FindHost(window);
    if (host != nullptr) {
        handler = host->handler;
    } else if (auto it = messageWindows_.find(window); it != messageWindows_.end()) {
        handler = it->second;
    }
    if (handler == nullptr) return 0;
    if (auto result = handler->HandleMessage(window, message, wParam, lParam)) return *result;
    // What the system does with a host's unhandled commands: minimising goes to the window manager.
    if (message == msg::kSysCommand && (wParam & 0xFFF0) == msg::kScMinimize && FindHost(window) != nullptr) {
        XIconifyWindow(display_, Xid(window), screen_);
        XFlush(display_);
    }
    return 0;
}

NativeWindow X11Backend::CreateMessageWindow(platform::MessageHandler& handler) {
    const NativeWindow window = nextMessageWindow_++;
    messageWindows_[window] = &handler;
    return window;
}

void X11Backend::DestroyWindow(NativeWindow window) {
    if (hosts_.count(window)) {
        DestroyHostWindow(window);
        return;
    }
    auto it = messageWindows_.find(window);
    if (it == messageWindows_.end()) return;
    platform::MessageHandler* handler = it->second;
    messageWindows_.erase(it);  // WM_DESTROY is the last message: the handler may delete itself
    handler->HandleMessage(window, msg::kDestroy, 0, 0);
    for (auto timer = timers_.begin(); timer != timers_.end();) {
        timer = timer->first.first == window ? timers_.erase(timer) : std::next(timer);
    }
    for (Hotkey& hotkey : hotkeys_) {
        if (hotkey.window == window) GrabHotkey(hotkey, false);
    }
    std::erase_if(hotkeys_, [&](const Hotkey& h) { return h.window == window; });
}

bool X11Backend::ShowWindow(NativeWindow window, int command) {
    if (Host* host = FindHost(window)) {
        const bool wasVisible = host->visible;
        ShowHostWindow(window, command);
        return wasVisible;
    }
    return false;
}

bool X11Backend::IsWindowVisible(NativeWindow window) {
    const Host* host = FindHost(window);
    return host != nullptr && host->visible;
}

bool X11Backend::SetWindowPos(NativeWindow window, NativeWindow, const platform::Rect& rect, std::uint32_t flags) {
    Host* host = FindHost(window);
    if (host == nullptr) return messageWindows_.count(window) != 0;
    const platform::Rect current = HostWindowRect(window);
    platform::Rect target = current;
    if (!(flags & msg::kSwpNoMove)) target = {rect.left, rect.top, rect.left + current.Width(), rect.top + current.Height()};
    if (!(flags & msg::kSwpNoSize)) target.right = target.left + rect.Width(), target.bottom = target.top + rect.Height();
    if (target != current) MoveHostWindow(window, target);
    if (!(flags & msg::kSwpNoZOrder)) XRaiseWindow(display_, host->xid);
    XFlush(display_);
    return true;
}

std::intptr_t X11Backend::SendMessage(NativeWindow window, std::uint32_t message, std::uintptr_t wParam,
                                      std::intptr_t lParam) {
    return Deliver(window, message, wParam, lParam);
}

bool X11Backend::PostMessage(NativeWindow window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (window == 0) return false;
    {
        std::lock_guard<std::mutex> lock(postedLock_);
        posted_.push_back({window, message, wParam, lParam});
    }
    if (wake_[1] >= 0) [[maybe_unused]] auto ignored = ::write(wake_[1], "p", 1);
    return true;
}

void X11Backend::PostQuitMessage(int exitCode) {
    quitting_ = true;
    quitCode_ = exitCode;
}

int X11Backend::RunMessageLoop() {
    Pump([] { return true; });
    return quitCode_;
}

bool X11Backend::DispatchPosted() {
    Posted message{};
    {
        std::lock_guard<std::mutex> lock(postedLock_);
        if (posted_.empty()) return false;
        message = posted_.front();
        posted_.pop_front();
    }
    Deliver(message.window, message.message, message.wParam, message.lParam);
    return true;
}

bool X11Backend::DispatchTimer() {
    const std::uint64_t now = NowMicroseconds();
    // Caret blinks are the backend's own; the host never sees them.
    for (auto& [window, host] : hosts_) {
        if (host->destroying || !host->caret || host->caretDue > now) continue;
        host->caretOn = !host->caretOn;
        host->caretDue = now + kCaretBlinkMicroseconds;
        host->dirty = true;
    }
    auto next = timers_.end();
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
        if (it->second.due <= now && (next == timers_.end() || it->second.due < next->second.due)) next = it;
    }
    if (next == timers_.end()) return false;
    // Like WM_TIMER: the next expiry counts from this one's delivery.
    next->second.due = now + next->second.period * 1000ull;
    const auto [window, id] = next->first;
    firing_ = Firing{window, id, now};
    Deliver(window, msg::kTimer, id, 0);
    firing_.reset();
    return true;
}

void X11Backend::WaitForWork() {
    XFlush(display_);
    if (XEventsQueued(display_, QueuedAlready) > 0) return;
    {
        std::lock_guard<std::mutex> lock(postedLock_);
        if (!posted_.empty()) return;
    }
    std::uint64_t due = UINT64_MAX;
    for (const auto& [key, timer] : timers_) due = std::min(due, timer.due);
    for (const auto& [window, host] : hosts_) {
        if (!host->destroying && host->caret) due = std::min(due, host->caretDue);
    }
    timespec timeout{};
    timespec* wait = nullptr;
    if (due != UINT64_MAX) {
        const std::uint64_t now = NowMicroseconds();
        const std::uint64_t left = due > now ? due - now : 0;
        timeout.tv_sec = static_cast<time_t>(left / 1000000);
        timeout.tv_nsec = static_cast<long>((left % 1000000) * 1000);
        wait = &timeout;
    }
    // The platform's own descriptor (the session bus of the tray and the notices) waits here too.
    platform::linux_x11::EventSource& desktop = platform_.DesktopEvents();
    const int desktopFd = desktop.Descriptor();
    if (desktopFd >= 0) {
        if (const auto desktopDue = desktop.Timeout()) {
            const std::uint64_t left = std::min<std::uint64_t>(*desktopDue, 3600ull * 1000000ull);
            if (wait == nullptr || left < static_cast<std::uint64_t>(timeout.tv_sec) * 1000000u +
                                              static_cast<std::uint64_t>(timeout.tv_nsec / 1000)) {
                timeout.tv_sec = static_cast<time_t>(left / 1000000);
                timeout.tv_nsec = static_cast<long>((left % 1000000) * 1000);
                wait = &timeout;
            }
        }
    }
    pollfd fds[3] = {{ConnectionNumber(display_), POLLIN, 0}, {wake_[0], POLLIN, 0},
                     {desktopFd, desktopFd >= 0 ? desktop.Events() : short{0}, 0}};
    if (ppoll(fds, 3, wait, nullptr) > 0 && (fds[1].revents & POLLIN)) {
        char drained[64];
        while (::read(wake_[0], drained, sizeof(drained)) > 0) {
        }
    }
    // Whatever woke us, the bus gets its turn: it may have messages read
    // already, or a deadline that passed. Its callbacks only post messages.
    if (desktopFd >= 0) desktop.Dispatch();
}

bool X11Backend::Pump(const std::function<bool()>& running) {
    ++pumpDepth_;
    const bool ran = PumpLoop(running);
    --pumpDepth_;
    return ran;
}

bool X11Backend::PumpLoop(const std::function<bool()>& running) {
    while (running()) {
        if (quitting_) return false;
        // Only the outermost loop frees windows: an event being handled further
        // out may still hold one that a nested loop saw destroyed.
        if (pumpDepth_ == 1) graveyard_.clear();
        if (DispatchPosted()) continue;
        if (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            HandleEvent(event);
            continue;
        }
        if (DispatchTimer()) continue;
        RenderDirty();
        WaitForWork();
    }
    return !quitting_;
}

// ---- Timers ----

void X11Backend::SetTimer(NativeWindow window, std::uintptr_t id, std::uint32_t milliseconds) {
    // The same limits as window timers elsewhere: at least 10 ms.
    const std::uint32_t period = std::clamp<std::uint32_t>(milliseconds, 10u, 0x7FFFFFFFu);
    // A timer set again while its own tick is being handled (the click engine
    // does this on every click) counts from that tick's delivery, so the
    // handler's own work does not stretch every period.
    const std::uint64_t from = firing_ && firing_->window == window && firing_->id == id ? firing_->delivered
                                                                                         : NowMicroseconds();
    timers_[{window, id}] = Timer{period, from + period * 1000ull};
}

void X11Backend::KillTimer(NativeWindow window, std::uintptr_t id) { timers_.erase({window, id}); }

void X11Backend::BeginPreciseTiming() {
    // The loop already sleeps to the microsecond; a small slack keeps the kernel from rounding up.
    if (preciseTiming_++ == 0) prctl(PR_SET_TIMERSLACK, 1000UL, 0, 0, 0);
}

void X11Backend::EndPreciseTiming() {
    if (preciseTiming_ <= 0) return;
    if (--preciseTiming_ == 0) prctl(PR_SET_TIMERSLACK, 0UL, 0, 0, 0);  // back to the default
}

// ---- Hotkeys ----

unsigned int X11Backend::LockMasks() const {
    // NumLock and ScrollLock sit on whichever modifier the keyboard map gives them.
    unsigned int numLock = 0, scrollLock = 0;
    XModifierKeymap* map = XGetModifierMapping(display_);
    if (map != nullptr) {
        const KeyCode num = XKeysymToKeycode(display_, XK_Num_Lock);
        const KeyCode scroll = XKeysymToKeycode(display_, XK_Scroll_Lock);
        for (int modifier = 0; modifier < 8; ++modifier) {
            for (int k = 0; k < map->max_keypermod; ++k) {
                const KeyCode code = map->modifiermap[modifier * map->max_keypermod + k];
                if (code != 0 && code == num) numLock = 1u << modifier;
                if (code != 0 && code == scroll) scrollLock = 1u << modifier;
            }
        }
        XFreeModifiermap(map);
    }
    return LockMask | numLock | scrollLock;
}

bool X11Backend::GrabHotkey(Hotkey& hotkey, bool grab) {
    if (hotkey.keycode == 0) return false;
    const unsigned int locks = LockMasks();
    // Every combination of the lock modifiers, so the hotkey works whatever is on.
    std::vector<unsigned int> variants{0};
    for (unsigned int bit = 1; bit != 0 && bit <= locks; bit <<= 1) {
        if (!(locks & bit)) continue;
        const std::size_t count = variants.size();
        for (std::size_t i = 0; i < count; ++i) variants.push_back(variants[i] | bit);
    }
    XSync(display_, False);
    lastError = 0;
    for (unsigned int variant : variants) {
        if (grab) {
            XGrabKey(display_, static_cast<int>(hotkey.keycode), hotkey.mask | variant, root_, False, GrabModeAsync,
                     GrabModeAsync);
        } else {
            XUngrabKey(display_, static_cast<int>(hotkey.keycode), hotkey.mask | variant, root_);
        }
    }
    XSync(display_, False);
    const bool ok = lastError == 0;
    lastError = 0;
    if (grab && !ok) {
        // Another program holds the combination: nothing of ours may stay grabbed.
        for (unsigned int variant : variants) {
            XUngrabKey(display_, static_cast<int>(hotkey.keycode), hotkey.mask | variant, root_);
        }
        XSync(display_, False);
        lastError = 0;
    }
    return ok;
}

bool X11Backend::RegisterHotKey(NativeWindow window, int id, std::uint32_t modifiers, std::uint32_t virtualKey) {
    for (const Hotkey& h : hotkeys_) {
        if (h.window == window && h.id == id) return false;  // as RegisterHotKey: the id is taken
    }
    const unsigned long keysym = platform::linux_x11::VirtualKeyToKeysym(virtualKey);
    Hotkey hotkey{window, id, modifiers, virtualKey,
                  keysym != 0 ? XKeysymToKeycode(display_, keysym) : 0u,
                  platform::linux_x11::ModifiersToMask(modifiers)};
    for (const Hotkey& h : hotkeys_) {
        if (h.keycode == hotkey.keycode && h.mask == hotkey.mask) return false;  // already ours
    }
    if (!GrabHotkey(hotkey, true)) return false;
    hotkeys_.push_back(hotkey);
    return true;
}

bool X11Backend::UnregisterHotKey(NativeWindow window, int id) {
    for (auto it = hotkeys_.begin(); it != hotkeys_.end(); ++it) {
        if (it->window == window && it->id == id) {
            GrabHotkey(*it, false);
            hotkeys_.erase(it);
            return true;
        }
    }
    return false;
}

// ---- Events ----

void X11Backend::HandleEvent(XEvent& event) {
    if (XFilterEvent(&event, None)) return;
    // The platform's own tray window and the tray manager's announcements.
    if (platform_.HandleDesktopEvent(event)) return;
    if (filter_ && filter_(event)) return;
    if (event.type == MappingNotify) {
        XRefreshKeyboardMapping(&event.xmapping);
        return;
    }
    if (event.type == KeyPress && event.xkey.window == root_) {
        const unsigned int relevant = event.xkey.state & ~LockMasks() & (ShiftMask | ControlMask | Mod1Mask | Mod4Mask);
        for (const Hotkey& hotkey : hotkeys_) {
            if (hotkey.keycode == event.xkey.keycode && hotkey.mask == relevant) {
                const auto lParam = static_cast<std::intptr_t>((hotkey.virtualKey << 16) | (hotkey.modifiers & 0xFFFF));
                PostMessage(hotkey.window, msg::kHotKey, static_cast<std::uintptr_t>(hotkey.id), lParam);
                break;
            }
        }
        return;
    }
    if (toolTip_ && event.xany.window == toolTip_->xid) {
        if (event.type == Expose && event.xexpose.count == 0) {
            PutPicture(toolTip_->xid, toolTip_->gc, toolTip_->picture, false, toolTip_->visual, toolTip_->depth);
        }
        return;
    }
    Host* host = FindHost(event.xany.window);
    if (host != nullptr) HandleHostEvent(*host, event);
}

void X11Backend::HandleHostEvent(Host& host, XEvent& event) {
    const NativeWindow window = host.xid;
    const auto layout = [&](int x, int y) {
        return msg::MakePointParam(static_cast<int>(std::floor(x / scale_)), static_cast<int>(std::floor(y / scale_)));
    };
    switch (event.type) {
        case Expose:
            if (event.xexpose.count == 0) {
                if (host.picture.Empty() || host.dirty) {
                    Render(host);
                } else {
                    PutPicture(host.xid, host.gc, host.picture, host.argb, host.visual, host.depth);
                }
            }
            break;
        case MapNotify:
            if (host.focusOnMap) {
                host.focusOnMap = false;
                XSetInputFocus(display_, host.xid, RevertToParent, CurrentTime);
            }
            UiMapWriter::Instance().Refresh();
            break;
        case ConfigureNotify:
            UiMapWriter::Instance().Refresh();
            break;
        case ClientMessage:
            if (static_cast<Atom>(event.xclient.data.l[0]) == Intern("WM_DELETE_WINDOW")) {
                if (!disabled_.count(window)) Deliver(window, msg::kClose, 0, 0);
            }
            break;
        case ButtonPress: {
            if (disabled_.count(window)) break;
            platform_.SetEventState(event.xbutton.state);
            if (!host.visible) break;
            XSetInputFocus(display_, host.xid, RevertToParent, CurrentTime);
            const std::intptr_t at = layout(event.xbutton.x, event.xbutton.y);
            if (event.xbutton.button == Button1) {
                const bool twice = lastPressWindow_ == window &&
                                   event.xbutton.time - lastPressTime_ < static_cast<Time>(kDoubleClickMilliseconds) &&
                                   std::abs(event.xbutton.x - lastPressX_) <= 4 &&
                                   std::abs(event.xbutton.y - lastPressY_) <= 4;
                lastPressWindow_ = twice ? 0 : window;
                lastPressTime_ = event.xbutton.time;
                lastPressX_ = event.xbutton.x;
                lastPressY_ = event.xbutton.y;
                Deliver(window, twice ? msg::kLButtonDblClk : msg::kLButtonDown, msg::kMkLButton, at);
            } else if (event.xbutton.button == Button3) {
                Deliver(window, msg::kRButtonDown, 0, at);
            } else if (event.xbutton.button == Button4 || event.xbutton.button == Button5) {
                const int delta = event.xbutton.button == Button4 ? 120 : -120;
                Deliver(window, msg::kMouseWheel, static_cast<std::uintptr_t>(static_cast<std::uint16_t>(delta)) << 16, at);
            }
            break;
        }
        case ButtonRelease: {
            platform_.SetEventState(event.xbutton.state);
            if (dragWindow_ == window && event.xbutton.button == Button1) {
                dragWindow_ = 0;
                UiMapWriter::Instance().Refresh();
            }
            if (disabled_.count(window)) break;
            const std::intptr_t at = layout(event.xbutton.x, event.xbutton.y);
            if (event.xbutton.button == Button1) Deliver(window, msg::kLButtonUp, 0, at);
            if (event.xbutton.button == Button3) Deliver(window, msg::kRButtonUp, 0, at);
            break;
        }
        case MotionNotify: {
            // Only the latest position matters.
            while (XCheckTypedWindowEvent(display_, host.xid, MotionNotify, &event)) {
            }
            if (dragWindow_ == window) {
                const int left = event.xmotion.x_root - dragOffsetX_;
                const int top = event.xmotion.y_root - dragOffsetY_;
                MoveHostWindow(window, {left, top, left + host.size.width, top + host.size.height});
                break;
            }
            if (disabled_.count(window)) break;
            platform_.SetEventState(event.xmotion.state);
            UpdateCursor(host, static_cast<int>(event.xmotion.x / scale_), static_cast<int>(event.xmotion.y / scale_));
            const std::uintptr_t buttons = (event.xmotion.state & Button1Mask) ? msg::kMkLButton : 0;
            Deliver(window, msg::kMouseMove, buttons, layout(event.xmotion.x, event.xmotion.y));
            break;
        }
        case LeaveNotify:
            if (event.xcrossing.mode == NotifyNormal && !disabled_.count(window)) Deliver(window, msg::kMouseLeave, 0, 0);
            break;
        case KeyPress:
        case KeyRelease: {
            if (disabled_.count(window)) break;
            platform_.SetEventState(event.xkey.state);
            const bool press = event.type == KeyPress;
            const unsigned long keysym = XLookupKeysym(&event.xkey, 0);
            const std::uint32_t vk = platform::linux_x11::KeysymToVirtualKey(keysym);
            const bool alt = (event.xkey.state & Mod1Mask) != 0 || vk == msg::kVkMenu;
            if (vk != 0) {
                const std::uint32_t message = press ? (alt ? msg::kSysKeyDown : msg::kKeyDown)
                                                    : (alt ? msg::kSysKeyUp : msg::kKeyUp);
                Deliver(window, message, vk, press ? 1 : static_cast<std::intptr_t>(0xC0000001u));
            }
            if (!press || (event.xkey.state & (ControlMask | Mod1Mask))) break;
            // The key may have closed the window (Esc on a dialog).
            Host* current = FindHost(window);
            if (current == nullptr) break;
            // The characters the key types in the user's layout and input method.
            char buffer[64] = {};
            KeySym typed = 0;
            Status status = 0;
            int length = 0;
            if (current->inputContext != nullptr) {
                length = Xutf8LookupString(current->inputContext, &event.xkey, buffer, sizeof(buffer) - 1, &typed,
                                           &status);
                if (status != XLookupChars && status != XLookupBoth) length = 0;
            } else {
                length = XLookupString(&event.xkey, buffer, sizeof(buffer) - 1, &typed, nullptr);
            }
            if (length <= 0) break;
            for (char16_t c : platform::linux_x11::FromUtf8(std::string(buffer, static_cast<std::size_t>(length)))) {
                if (c == 0x7F) continue;  // Delete types nothing
                if (FindHost(window) == nullptr) break;
                Deliver(window, msg::kChar, c, 1);
            }
            break;
        }
        case FocusIn:
            if (host.inputContext != nullptr) XSetICFocus(host.inputContext);
            break;
        case FocusOut:
            if (host.inputContext != nullptr) XUnsetICFocus(host.inputContext);
            break;
        default:
            break;
    }
}

// ---- Pop-up windows ----

namespace {

// Makes an override-redirect window (no window manager involvement) of a size.
void CreatePopupWindow(Display* display, int screen, bool argbWanted, const platform::Rect& rect, long events,
                       Window& xid, GC& gc, bool& argb, Visual*& visual, int& depth, Colormap& colormap) {
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.save_under = True;
    attributes.event_mask = events;
    unsigned long mask = CWOverrideRedirect | CWSaveUnder | CWEventMask;
    XVisualInfo info{};
    argb = argbWanted && XMatchVisualInfo(display, screen, 32, TrueColor, &info);
    if (argb) {
        visual = info.visual;
        depth = 32;
        colormap = XCreateColormap(display, RootWindow(display, screen), visual, AllocNone);
        attributes.colormap = colormap;
        attributes.border_pixel = 0;
        attributes.background_pixel = 0;
        mask |= CWColormap | CWBorderPixel | CWBackPixel;
    } else {
        visual = DefaultVisual(display, screen);
        depth = DefaultDepth(display, screen);
    }
    xid = XCreateWindow(display, RootWindow(display, screen), rect.left, rect.top,
                        static_cast<unsigned>(std::max(1, rect.Width())), static_cast<unsigned>(std::max(1, rect.Height())),
                        0, depth, InputOutput, visual, mask, &attributes);
    gc = XCreateGC(display, xid, 0, nullptr);
}

Font MenuFont() {
    const SApplication* application = SApplication::Instance();
    return application != nullptr ? application->Definitions().DefaultFont() : Font{u"微软雅黑", 12};
}

}  // namespace

bool X11Backend::RunPopup(Window popup, const std::function<void()>& paint,
                          const std::function<void(XEvent&)>& handle, const bool& open) {
    XMapRaised(display_, popup);
    XSync(display_, False);
    // Mouse and keys go to the pop-up while it is open; everything else runs as usual.
    XGrabPointer(display_, popup, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                 GrabModeAsync, None, None, CurrentTime);
    XGrabKeyboard(display_, popup, False, GrabModeAsync, GrabModeAsync, CurrentTime);
    const EventFilter previous = filter_;
    filter_ = [&](XEvent& event) {
        if (event.xany.window == popup) {
            handle(event);
            return true;
        }
        // Input meant for other windows waits until the pop-up closes.
        return event.type == ButtonPress || event.type == ButtonRelease || event.type == KeyPress ||
               event.type == KeyRelease || event.type == MotionNotify;
    };
    paint();
    const bool running = Pump([&] { return open; });
    filter_ = previous;
    XUngrabPointer(display_, CurrentTime);
    XUngrabKeyboard(display_, CurrentTime);
    capture_ = 0;
    return running;
}

int X11Backend::RunDropDown(const DropDownRequest& request) {
    DropDownList* list = request.list;
    const int count = static_cast<int>(request.entries.size());
    if (list == nullptr || count == 0) return -1;
    constexpr int kBorder = 1;
    constexpr Color kBorderColor{0x01, 0x5C, 0x5D, 255};
    // FIXME: lists taller than the drop height are cut, not scrolled; the program's lists fit.
    const int content = count * request.itemHeight;
    const int height = std::min(std::max(request.dropHeight, request.itemHeight), content) + 2 * kBorder;
    // The anchor is in screen pixels; the list's own sizes are layout units.
    const int width = std::max(static_cast<int>(std::lround(request.anchor.Width() / scale_)), 20);
    const int pixelWidth = static_cast<int>(std::lround(width * scale_));
    const int pixelHeight = static_cast<int>(std::lround(height * scale_));
    const platform::Rect area = ScreenWorkArea();
    platform::Rect device{request.anchor.left, request.anchor.bottom, request.anchor.left + pixelWidth,
                          request.anchor.bottom + pixelHeight};
    if (device.bottom > area.bottom && request.anchor.top - pixelHeight >= area.top) {
        device = {request.anchor.left, request.anchor.top - pixelHeight, request.anchor.left + pixelWidth,
                  request.anchor.top};
    }
    Popup popup;
    popup.display = display_;
    CreatePopupWindow(display_, screen_, false, device,
                      ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask,
                      popup.xid, popup.gc, popup.argb, popup.visual, popup.depth, popup.colormap);
    const int original = request.selected;
    int hover = original;
    const auto paint = [&] {
        popup.picture.Resize(device.Width(), device.Height());
        SoftwareSurface surface(popup.picture, images_, text_, scale_);
        surface.FillRect({0, 0, width, height}, Color{255, 255, 255, 255});
        list->PlaceEntries({kBorder, kBorder, width - kBorder, height - kBorder});
        list->PaintEntries(surface);
        surface.FrameRect({0, 0, width, height}, kBorderColor, kBorder);
        PutPicture(popup.xid, popup.gc, popup.picture, false, popup.visual, popup.depth);
    };
    const auto itemAt = [&](int x, int y) {
        const int lx = static_cast<int>(x / scale_), ly = static_cast<int>(y / scale_);
        if (lx < 0 || lx >= width || ly < 0 || ly >= height) return -1;
        return list->EntryAt({lx, ly});
    };
    const auto highlight = [&](int index) {
        if (index == hover) return;
        hover = index;
        list->HighlightEntry(index);
        paint();
    };
    int chosen = -1;
    bool open = true;
    const auto handle = [&](XEvent& event) {
        switch (event.type) {
            case Expose: paint(); break;
            case MotionNotify:
                if (const int index = itemAt(event.xmotion.x, event.xmotion.y); index >= 0) highlight(index);
                break;
            case ButtonRelease:
                // The release of the press that opened the list is not a choice.
                if (const int index = itemAt(event.xbutton.x, event.xbutton.y); index >= 0) {
                    chosen = index;
                    open = false;
                }
                break;
            case ButtonPress:
                if (itemAt(event.xbutton.x, event.xbutton.y) < 0) open = false;
                break;
            case KeyPress: {
                const unsigned long keysym = XLookupKeysym(&event.xkey, 0);
                if (keysym == XK_Escape || keysym == XK_Tab || keysym == XK_Alt_L) open = false;
                if (keysym == XK_Return || keysym == XK_KP_Enter) chosen = hover, open = false;
                if (keysym == XK_Up) highlight(std::max(0, hover - 1));
                if (keysym == XK_Down) highlight(std::min(count - 1, hover + 1));
                break;
            }
            default: break;
        }
    };
    const bool running = RunPopup(popup.xid, paint, handle, open);
    // The caller applies the choice as a change of its own.
    list->HighlightEntry(original);
    if (!running) return -1;
    return chosen;
}

int X11Backend::TrackPopupMenu(const MenuData& menu, platform::Point at, NativeWindow) {
    // One level: items with sub-items open nothing here.
    std::vector<const MenuItem*> items;
    for (const MenuItem& item : menu.items) items.push_back(&item);
    if (items.empty()) return 0;
    constexpr int kSeparator = 7;
    const Font font = MenuFont();
    const SApplication* application = SApplication::Instance();
    const Skin* iconSkin = application == nullptr || menu.iconSkin.empty() ? nullptr : application->Definitions().FindSkin(menu.iconSkin);
    const int iconWidth = iconSkin != nullptr ? iconSkin->StateSize().width : 16;
    int width = 80, height = 2;
    std::vector<int> tops;
    for (const MenuItem* item : items) {
        tops.push_back(height);
        height += item->separator ? kSeparator : menu.itemHeight;
        width = std::max(width, menu.iconMargin + iconWidth + menu.textMargin + text_.Measure(font, item->text).width + 24);
    }
    height += 2;
    const double scale = scale_ * menu.scalePercent / 100.0;
    platform::Rect rect{at.x, at.y, at.x + static_cast<int>(std::lround(width * scale)),
                        at.y + static_cast<int>(std::lround(height * scale))};
    const platform::Rect area = ScreenWorkArea();
    if (rect.right > area.right) rect = {rect.left - rect.Width(), rect.top, rect.left, rect.bottom};
    if (rect.bottom > area.bottom) rect = {rect.left, rect.top - rect.Height(), rect.right, rect.top};
    Popup popup;
    popup.display = display_;
    CreatePopupWindow(display_, screen_, false, rect,
                      ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask, popup.xid,
                      popup.gc, popup.argb, popup.visual, popup.depth, popup.colormap);
    int hover = -1;
    const auto paint = [&] {
        popup.picture.Resize(rect.Width(), rect.Height());
        SoftwareSurface surface(popup.picture, images_, text_, scale);
        surface.FillRect({0, 0, width, height}, Color{255, 255, 255, 255});
        surface.FrameRect({0, 0, width, height}, Color{0xCC, 0xCC, 0xCC, 255}, 0);  // a hairline
        for (std::size_t i = 0; i < items.size(); ++i) {
            const MenuItem& item = *items[i];
            const int top = tops[i];
            if (item.separator) {
                surface.FillRect({4, top + kSeparator / 2, width - 4, top + kSeparator / 2 + 1}, Color{0xDD, 0xDD, 0xDD, 255});
                continue;
            }
            const platform::Rect row{1, top, width - 1, top + menu.itemHeight};
            if (static_cast<int>(i) == hover && !item.disabled) surface.FillRect(row, Color{0xD9, 0xEE, 0xEE, 255});
            int x = menu.iconMargin;
            if (iconSkin != nullptr && item.icon >= 0) {
                const platform::Size icon = iconSkin->StateSize();
                const int iconTop = top + (menu.itemHeight - icon.height) / 2;
                surface.DrawSkin({x, iconTop, x + icon.width, iconTop + icon.height}, *iconSkin, item.icon,
                                 item.disabled ? 128 : 255);
            }
            x += iconWidth + menu.textMargin;
            surface.DrawText({x, top, width, top + menu.itemHeight}, item.text, font,
                             item.disabled ? Color{0xAA, 0xAA, 0xAA, 255} : Color{0x33, 0x33, 0x33, 255},
                             text_mode::kSingleLine | text_mode::kVCenter);
        }
        PutPicture(popup.xid, popup.gc, popup.picture, false, popup.visual, popup.depth);
    };
    const auto itemAt = [&](int x, int y) {
        const int lx = static_cast<int>(x / scale), ly = static_cast<int>(y / scale);
        if (lx < 0 || lx >= width || ly < 0 || ly >= height) return -1;
        for (std::size_t i = 0; i < items.size(); ++i) {
            const int bottom = tops[i] + (items[i]->separator ? kSeparator : menu.itemHeight);
            if (ly >= tops[i] && ly < bottom) return items[i]->separator ? -1 : static_cast<int>(i);
        }
        return -1;
    };
    int chosen = 0;
    bool open = true;
    const auto handle = [&](XEvent& event) {
        switch (event.type) {
            case Expose: paint(); break;
            case MotionNotify: {
                const int index = itemAt(event.xmotion.x, event.xmotion.y);
                if (index != hover) hover = index, paint();
                break;
            }
            case ButtonRelease: {
                const int index = itemAt(event.xbutton.x, event.xbutton.y);
                if (index >= 0 && !items[static_cast<std::size_t>(index)]->disabled &&
                    items[static_cast<std::size_t>(index)]->children.empty()) {
                    chosen = items[static_cast<std::size_t>(index)]->id;
                    open = false;
                }
                break;
            }
            case ButtonPress:
                if (itemAt(event.xbutton.x, event.xbutton.y) < 0) open = false;
                break;
            case KeyPress: {
                const unsigned long keysym = XLookupKeysym(&event.xkey, 0);
                if (keysym == XK_Escape) open = false;
                if ((keysym == XK_Return || keysym == XK_KP_Enter) && hover >= 0 &&
                    !items[static_cast<std::size_t>(hover)]->disabled) {
                    chosen = items[static_cast<std::size_t>(hover)]->id;
                    open = false;
                }
                const int step = keysym == XK_Down ? 1 : keysym == XK_Up ? -1 : 0;
                if (step != 0) {
                    const int count = static_cast<int>(items.size());
                    int next = hover;
                    for (int tries = 0; tries < count; ++tries) {
                        next = ((next < 0 ? (step > 0 ? -1 : count) : next) + step + count) % count;
                        if (!items[static_cast<std::size_t>(next)]->separator) break;
                    }
                    hover = next;
                    paint();
                }
                break;
            }
            default: break;
        }
    };
    return RunPopup(popup.xid, paint, handle, open) ? chosen : 0;
}

bool X11Backend::BeginDragImage(const Bitmap& image, platform::Point hotSpot, std::uint32_t colorKey,
                                std::uint8_t alpha, std::uint32_t flags) {
    if (drag_ || image.Empty()) return false;
    PixelBuffer pixels = PixelBuffer::FromBitmap(image);
    if (flags & CDragWnd::kColorKey) {
        // The key is a COLORREF (0x00BBGGRR); its pixels become holes.
        const std::uint32_t key = 0xFF000000 | ((colorKey & 0xFF) << 16) | (colorKey & 0xFF00) | ((colorKey >> 16) & 0xFF);
        for (auto& p : pixels.pixels) {
            if (p == key) p = 0;
        }
    }
    const std::uint8_t opacity = (flags & CDragWnd::kAlpha) ? alpha : 255;
    auto popup = std::make_unique<Popup>();
    popup->display = display_;
    popup->hotSpot = hotSpot;
    popup->alpha = opacity;
    CreatePopupWindow(display_, screen_, Translucent(true), {0, 0, pixels.width, pixels.height}, ExposureMask,
                      popup->xid, popup->gc, popup->argb, popup->visual, popup->depth, popup->colormap);
    if (popup->argb) {
        for (auto& p : pixels.pixels) p = ScalePixel(p, opacity);
    } else {
        ShapeFromAlpha(popup->xid, pixels);
    }
    popup->picture = std::move(pixels);
    // The image never takes the mouse: whatever is below it gets the pointer.
    XShapeCombineRectangles(display_, popup->xid, ShapeInput, 0, 0, nullptr, 0, ShapeSet, Unsorted);
    drag_ = std::move(popup);
    return true;
}

void X11Backend::MoveDragImage(platform::Point screenPoint) {
    if (!drag_) return;
    XMoveWindow(display_, drag_->xid, screenPoint.x - drag_->hotSpot.x, screenPoint.y - drag_->hotSpot.y);
    XWindowAttributes attributes{};
    XGetWindowAttributes(display_, drag_->xid, &attributes);
    if (attributes.map_state != IsViewable) {
        XMapRaised(display_, drag_->xid);
        XSync(display_, False);
    }
    PutPicture(drag_->xid, drag_->gc, drag_->picture, drag_->argb, drag_->visual, drag_->depth);
    XFlush(display_);
}

void X11Backend::EndDragImage() { drag_.reset(); }

void X11Backend::ShowToolTip(NativeWindow owner, std::u16string_view text, platform::Point screenPoint) {
    toolTip_.reset();
    toolTipOwner_ = 0;
    if (text.empty()) return;
    static constexpr Color kBackground{0xFF, 0xFF, 0xE1, 255};
    static constexpr Color kBorder{0x76, 0x76, 0x76, 255};
    static constexpr Color kText{0x00, 0x00, 0x00, 255};
    constexpr int kPaddingX = 5;  // layout units around the text
    constexpr int kPaddingY = 3;
    const Font font = MenuFont();
    const double scale = WindowScale(owner);
    // Measured in layout units, drawn in the owner's pixels.
    const platform::Size textSize = MeasureText(font, text);
    const int width = textSize.width + 2 * kPaddingX;
    const int height = textSize.height + 2 * kPaddingY;
    auto popup = std::make_unique<Popup>();
    popup->display = display_;
    popup->picture.Resize(PixelOfUnit(width, scale), PixelOfUnit(height, scale));
    SoftwareSurface surface(popup->picture, images_, text_, scale);
    surface.FillRect({0, 0, width, height}, kBackground);
    surface.DrawText({kPaddingX, kPaddingY, width - kPaddingX, height - kPaddingY}, std::u16string(text), font, kText,
                     text_mode::kSingleLine | text_mode::kVCenter);
    surface.FrameRect({0, 0, width, height}, kBorder, 0);  // a hairline
    // Moved in from the right and bottom edges of the work area.
    const platform::Rect area = ScreenWorkArea();
    const int left = std::max(area.left, std::min(screenPoint.x, area.right - popup->picture.width));
    const int top = std::max(area.top, std::min(screenPoint.y, area.bottom - popup->picture.height));
    CreatePopupWindow(display_, screen_, false, {left, top, left + popup->picture.width, top + popup->picture.height},
                      ExposureMask, popup->xid, popup->gc, popup->argb, popup->visual, popup->depth, popup->colormap);
    if (popup->xid == 0) return;
    // Never takes the keyboard, and the mouse goes to whatever lies below.
    XWMHints hints{};
    hints.flags = InputHint;
    hints.input = False;
    XSetWMHints(display_, popup->xid, &hints);
    XShapeCombineRectangles(display_, popup->xid, ShapeInput, 0, 0, nullptr, 0, ShapeSet, Unsorted);
    XStoreName(display_, popup->xid, "zintra-tooltip");
    XMapRaised(display_, popup->xid);
    XSync(display_, False);
    PutPicture(popup->xid, popup->gc, popup->picture, false, popup->visual, popup->depth);
    XFlush(display_);
    toolTip_ = std::move(popup);
    toolTipOwner_ = owner;
}

void X11Backend::HideToolTip(NativeWindow owner) {
    if (owner != toolTipOwner_) return;
    toolTip_.reset();
    toolTipOwner_ = 0;
}

std::optional<Bitmap> X11Backend::DecodeImage(std::string_view bytes) {
    return DecodePng(bytes);
}

namespace {

// One entry of an icon file: a PNG, or a 32-bit DIB (rows bottom-up, blue,
// green, red, alpha, then the unused AND mask). Nothing for other formats.
std::optional<Bitmap> DecodeIconEntry(X11Backend& backend, std::string_view entry) {
    if (entry.size() >= 8 && entry.substr(0, 8) == std::string_view("\x89PNG\r\n\x1a\n", 8)) {
        return backend.DecodeImage(entry);
    }
    const auto read32 = [&](std::size_t at) {
        std::uint32_t value = 0;
        std::memcpy(&value, entry.data() + at, 4);
        return value;
    };
    if (entry.size() < 40 || read32(0) < 40) return std::nullopt;
    const auto width = static_cast<std::int32_t>(read32(4));
    const auto height = static_cast<std::int32_t>(read32(8)) / 2;  // the colour rows, then the mask's
    std::uint16_t bits = 0;
    std::memcpy(&bits, entry.data() + 14, 2);
    if (bits != 32 || width <= 0 || height <= 0 || width > 256 || height > 256) return std::nullopt;
    const std::size_t start = read32(0);
    const std::size_t row = static_cast<std::size_t>(width) * 4;
    if (entry.size() < start + row * static_cast<std::size_t>(height)) return std::nullopt;
    Bitmap bitmap;
    bitmap.width = width;
    bitmap.height = height;
    bitmap.pixels.resize(row * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const char* source = entry.data() + start + row * static_cast<std::size_t>(height - 1 - y);
        std::uint8_t* target = &bitmap.pixels[row * static_cast<std::size_t>(y)];
        for (int x = 0; x < width; ++x) {
            target[x * 4 + 0] = static_cast<std::uint8_t>(source[x * 4 + 2]);
            target[x * 4 + 1] = static_cast<std::uint8_t>(source[x * 4 + 1]);
            target[x * 4 + 2] = static_cast<std::uint8_t>(source[x * 4 + 0]);
            target[x * 4 + 3] = static_cast<std::uint8_t>(source[x * 4 + 3]);
        }
    }
    return bitmap;
}

}  // namespace

std::uintptr_t X11Backend::LoadIcon(const ResourcePackage& package, std::string_view name, int size) {
    const auto bytes = package.Load("ICON", name);
    if (!bytes) return 0;
    const auto images = ReadIconDirectory(*bytes);
    if (!images) return 0;
    for (const auto& image : *images) {
        if (size == 0 || image.width == size) {
            const std::uintptr_t handle = nextIcon_++;
            const auto picture = DecodeIconEntry(*this, std::string_view(*bytes).substr(image.offset, image.size));
            icons_[handle] = picture.value_or(Bitmap{});
            iconFiles_[handle] = std::make_shared<const std::string>(std::move(*bytes));
            return handle;
        }
    }
    return 0;
}

std::vector<platform::linux_x11::IconPicture> X11Backend::IconPictures(std::uintptr_t icon) {
    std::vector<platform::linux_x11::IconPicture> pictures;
    const auto add = [&pictures](const Bitmap& bitmap) {
        if (bitmap.Empty()) return;
        platform::linux_x11::IconPicture picture;
        picture.width = bitmap.width;
        picture.height = bitmap.height;
        picture.argb.reserve(static_cast<std::size_t>(bitmap.width) * static_cast<std::size_t>(bitmap.height));
        for (int y = 0; y < bitmap.height; ++y) {
            for (int x = 0; x < bitmap.width; ++x) picture.argb.push_back(bitmap.PixelAt(x, y));
        }
        pictures.push_back(std::move(picture));
    };
    const auto it = icons_.find(icon);
    if (it == icons_.end()) return pictures;
    add(it->second);
    // The other sizes of the same icon file.
    const auto file = iconFiles_.find(icon);
    if (file == iconFiles_.end()) return pictures;
    const std::string_view bytes(*file->second);
    if (const auto images = ReadIconDirectory(bytes)) {
        for (const auto& image : *images) {
            if (image.width == it->second.width && image.height == it->second.height) continue;
            if (const auto other = DecodeIconEntry(*this, bytes.substr(image.offset, image.size))) add(*other);
        }
    }
    return pictures;
}

void X11Backend::SetWindowIcons(Window window, const HostAttributes& attributes) {
    const SApplication* application = SApplication::Instance();
    if (application == nullptr) return;
    // _NET_WM_ICON: for each picture its width, its height, then ARGB pixels, one per long.
    std::vector<long> data;
    for (const std::string& name : {attributes.smallIcon, attributes.bigIcon}) {
        auto it = icons_.find(name.empty() ? 0 : application->LoadIcon(name));
        if (it == icons_.end() || it->second.Empty()) continue;
        const Bitmap& picture = it->second;
        data.push_back(picture.width);
        data.push_back(picture.height);
        for (int y = 0; y < picture.height; ++y) {
            for (int x = 0; x < picture.width; ++x) data.push_back(static_cast<long>(picture.PixelAt(x, y)));
        }
    }
    if (data.empty()) return;
    XChangeProperty(display_, window, Intern("_NET_WM_ICON"), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()));
}

}  // namespace zintra::ui
