// The tray icon's balloon notices as desktop notifications
// (org.freedesktop.Notifications), which need no tray: each notice replaces
// the one before, so a quick start and stop leave one notice, not a pile.
// Without a notification service (no session bus, or nobody serves the name)
// a notice goes to stderr, the program's log, rather than nowhere.
#pragma once

#include <systemd/sd-bus.h>

#include <cstdint>
#include <list>
#include <string>

#include "platform/linux/SessionBus.h"
#include "platform/linux/TrayProtocol.h"


namespace zintra::platform::linux_x11 {

class DesktopNotices {
public:
    explicit DesktopNotices(SessionBus& bus) : bus_(bus) {}
    ~DesktopNotices();
    DesktopNotices(const DesktopNotices&) = delete;
    DesktopNotices& operator=(const DesktopNotices&) = delete;

    void Show(const Notice& notice, const std::string& iconName);
    // Takes the last notice away, if it still shows.
    void Close();

    // The stderr line of a notice no service showed.
    static std::string LogLine(const Notice& notice);

private:
    struct Pending {
        DesktopNotices* owner = nullptr;
        sd_bus_slot* call = nullptr;
        Notice notice;
    };
    static int OnShown(sd_bus_message* reply, void* pending, sd_bus_error* error);

    SessionBus& bus_;
    std::uint32_t lastId_ = 0;  // the server's id of our last notice; 0: none
    std::list<Pending> pending_;  // notices the server has not answered yet
};

}  // namespace zintra::platform::linux_x11
