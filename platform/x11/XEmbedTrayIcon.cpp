#include "platform/x11/XEmbedTrayIcon.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace zintra::platform::x11 {

namespace {

constexpr long kRequestDock = 0;  // SYSTEM_TRAY_REQUEST_DOCK
constexpr long kXEmbedMapped = 1;  // XEMBED_MAPPED in _XEMBED_INFO's flags

std::uint32_t Premultiplied(std::uint32_t argb) {
    const std::uint32_t alpha = argb >> 24;
    const auto scale = [alpha](std::uint32_t channel) { return (channel * alpha + 127) / 255; };
    return (alpha << 24) | (scale((argb >> 16) & 0xFF) << 16) | (scale((argb >> 8) & 0xFF) << 8) | scale(argb & 0xFF);
}

}  // namespace

const IconPicture* PictureForSize(const std::vector<IconPicture>& pictures, int size) {
    const IconPicture* fitting = nullptr;
    const IconPicture* smallest = nullptr;
    for (const IconPicture& picture : pictures) {
        if (picture.width <= 0 || picture.height <= 0 ||
            picture.argb.size() != static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height)) {
            continue;
        }
        const int extent = std::max(picture.width, picture.height);
        if (extent <= size && (fitting == nullptr || extent > std::max(fitting->width, fitting->height))) {
            fitting = &picture;
        }
        if (smallest == nullptr || extent < std::max(smallest->width, smallest->height)) smallest = &picture;
    }
    return fitting != nullptr ? fitting : smallest;
}

std::uint32_t BlendOver(std::uint32_t background, std::uint32_t argb) {
    const std::uint32_t alpha = argb >> 24;
    const auto mix = [alpha](std::uint32_t under, std::uint32_t over) {
        return (over * alpha + under * (255 - alpha) + 127) / 255;
    };
    return (mix((background >> 16) & 0xFF, (argb >> 16) & 0xFF) << 16) |
           (mix((background >> 8) & 0xFF, (argb >> 8) & 0xFF) << 8) | mix(background & 0xFF, argb & 0xFF);
}

XEmbedTrayIcon::XEmbedTrayIcon(Display* display)
    : display_(display), root_(display != nullptr ? DefaultRootWindow(display) : None) {}

XEmbedTrayIcon::~XEmbedTrayIcon() { Hide(); }

Atom XEmbedTrayIcon::SelectionAtom() {
    const std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(display_));
    return XInternAtom(display_, name.c_str(), False);
}

bool XEmbedTrayIcon::ManagerPresent() {
    return display_ != nullptr && XGetSelectionOwner(display_, SelectionAtom()) != None;
}

void XEmbedTrayIcon::WatchManager() {
    if (display_ == nullptr || watching_) return;
    watching_ = true;
    // A new manager announces itself to the root window's structure listeners;
    // keep whatever else this connection listens for there (the hotkeys).
    XWindowAttributes attributes{};
    XGetWindowAttributes(display_, root_, &attributes);
    XSelectInput(display_, root_, attributes.your_event_mask | StructureNotifyMask);
}

bool XEmbedTrayIcon::Show(const std::vector<IconPicture>& pictures, const std::string& tip) {
    if (display_ == nullptr) return false;
    const Window manager = XGetSelectionOwner(display_, SelectionAtom());
    if (manager == None) return false;
    pictures_ = pictures;
    if (window_ == None) CreateWindow(manager);
    Update(pictures, tip);
    RequestDock(manager);
    return true;
}

Visual* XEmbedTrayIcon::ManagerVisual(Window manager) {
    Visual* visual = nullptr;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display_, manager, XInternAtom(display_, "_NET_SYSTEM_TRAY_VISUAL", False), 0, 1, False,
                           XA_VISUALID, &type, &format, &count, &after, &data) == Success &&
        data != nullptr && count == 1 && format == 32) {
        XVisualInfo wanted{};
        wanted.visualid = static_cast<VisualID>(*reinterpret_cast<unsigned long*>(data));
        int found = 0;
        if (XVisualInfo* info = XGetVisualInfo(display_, VisualIDMask, &wanted, &found)) {
            if (found > 0 && info->depth == 32) visual = info->visual;
            XFree(info);
        }
    }
    if (data != nullptr) XFree(data);
    return visual;
}

