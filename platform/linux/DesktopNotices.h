// The tray icon's balloon notices as desktop notifications
// (org.freedesktop.Notifications). Each notice replaces the one before, so a
// quick start and stop leave one notice, not a pile.
#pragma once

#include <systemd/sd-bus.h>

#include <cstdint>
#include <string>

#include "platform/linux/SessionBus.h"
#include "platform/linux/TrayProtocol.h"


namespace zintra::platform::linux_x11 {

class DesktopNotices {
public:
    explicit DesktopNotices(SessionBus& bus) : bus_(bus) {}

    void Show(const Notice& notice, const std::string& iconName);
    // Takes the last notice away, if it still shows.
    void Close();

private:
    static int OnShown(sd_bus_message* reply, void* self, sd_bus_error* error);

    SessionBus& bus_;
    std::uint32_t lastId_ = 0;  // the server's id of our last notice; 0: none
};

}  // namespace zintra::platform::linux_x11
