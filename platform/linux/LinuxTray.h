// The notification area on a Linux desktop, behind Shell::NotifyIcon: the
// icon as a StatusNotifierItem when the panel's watcher is on the session
// bus, else docked in the display's own tray (a TrayDock: XEmbed on X11) when
// one runs, else none (said once on stderr, the program's log); balloons as desktop notices. Clicks come back as the callback message
// the tray code gets on Windows, and a watcher that starts or restarts gets
// the "TaskbarCreated" message to the record's window, so the tray code adds
// the icon again exactly as after a taskbar restart on Windows.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Shell.h"
#include "platform/linux/DesktopLoop.h"
#include "platform/linux/DbusMenu.h"
#include "platform/linux/DesktopNotices.h"
#include "platform/linux/SessionBus.h"
#include "platform/linux/StatusNotifierItem.h"
#include "platform/linux/TrayDock.h"

namespace zintra::platform::linux_x11 {

class LinuxTray {
public:
    // `dock` may be null (no display tray); it must outlive the tray.
    explicit LinuxTray(TrayDock* dock);
    ~LinuxTray();

    // The toolkit's loop posts our messages and knows the icons' pictures;
    // null detaches it (the loop is going away).
    void Attach(DesktopLoop* loop) { loop_ = loop; }
    // The registered number of "TaskbarCreated".
    void SetTaskbarCreatedMessage(std::uint32_t message) { taskbarCreated_ = message; }
    EventSource& Events() { return bus_; }
    // The one session bus connection, shared with the desktop's other services.
    SessionBus& Bus() { return bus_; }

    bool NotifyIcon(TrayAction action, const TrayIconData& data);
    // The menu that panels drawing their own show; its commands go to the record's window.
    void SetMenu(const std::vector<TrayMenuEntry>& entries);

private:
    StatusNotifierItem::Look LookOf(const TrayIconData& data) const;
    void Post(NativeWindow window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
    void ShowNotice(const TrayIconData& data);
    void OnClick(TrayClick click);
    void OnMenuCommand(int command);
    void OnTrayStarted();
    void Add(const TrayIconData& data);
    bool Modify(const TrayIconData& data);
    bool Delete();

    SessionBus bus_;
    DesktopNotices notices_{bus_};
    DbusMenu menu_{bus_};
    std::unique_ptr<StatusNotifierItem> item_;
    TrayDock* dock_;
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