void XEmbedTrayIcon::CreateWindow(Window manager) {
    // The manager may name the visual its icons should have (a 32-bit one
    // when the panel is composited); otherwise the screen's, drawn over the
    // panel's own background.
    Visual* visual = ManagerVisual(manager);
    argb_ = visual != nullptr;
    if (!argb_) visual = DefaultVisual(display_, DefaultScreen(display_));
    const int depth = argb_ ? 32 : DefaultDepth(display_, DefaultScreen(display_));
    XSetWindowAttributes attributes{};
    unsigned long mask = CWEventMask;
    attributes.event_mask = ExposureMask | StructureNotifyMask | ButtonPressMask | ButtonReleaseMask;
    if (argb_) {
        colormap_ = XCreateColormap(display_, root_, visual, AllocNone);
        attributes.colormap = colormap_;
        attributes.background_pixel = 0;  // fully transparent
        attributes.border_pixel = 0;
        mask |= CWColormap | CWBackPixel | CWBorderPixel;
    } else {
        attributes.background_pixmap = ParentRelative;
        mask |= CWBackPixmap;
    }
    width_ = height_ = 22;
    window_ = XCreateWindow(display_, root_, 0, 0, static_cast<unsigned>(width_), static_cast<unsigned>(height_), 0,
                            depth, InputOutput, visual, mask, &attributes);
    visual_ = visual;
    const long info[2] = {0, kXEmbedMapped};  // protocol version 0, mapped once docked
    const Atom xembedInfo = XInternAtom(display_, "_XEMBED_INFO", False);
    XChangeProperty(display_, window_, xembedInfo, xembedInfo, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(info), 2);
    XClassHint classHint{const_cast<char*>("zintra"), const_cast<char*>("Zintra")};
    XSetClassHint(display_, window_, &classHint);
}

void XEmbedTrayIcon::RequestDock(Window manager) {
    XEvent request{};
    request.xclient.type = ClientMessage;
    request.xclient.window = manager;
    request.xclient.message_type = XInternAtom(display_, "_NET_SYSTEM_TRAY_OPCODE", False);
    request.xclient.format = 32;
    request.xclient.data.l[0] = CurrentTime;
    request.xclient.data.l[1] = kRequestDock;
    request.xclient.data.l[2] = static_cast<long>(window_);
    XSendEvent(display_, manager, False, NoEventMask, &request);
    XFlush(display_);
}

