// The tray menu exported on the session bus (com.canonical.dbusmenu) for
// panels that draw an item's menu themselves and never ask the program to
// (GNOME's indicator extension, Ubuntu's panel): the item's Menu property
// names this object. A chosen entry comes back as its command.
#pragma once

#include <systemd/sd-bus.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/Shell.h"
#include "platform/linux/SessionBus.h"
#include "platform/linux/TrayMenuLayout.h"

namespace zintra::platform::linux_x11 {

class DbusMenu {
public:
    static constexpr const char* kPath = "/MenuBar";

    explicit DbusMenu(SessionBus& bus) : bus_(bus) {}
    ~DbusMenu();
    DbusMenu(const DbusMenu&) = delete;
    DbusMenu& operator=(const DbusMenu&) = delete;

    // Called with the command of an entry the panel's user chose.
    void OnCommand(std::function<void(int)> handler) { onCommand_ = std::move(handler); }
    // The entries from now on; a panel already showing the menu reads them again.
    void SetEntries(const std::vector<TrayMenuEntry>& entries);
    // Puts the object on the bus (once); false without a bus.
    bool Export();
    bool HasEntries() const { return hasEntries_; }

private:
    static int GetProperty(sd_bus* bus, const char* path, const char* interface, const char* property,
                           sd_bus_message* reply, void* self, sd_bus_error* error);
    static int OnGetLayout(sd_bus_message* message, void* self, sd_bus_error* error);
    static int OnGetGroupProperties(sd_bus_message* message, void* self, sd_bus_error* error);
    static int OnGetProperty(sd_bus_message* message, void* self, sd_bus_error* error);
    static int OnEvent(sd_bus_message* message, void* self, sd_bus_error* error);
    static int OnEventGroup(sd_bus_message* message, void* self, sd_bus_error* error);
    static int OnAboutToShow(sd_bus_message* message, void* self, sd_bus_error* error);
    static int OnAboutToShowGroup(sd_bus_message* message, void* self, sd_bus_error* error);

    int AppendNode(sd_bus_message* reply, int id, int depth, const std::vector<std::string>& names) const;
    int AppendProperties(sd_bus_message* reply, int id, const std::vector<std::string>& names) const;
    // Acts on one event; false for a number that is not in the menu.
    bool HandleEvent(int id, const char* event);

    SessionBus& bus_;
    TrayMenuLayout layout_;
    std::uint32_t revision_ = 1;
    bool hasEntries_ = false;
    sd_bus_slot* object_ = nullptr;
    std::function<void(int)> onCommand_;
};

}  // namespace zintra::platform::linux_x11
