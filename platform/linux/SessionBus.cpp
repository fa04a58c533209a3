#include "platform/linux/SessionBus.h"

#include <systemd/sd-bus.h>
#include <time.h>

#include <cstdlib>
#include <cstring>
#include <utility>


namespace zintra::platform::linux_x11 {

SessionBus::~SessionBus() {
    if (bus_ != nullptr) sd_bus_flush_close_unref(bus_);
}

sd_bus* SessionBus::Get() {
    if (broken_) return nullptr;
    if (tried_) return bus_;
    tried_ = true;
    sd_bus* bus = nullptr;
    // Without a bus there is no item and no notice; the tray says so once.
    if (address_.empty()) {
        if (sd_bus_open_user(&bus) < 0) return nullptr;
        bus_ = bus;
        return bus_;
    }
    if (sd_bus_new(&bus) < 0) return nullptr;
    if (sd_bus_set_address(bus, address_.c_str()) < 0 || sd_bus_set_bus_client(bus, 1) < 0 || sd_bus_start(bus) < 0) {
        sd_bus_unref(bus);
        return nullptr;
    }
    bus_ = bus;
    return bus_;
}

bool SessionBus::HasOwner(const char* name) {
    if (Get() == nullptr) return false;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    int owned = 0;
    if (sd_bus_call_method(bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                           "NameHasOwner", &error, &reply, "s", name) >= 0) {
        if (sd_bus_message_read(reply, "b", &owned) < 0) owned = 0;
    }
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);
    return owned != 0;
}

bool SessionBus::CanReach(const char* name) {
    if (HasOwner(name)) return true;
    char** activatable = nullptr;
    if (sd_bus_list_names(bus_, nullptr, &activatable) < 0) return false;
    bool found = false;
    for (char** n = activatable; n != nullptr && *n != nullptr; ++n) {
        found = found || std::strcmp(*n, name) == 0;
        free(*n);
    }
    free(activatable);
    return found;
}

void SessionBus::Flush() {
    if (bus_ != nullptr) sd_bus_flush(bus_);
}

int SessionBus::Descriptor() { return bus_ != nullptr && !broken_ ? sd_bus_get_fd(bus_) : -1; }

short SessionBus::Events() {
    const int events = bus_ != nullptr ? sd_bus_get_events(bus_) : 0;
    return static_cast<short>(events > 0 ? events : 0);
}

std::optional<std::uint64_t> SessionBus::Timeout() {
    std::uint64_t due = 0;
    if (bus_ == nullptr || sd_bus_get_timeout(bus_, &due) < 0 || due == UINT64_MAX) return std::nullopt;
    // sd-bus gives an absolute CLOCK_MONOTONIC time.
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const std::uint64_t current = static_cast<std::uint64_t>(now.tv_sec) * 1000000u +
                                  static_cast<std::uint64_t>(now.tv_nsec / 1000);
    return due > current ? due - current : 0;
}

void SessionBus::Dispatch() {
    if (bus_ == nullptr || broken_) return;
    // Each call handles at most one message; run until nothing is left.
    int result = 0;
    while ((result = sd_bus_process(bus_, nullptr)) > 0) {
    }
    // A bus that went away is left alone: polling its dead descriptor would spin.
    // FIXME: a restarted session bus is not joined again; the tray then stays
    // as it was until the program starts anew.
    if (result < 0 || sd_bus_is_open(bus_) <= 0) broken_ = true;
}

}  // namespace zintra::platform::linux_x11
