#include "platform/linux/StatusNotifierItem.h"

#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace zintra::platform::linux_x11 {

namespace {

constexpr const char* kWatcher = "org.kde.StatusNotifierWatcher";
constexpr const char* kItemInterface = "org.kde.StatusNotifierItem";
constexpr const char* kItemPath = "/StatusNotifierItem";

}  // namespace

StatusNotifierItem::StatusNotifierItem(SessionBus& bus, std::uint32_t id)
    : bus_(bus),
      serviceName_("org.kde.StatusNotifierItem-" + std::to_string(::getpid()) + "-" + std::to_string(id)) {}

StatusNotifierItem::~StatusNotifierItem() {
    Hide();
    sd_bus_slot_unref(ownerMatch_);
}

bool StatusNotifierItem::WatcherPresent() { return bus_.HasOwner(kWatcher); }

void StatusNotifierItem::WatchWatcher() {
    sd_bus* bus = bus_.Get();
    if (bus == nullptr || ownerMatch_ != nullptr) return;
    const std::string rule = std::string("type='signal',sender='org.freedesktop.DBus',path='/org/freedesktop/DBus',"
                                         "interface='org.freedesktop.DBus',member='NameOwnerChanged',arg0='") +
                             kWatcher + "'";
    if (sd_bus_add_match(bus, &ownerMatch_, rule.c_str(), &StatusNotifierItem::OnOwnerChanged, this) < 0) {
        ownerMatch_ = nullptr;
    }
}

bool StatusNotifierItem::Show(const Look& look) {
    sd_bus* bus = bus_.Get();
    if (bus == nullptr) return false;
    look_ = look;
    if (object_ == nullptr) {
        // Defined here so the table may name the private callbacks.
        static const sd_bus_vtable table[] = {
            SD_BUS_VTABLE_START(0),
            SD_BUS_PROPERTY("Category", "s", &StatusNotifierItem::GetProperty, 0, 0),
            SD_BUS_PROPERTY("Id", "s", &StatusNotifierItem::GetProperty, 0, 0),
            SD_BUS_PROPERTY("Title", "s", &StatusNotifierItem::GetProperty, 0, 0),
            SD_BUS_PROPERTY("Status", "s", &StatusNotifierItem::GetProperty, 0, 0),
            SD_BUS_PROPERTY("WindowId", "i", &StatusNotifierItem::GetProperty, 0, 0),
            SD_BUS_PROPERTY("IconName", "s", &StatusNotifierItem::GetProperty, 0, 0),
            SD_BUS_PROPERTY("IconPixmap", "a(iiay)", &StatusNotifierItem::GetProperty, 0, 0),
            SD_BUS_PROPERTY("OverlayIconName", "s", &StatusNotifierItem::GetProperty, 0, 0),
            SD_BUS_PROPERTY("OverlayIconPixmap", "a(iiay)", &StatusNotifierItem::GetProperty, 0, 0),
            SD_BUS_PROPERTY("AttentionIconName", "s", &StatusNotifierItem::GetProperty, 0, 0),
            SD_BUS_PROPERTY("AttentionIconPixmap", "a(iiay)", &StatusNotifierItem::GetProperty, 0, 0),
            SD_BUS_PROPERTY("AttentionMovieName", "s", &StatusNotifierItem::GetProperty, 0, 0),
            SD_BUS_PROPERTY("ToolTip", "(sa(iiay)ss)", &StatusNotifierItem::GetProperty, 0, 0),
            SD_BUS_PROPERTY("ItemIsMenu", "b", &StatusNotifierItem::GetProperty, 0, 0),
            SD_BUS_PROPERTY("Menu", "o", &StatusNotifierItem::GetProperty, 0, 0),
            SD_BUS_METHOD("Activate", "ii", "", &StatusNotifierItem::OnMethod, SD_BUS_VTABLE_UNPRIVILEGED),
            SD_BUS_METHOD("SecondaryActivate", "ii", "", &StatusNotifierItem::OnMethod, SD_BUS_VTABLE_UNPRIVILEGED),
            SD_BUS_METHOD("ContextMenu", "ii", "", &StatusNotifierItem::OnMethod, SD_BUS_VTABLE_UNPRIVILEGED),
            SD_BUS_METHOD("Scroll", "is", "", &StatusNotifierItem::OnMethod, SD_BUS_VTABLE_UNPRIVILEGED),
            SD_BUS_SIGNAL("NewTitle", "", 0),
            SD_BUS_SIGNAL("NewIcon", "", 0),
            SD_BUS_SIGNAL("NewAttentionIcon", "", 0),
            SD_BUS_SIGNAL("NewOverlayIcon", "", 0),
            SD_BUS_SIGNAL("NewToolTip", "", 0),
            SD_BUS_SIGNAL("NewStatus", "s", 0),
            SD_BUS_VTABLE_END,
        };
        if (sd_bus_add_object_vtable(bus, &object_, kItemPath, kItemInterface, table, this) < 0) {
            object_ = nullptr;
            return false;
        }
    }
    if (!named_) {
        const int result = sd_bus_request_name(bus, serviceName_.c_str(), 0);
        if (result < 0) {
            std::fprintf(stderr, "zintra: cannot own %s on the session bus (%s)\n", serviceName_.c_str(),
                         std::strerror(-result));
            return false;
        }
        named_ = true;
    }
    WatchWatcher();
    Register();
    return true;
}

