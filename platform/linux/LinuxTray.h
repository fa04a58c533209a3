// The notification area on a Linux desktop, behind Shell::NotifyIcon: the
// icon as a StatusNotifierItem when the panel's watcher is on the session
// bus, else docked in an XEmbed system tray when a tray manager runs, else
// none (said once on stderr, the program's log); balloons as desktop notices. Clicks come back as the callback message
// the tray code gets on Windows, and a watcher that starts or restarts gets
// the "TaskbarCreated" message to the record's window, so the tray code adds
// the icon again exactly as after a taskbar restart on Windows.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Shell.h"
#include "platform/linux/DesktopLoop.h"
#include "platform/linux/DesktopNotices.h"
#include "platform/linux/SessionBus.h"
#include "platform/linux/StatusNotifierItem.h"
#include "platform/linux/XEmbedTrayIcon.h"

namespace zintra::platform::linux_x11 {

class LinuxTray {
public:
    // `display` may be null: then there is no XEmbed tray.
    explicit LinuxTray(Display* display);
    ~LinuxTray();

    // The toolkit's loop posts our messages and knows the icons' pictures;
    // null detaches it (the loop is going away).
    void Attach(DesktopLoop* loop) { loop_ = loop; }
    // The registered number of "TaskbarCreated".
    void SetTaskbarCreatedMessage(std::uint32_t message) { taskbarCreated_ = message; }
    EventSource& Events() { return bus_; }

    bool NotifyIcon(TrayAction action, const TrayIconData& data);
    bool HandleXEvent(XEvent& event) { return xembed_.HandleEvent(event); }

private:
    StatusNotifierItem::Look LookOf(const TrayIconData& data) const;
    void Post(NativeWindow window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
    void ShowNotice(const TrayIconData& data);
    void OnClick(TrayClick click);
    void OnTrayStarted();

    SessionBus bus_;
    DesktopNotices notices_{bus_};
    std::unique_ptr<StatusNotifierItem> item_;
    XEmbedTrayIcon xembed_;
    DesktopLoop* loop_ = nullptr;
    TrayIconData record_;
    bool added_ = false;
    enum class Shown { Nowhere, AsItem, Docked };
    Shown shown_ = Shown::Nowhere;
    bool saidMissing_ = false;
    std::uint32_t taskbarCreated_ = 0;
    std::string iconName_;
};

}  // namespace zintra::platform::linux_x11
