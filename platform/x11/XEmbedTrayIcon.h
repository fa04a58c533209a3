// The program's icon in an older panel's system tray (the XEmbed tray of the
// freedesktop system-tray protocol), for desktops without a
// StatusNotifierItem watcher: a small X window of ours that the tray manager
// (the owner of _NET_SYSTEM_TRAY_S<screen>) docks into its panel. It paints
// the icon over the panel's own background and reports button releases on it
// as clicks.
#pragma once

#include <X11/Xlib.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/linux/DesktopLoop.h"
#include "platform/linux/TrayDock.h"
#include "platform/linux/TrayProtocol.h"

namespace zintra::platform::x11 {

using linux_x11::IconPicture;
using linux_x11::TrayClick;

// The largest icon window a tray may ask for; a bigger size is nonsense
// (or hostile) and is ignored rather than allocated.
inline constexpr int kMaxTrayIconSize = 512;
// Whether a size the tray gave our window is one an icon can have.
bool PlausibleTrayIconSize(int width, int height);

class XEmbedTrayIcon final : public linux_x11::TrayDock {
public:
    explicit XEmbedTrayIcon(Display* display);
    ~XEmbedTrayIcon();
    XEmbedTrayIcon(const XEmbedTrayIcon&) = delete;
    XEmbedTrayIcon& operator=(const XEmbedTrayIcon&) = delete;

    void OnClick(std::function<void(TrayClick)> handler) override { onClick_ = std::move(handler); }
    // Called when a tray manager takes the selection (it started or restarted).
    void OnManagerStarted(std::function<void()> handler) override { onManagerStarted_ = std::move(handler); }

    bool ManagerPresent();
    // Listens for a tray manager that starts later.
    void WatchManager() override;
    // Asks the manager to dock the icon (the window is made once). False
    // without a manager.
    bool Show(const std::vector<IconPicture>& pictures, const std::string& tip) override;
    void Update(const std::vector<IconPicture>& pictures, const std::string& tip) override;
    void Hide() override;

    // An event for one of our windows or about the manager: handled here.
    bool HandleEvent(XEvent& event);

private:
    void CreateWindow(Window manager);
    // The visual the manager asks its icons to have, when it names a 32-bit one.
    Visual* ManagerVisual(Window manager);
    void RequestDock(Window manager);
    void Paint();
    XImage* Background();
    void DrawPicture(XImage* image, const IconPicture& picture);
    Atom SelectionAtom();

    Display* display_;
    Window root_;
    Window window_ = None;
    Visual* visual_ = nullptr;
    bool argb_ = false;  // a 32-bit window on a composited panel
    Colormap colormap_ = None;
    std::vector<IconPicture> pictures_;
    std::string tip_;
    int width_ = 0;
    int height_ = 0;
    bool pressed_ = false;
    bool watching_ = false;
    std::function<void(TrayClick)> onClick_;
    std::function<void()> onManagerStarted_;
};

// The picture to paint in a square of `size` pixels: the biggest that fits,
// else the smallest; null for none.
const IconPicture* PictureForSize(const std::vector<IconPicture>& pictures, int size);
// Source-over of a straight-alpha 0xAARRGGBB pixel on an opaque 0x00RRGGBB one.
std::uint32_t BlendOver(std::uint32_t background, std::uint32_t argb);

}  // namespace zintra::platform::x11