void StatusNotifierItem::Register() {
    // Asynchronous: a slow or stuck watcher never holds up the window.
    sd_bus_call_method_async(bus_.Get(), nullptr, kWatcher, "/StatusNotifierWatcher", kWatcher,
                             "RegisterStatusNotifierItem", &StatusNotifierItem::OnRegistered, this, "s",
                             serviceName_.c_str());
}

int StatusNotifierItem::OnRegistered(sd_bus_message* reply, void*, sd_bus_error*) {
    if (const sd_bus_error* error = sd_bus_message_get_error(reply)) {
        std::fprintf(stderr, "zintra: the panel's watcher refused the tray icon (%s)\n",
                     error->message != nullptr ? error->message : error->name);
    }
    return 0;
}

void StatusNotifierItem::Update(const Look& look) {
    sd_bus* bus = bus_.Get();
    const bool newTip = look.tip != look_.tip;
    const bool newIcon = look.iconName != look_.iconName || look.pictures != look_.pictures;
    look_ = look;
    if (bus == nullptr || object_ == nullptr) return;
    if (newTip) sd_bus_emit_signal(bus, kItemPath, kItemInterface, "NewToolTip", "");
    if (newIcon) sd_bus_emit_signal(bus, kItemPath, kItemInterface, "NewIcon", "");
}

void StatusNotifierItem::Hide() {
    sd_bus* bus = bus_.Get();
    if (named_ && bus != nullptr) sd_bus_release_name(bus, serviceName_.c_str());
    named_ = false;
    object_ = sd_bus_slot_unref(object_);
    bus_.Flush();
}

int StatusNotifierItem::AppendPixmaps(sd_bus_message* reply) const {
    int result = sd_bus_message_open_container(reply, 'a', "(iiay)");
    for (const IconPicture& picture : look_.pictures) {
        const std::vector<std::uint8_t> bytes = PixmapBytes(picture);
        if (result < 0) return result;
        if (bytes.empty()) continue;
        result = sd_bus_message_open_container(reply, 'r', "iiay");
        if (result >= 0) result = sd_bus_message_append(reply, "ii", picture.width, picture.height);
        if (result >= 0) result = sd_bus_message_append_array(reply, 'y', bytes.data(), bytes.size());
        if (result >= 0) result = sd_bus_message_close_container(reply);
    }
    if (result < 0) return result;
    return sd_bus_message_close_container(reply);
}

int StatusNotifierItem::GetProperty(sd_bus*, const char*, const char*, const char* property, sd_bus_message* reply,
                                    void* self, sd_bus_error*) {
    const auto& item = *static_cast<StatusNotifierItem*>(self);
    if (SameName(property, "Category")) return sd_bus_message_append(reply, "s", "ApplicationStatus");
    if (SameName(property, "Id")) return sd_bus_message_append(reply, "s", "zintra");
    if (SameName(property, "Title")) return sd_bus_message_append(reply, "s", "Zintra");
    if (SameName(property, "Status")) return sd_bus_message_append(reply, "s", "Active");
    if (SameName(property, "WindowId")) return sd_bus_message_append(reply, "i", 0);
    if (SameName(property, "IconName")) return sd_bus_message_append(reply, "s", item.look_.iconName.c_str());
    if (SameName(property, "IconPixmap")) return item.AppendPixmaps(reply);
    if (SameName(property, "ItemIsMenu")) return sd_bus_message_append(reply, "b", 0);
    if (SameName(property, "Menu")) {
        // The protocol's way of saying "no menu" is a path that names nothing.
        return sd_bus_message_append(reply, "o", item.menuPath_.empty() ? "/NO_DBUSMENU" : item.menuPath_.c_str());
    }
    if (SameName(property, "ToolTip")) {
        // Icon name, pixmaps, title, text: the tip is the title, as panels show it in bold.
        return sd_bus_message_append(reply, "(sa(iiay)ss)", "", 0, item.look_.tip.c_str(), "");
    }
    if (SameName(property, "OverlayIconPixmap") || SameName(property, "AttentionIconPixmap")) {
        return sd_bus_message_append(reply, "a(iiay)", 0);
    }
    return sd_bus_message_append(reply, "s", "");  // the overlay and attention names: none
}

int StatusNotifierItem::OnMethod(sd_bus_message* message, void* self, sd_bus_error*) {
    auto& item = *static_cast<StatusNotifierItem*>(self);
    const char* member = sd_bus_message_get_member(message);
    // Answer first: the handler may open a menu, and the panel should not wait on it.
    sd_bus_reply_method_return(message, "");
    if (item.onClick_ && member != nullptr) {
        if (SameName(member, "Activate")) item.onClick_(TrayClick::Activate);
        if (SameName(member, "ContextMenu")) item.onClick_(TrayClick::ContextMenu);
    }
    return 1;
}

int StatusNotifierItem::OnOwnerChanged(sd_bus_message* message, void* self, sd_bus_error*) {
    auto& item = *static_cast<StatusNotifierItem*>(self);
    const char* name = nullptr;
    const char* oldOwner = nullptr;
    const char* newOwner = nullptr;
    if (sd_bus_message_read(message, "sss", &name, &oldOwner, &newOwner) < 0) return 0;
    if (newOwner != nullptr && newOwner[0] != '\0' && item.onWatcherStarted_) item.onWatcherStarted_();
    return 0;
}

}  // namespace zintra::platform::linux_x11
