#include "platform/linux/DesktopNotices.h"

#include <systemd/sd-bus.h>

namespace zintra::platform::linux_x11 {

namespace {

constexpr const char* kServer = "org.freedesktop.Notifications";
constexpr const char* kPath = "/org/freedesktop/Notifications";

}  // namespace

void DesktopNotices::Show(const Notice& notice, const std::string& iconName) {
    sd_bus* bus = bus_.Get();
    if (bus == nullptr) return;
    // No actions, no hints; -1 leaves the time on screen to the server, as
    // Windows decides how long a balloon stays whatever the program asks.
    // Asynchronous: a missing server (or one started on demand) never holds up clicking.
    sd_bus_call_method_async(bus, nullptr, kServer, kPath, kServer, "Notify", &DesktopNotices::OnShown, this,
                             "susssasa{sv}i", "Zintra", lastId_, iconName.c_str(), notice.summary.c_str(),
                             notice.body.c_str(), 0, 0, -1);
}

void DesktopNotices::Close() {
    sd_bus* bus = bus_.Get();
    if (bus == nullptr || lastId_ == 0) return;
    sd_bus_call_method_async(bus, nullptr, kServer, kPath, kServer, "CloseNotification", nullptr, nullptr, "u",
                             lastId_);
    lastId_ = 0;
}

int DesktopNotices::OnShown(sd_bus_message* reply, void* self, sd_bus_error*) {
    std::uint32_t id = 0;
    if (sd_bus_message_get_error(reply) == nullptr && sd_bus_message_read(reply, "u", &id) >= 0) {
        static_cast<DesktopNotices*>(self)->lastId_ = id;
    }
    return 0;
}

}  // namespace zintra::platform::linux_x11
