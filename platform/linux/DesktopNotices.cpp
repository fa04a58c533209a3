#include "platform/linux/DesktopNotices.h"

#include <systemd/sd-bus.h>

#include <cstdio>

namespace zintra::platform::linux_x11 {

namespace {

constexpr const char* kServer = "org.freedesktop.Notifications";
constexpr const char* kPath = "/org/freedesktop/Notifications";

// One line: the desktop's key descriptions come from outside.
std::string OneLine(const std::string& text) {
    std::string line = text;
    for (char& c : line) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    }
    return line;
}

void Log(const Notice& notice) { std::fprintf(stderr, "%s\n", DesktopNotices::LogLine(notice).c_str()); }

}  // namespace

DesktopNotices::~DesktopNotices() {
    for (Pending& pending : pending_) sd_bus_slot_unref(pending.call);
}

std::string DesktopNotices::LogLine(const Notice& notice) {
    // The program's name as a title says nothing after the log's own prefix.
    std::string line = "zintra: notice: ";
    if (notice.body.empty()) return line + OneLine(notice.summary);
    if (notice.summary != "Zintra") line += OneLine(notice.summary) + ": ";
    return line + OneLine(notice.body);
}

void DesktopNotices::Show(const Notice& notice, const std::string& iconName) {
    sd_bus* bus = bus_.Get();
    if (bus == nullptr) return Log(notice);
    Pending& pending = pending_.emplace_back();
    pending.owner = this;
    pending.notice = notice;
    // No actions, no hints; -1 leaves the time on screen to the server, as
    // Windows decides how long a balloon stays whatever the program asks.
    // Asynchronous: a missing server (or one started on demand) never holds up clicking.
    const int r = sd_bus_call_method_async(bus, &pending.call, kServer, kPath, kServer, "Notify",
                                           &DesktopNotices::OnShown, &pending, "susssasa{sv}i", "Zintra", lastId_,
                                           iconName.c_str(), notice.summary.c_str(), notice.body.c_str(), 0, 0, -1);
    if (r < 0) {
        pending_.pop_back();
        Log(notice);
    }
}

void DesktopNotices::Close() {
    sd_bus* bus = bus_.Get();
    if (bus == nullptr || lastId_ == 0) return;
    sd_bus_call_method_async(bus, nullptr, kServer, kPath, kServer, "CloseNotification", nullptr, nullptr, "u",
                             lastId_);
    lastId_ = 0;
}

int DesktopNotices::OnShown(sd_bus_message* reply, void* data, sd_bus_error*) {
    auto* pending = static_cast<Pending*>(data);
    DesktopNotices& self = *pending->owner;
    std::uint32_t id = 0;
    if (sd_bus_message_get_error(reply) == nullptr && sd_bus_message_read(reply, "u", &id) >= 0) {
        self.lastId_ = id;
    } else {
        // Nobody shows notices on this desktop (or the server failed): the log keeps it.
        Log(pending->notice);
    }
    sd_bus_slot_unref(pending->call);
    self.pending_.remove_if([pending](const Pending& p) { return &p == pending; });
    return 0;
}

}  // namespace zintra::platform::linux_x11
