// The program's icon in the panel of desktops that show StatusNotifierItems
// (Plasma, GNOME with its indicator extension, XFCE, Cinnamon, MATE, LXQt…):
// an object on the session bus that the desktop's watcher is told about and
// that the panel reads (icon, tip, status) and calls (activation, menu).
//
// The menu: the Menu property names the tray menu exported on the bus
// (DbusMenu), which panels that draw menus themselves show; a ContextMenu
// call from the others becomes the right-button callback, and the tray code
// opens the program's own tray menu at the pointer. Both answer through the
// same WM_COMMAND path as on Windows. ItemIsMenu stays false: the item has a
// primary action of its own (a left click shows and hides the main window).
#pragma once

#include <systemd/sd-bus.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/linux/DesktopLoop.h"
#include "platform/linux/SessionBus.h"
#include "platform/linux/TrayProtocol.h"


namespace zintra::platform::linux_x11 {

class StatusNotifierItem {
public:
    // What the panel is shown.
    struct Look {
        std::string iconName;               // from the icon theme; empty: the pixmaps alone
        std::vector<IconPicture> pictures;  // biggest last is fine: the panel picks
        std::string tip;
    };

    StatusNotifierItem(SessionBus& bus, std::uint32_t id);
    ~StatusNotifierItem();
    StatusNotifierItem(const StatusNotifierItem&) = delete;
    StatusNotifierItem& operator=(const StatusNotifierItem&) = delete;

    // Called for clicks the panel reports.
    void OnClick(std::function<void(TrayClick)> handler) { onClick_ = std::move(handler); }
    // Called when a watcher takes the watcher's name (it started or restarted):
    // the item must be registered again.
    void OnWatcherStarted(std::function<void()> handler) { onWatcherStarted_ = std::move(handler); }

    // Whether a watcher is on the bus now.
    bool WatcherPresent();
    // Puts the item on the bus (once) with `look` and registers it with the
    // watcher. False without a bus, or when the name cannot be had.
    bool Show(const Look& look);
    // The panel reads the new look (tip and icon) after these signals.
    void Update(const Look& look);
    // Takes the item off the bus; the watcher drops it when its name goes.
    void Hide();
    // Watches the watcher's name from now on (needs no item on the bus).
    void WatchWatcher();
    // The object path of the item's exported menu; empty for none.
    void SetMenuPath(std::string path) { menuPath_ = std::move(path); }

    const std::string& ServiceName() const { return serviceName_; }

private:
    static int GetProperty(sd_bus* bus, const char* path, const char* interface, const char* property,
                           sd_bus_message* reply, void* self, sd_bus_error* error);
    static int OnMethod(sd_bus_message* message, void* self, sd_bus_error* error);
    static int OnOwnerChanged(sd_bus_message* message, void* self, sd_bus_error* error);
    static int OnRegistered(sd_bus_message* reply, void* self, sd_bus_error* error);
    int AppendPixmaps(sd_bus_message* reply) const;
    void Register();

    SessionBus& bus_;
    std::string serviceName_;
    Look look_;
    sd_bus_slot* object_ = nullptr;
    sd_bus_slot* ownerMatch_ = nullptr;
    bool named_ = false;
    std::string menuPath_;
    std::function<void(TrayClick)> onClick_;
    std::function<void()> onWatcherStarted_;
};

}  // namespace zintra::platform::linux_x11