void XEmbedTrayIcon::Update(const std::vector<IconPicture>& pictures, const std::string& tip) {
    pictures_ = pictures;
    tip_ = tip;
    if (window_ == None) return;
    // Trays that show names (and tools) read the window's name: the tip.
    XChangeProperty(display_, window_, XInternAtom(display_, "_NET_WM_NAME", False),
                    XInternAtom(display_, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(tip_.data()), static_cast<int>(tip_.size()));
    Paint();
}

void XEmbedTrayIcon::Hide() {
    if (display_ == nullptr || window_ == None) return;
    // The manager drops a docked window that is destroyed.
    XDestroyWindow(display_, window_);
    window_ = None;
    if (colormap_ != None) XFreeColormap(display_, colormap_);
    colormap_ = None;
    XFlush(display_);
}

bool PlausibleTrayIconSize(int width, int height) {
    return width > 0 && height > 0 && width <= kMaxTrayIconSize && height <= kMaxTrayIconSize;
}

XImage* XEmbedTrayIcon::Background() {
    if (!argb_) {
        // The panel's background, as the window shows it, under the icon.
        XClearWindow(display_, window_);
        return XGetImage(display_, window_, 0, 0, static_cast<unsigned>(width_), static_cast<unsigned>(height_),
                         AllPlanes, ZPixmap);
    }
    auto* data = static_cast<char*>(std::calloc(static_cast<std::size_t>(width_) * height_, 4));
    if (data == nullptr) return nullptr;
    XImage* image = XCreateImage(display_, visual_, 32, ZPixmap, 0, data, static_cast<unsigned>(width_),
                                 static_cast<unsigned>(height_), 32, 0);
    if (image == nullptr) std::free(data);
    return image;
}

void XEmbedTrayIcon::DrawPicture(XImage* image, const IconPicture& picture) {
    // Centred; a picture bigger than the window is scaled down (nearest pixel).
    const int extent = std::min({width_, height_, std::max(picture.width, picture.height)});
    const int left = (width_ - extent) / 2;
    const int top = (height_ - extent) / 2;
    for (int y = 0; y < extent; ++y) {
        for (int x = 0; x < extent; ++x) {
            const int sourceX = x * picture.width / extent;
            const int sourceY = y * picture.height / extent;
            const std::uint32_t argb = picture.argb[static_cast<std::size_t>(sourceY) * picture.width + sourceX];
            const unsigned long under = XGetPixel(image, left + x, top + y);
            const unsigned long pixel =
                argb_ ? Premultiplied(argb) : BlendOver(static_cast<std::uint32_t>(under) & 0xFFFFFF, argb);
            XPutPixel(image, left + x, top + y, pixel);
        }
    }
}

void XEmbedTrayIcon::Paint() {
    if (window_ == None || !PlausibleTrayIconSize(width_, height_)) return;
    XImage* image = Background();
    if (image == nullptr) return;
    if (const IconPicture* picture = PictureForSize(pictures_, std::min(width_, height_))) DrawPicture(image, *picture);
    GC gc = XCreateGC(display_, window_, 0, nullptr);
    XPutImage(display_, window_, gc, image, 0, 0, 0, 0, static_cast<unsigned>(width_), static_cast<unsigned>(height_));
    XFreeGC(display_, gc);
    XDestroyImage(image);
    XFlush(display_);
}

bool XEmbedTrayIcon::HandleEvent(XEvent& event) {
    if (display_ == nullptr) return false;
    if (event.type == ClientMessage && event.xclient.window == root_) {
        if (event.xclient.message_type == XInternAtom(display_, "MANAGER", False) &&
            static_cast<Atom>(event.xclient.data.l[1]) == SelectionAtom()) {
            if (onManagerStarted_) onManagerStarted_();
            return true;
        }
        return false;
    }
    if (window_ == None || event.xany.window != window_) return false;
    switch (event.type) {
        case Expose:
            if (event.xexpose.count == 0) Paint();
            break;
        case ConfigureNotify:
            // Anyone may send us a ConfigureNotify: a size no icon has is not ours to allocate.
            if (PlausibleTrayIconSize(event.xconfigure.width, event.xconfigure.height)) {
                width_ = event.xconfigure.width;
                height_ = event.xconfigure.height;
            }
            break;
        case ReparentNotify:
            // Back on the root window: the tray went without taking us along.
            if (event.xreparent.parent == root_) XUnmapWindow(display_, window_);
            break;
        case DestroyNotify:
            window_ = None;
            break;
        case ButtonPress:
            pressed_ = event.xbutton.button == Button1 || event.xbutton.button == Button3;
            break;
        case ButtonRelease:
            // On the release, as the panels that speak the newer protocol do, so
            // the menu opens after the button is up.
            if (pressed_ && onClick_) {
                if (event.xbutton.button == Button1) onClick_(TrayClick::Activate);
                if (event.xbutton.button == Button3) onClick_(TrayClick::ContextMenu);
            }
            pressed_ = false;
            break;
        default:
            break;
    }
    return true;
}

}  // namespace zintra::platform::x11
