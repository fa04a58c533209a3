// A second place for the tray icon when the session bus has no
// StatusNotifierItem watcher: whatever tray the display itself offers (the
// XEmbed system tray on X11). The display path provides it; the tray code
// does not know which display that is.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/linux/DesktopLoop.h"
#include "platform/linux/TrayProtocol.h"

namespace zintra::platform::linux_x11 {

class TrayDock {
public:
    virtual ~TrayDock() = default;
    virtual void OnClick(std::function<void(TrayClick)> handler) = 0;
    // Called when a tray takes over (it started or restarted).
    virtual void OnManagerStarted(std::function<void()> handler) = 0;
    // Listens for a tray that starts later.
    virtual void WatchManager() = 0;
    // Docks the icon; false when there is no tray.
    virtual bool Show(const std::vector<IconPicture>& pictures, const std::string& tip) = 0;
    virtual void Update(const std::vector<IconPicture>& pictures, const std::string& tip) = 0;
    virtual void Hide() = 0;
};

}  // namespace zintra::platform::linux_x11
