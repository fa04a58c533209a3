#include "platform/linux/DbusMenu.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace zintra::platform::linux_x11 {

namespace {

constexpr const char* kInterface = "com.canonical.dbusmenu";
constexpr const char* kUnknownItem = "org.freedesktop.DBus.Error.InvalidArgs";

// An "as" argument.
int ReadNames(sd_bus_message* message, std::vector<std::string>& names) {
    char** strings = nullptr;
    const int result = sd_bus_message_read_strv(message, &strings);
    if (result < 0) return result;
    for (char** name = strings; name != nullptr && *name != nullptr; ++name) {
        names.emplace_back(*name);
        std::free(*name);
    }
    std::free(strings);
    return 0;
}

int AppendValue(sd_bus_message* reply, const MenuValue& value) {
    if (const auto* text = std::get_if<std::string>(&value)) return sd_bus_message_append(reply, "v", "s", text->c_str());
    return sd_bus_message_append(reply, "v", "b", std::get<bool>(value) ? 1 : 0);
}

}  // namespace

DbusMenu::~DbusMenu() { sd_bus_slot_unref(object_); }

void DbusMenu::SetEntries(const std::vector<TrayMenuEntry>& entries) {
    layout_ = TrayMenuLayout(entries);
    hasEntries_ = true;
    ++revision_;
    if (object_ != nullptr) sd_bus_emit_signal(bus_.Get(), kPath, kInterface, "LayoutUpdated", "ui", revision_, 0);
}

bool DbusMenu::Export() {
    sd_bus* bus = bus_.Get();
    if (bus == nullptr) return false;
    if (object_ != nullptr) return true;
    static const sd_bus_vtable table[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_PROPERTY("Version", "u", &DbusMenu::GetProperty, 0, 0),
        SD_BUS_PROPERTY("TextDirection", "s", &DbusMenu::GetProperty, 0, 0),
        SD_BUS_PROPERTY("Status", "s", &DbusMenu::GetProperty, 0, 0),
        SD_BUS_PROPERTY("IconThemePath", "as", &DbusMenu::GetProperty, 0, 0),
        SD_BUS_METHOD("GetLayout", "iias", "u(ia{sv}av)", &DbusMenu::OnGetLayout, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("GetGroupProperties", "aias", "a(ia{sv})", &DbusMenu::OnGetGroupProperties,
                      SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("GetProperty", "is", "v", &DbusMenu::OnGetProperty, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("Event", "isvu", "", &DbusMenu::OnEvent, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("EventGroup", "a(isvu)", "ai", &DbusMenu::OnEventGroup, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("AboutToShow", "i", "b", &DbusMenu::OnAboutToShow, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("AboutToShowGroup", "ai", "aiai", &DbusMenu::OnAboutToShowGroup, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_SIGNAL("ItemsPropertiesUpdated", "a(ia{sv})a(ias)", 0),
        SD_BUS_SIGNAL("LayoutUpdated", "ui", 0),
        SD_BUS_SIGNAL("ItemActivationRequested", "iu", 0),
        SD_BUS_VTABLE_END,
    };
    if (sd_bus_add_object_vtable(bus, &object_, kPath, kInterface, table, this) < 0) {
        object_ = nullptr;
        return false;
    }
    return true;
}

int DbusMenu::GetProperty(sd_bus*, const char*, const char*, const char* property, sd_bus_message* reply, void*,
                          sd_bus_error*) {
    if (SameName(property, "Version")) return sd_bus_message_append(reply, "u", 3u);
    if (SameName(property, "TextDirection")) return sd_bus_message_append(reply, "s", "ltr");
    if (SameName(property, "Status")) return sd_bus_message_append(reply, "s", "normal");
    return sd_bus_message_append(reply, "as", 0);  // IconThemePath: the icon theme's own folders
}

int DbusMenu::AppendProperties(sd_bus_message* reply, int id, const std::vector<std::string>& names) const {
    int result = sd_bus_message_open_container(reply, 'a', "{sv}");
    for (const MenuProperty& property : layout_.Properties(id, names)) {
        if (result >= 0) result = sd_bus_message_open_container(reply, 'e', "sv");
        if (result >= 0) result = sd_bus_message_append(reply, "s", property.name.c_str());
        if (result >= 0) result = AppendValue(reply, property.value);
        if (result >= 0) result = sd_bus_message_close_container(reply);
    }
    if (result < 0) return result;
    return sd_bus_message_close_container(reply);
}

// One node as (ia{sv}av), its children to `depth` levels (-1: all) each in a variant.
int DbusMenu::AppendNode(sd_bus_message* reply, int id, int depth, const std::vector<std::string>& names) const {
    int result = sd_bus_message_open_container(reply, 'r', "ia{sv}av");
    if (result >= 0) result = sd_bus_message_append(reply, "i", id);
    if (result >= 0) result = AppendProperties(reply, id, names);
    if (result >= 0) result = sd_bus_message_open_container(reply, 'a', "v");
    if (depth != 0) {
        for (const int child : layout_.Find(id)->children) {
            if (result >= 0) result = sd_bus_message_open_container(reply, 'v', "(ia{sv}av)");
            if (result >= 0) result = AppendNode(reply, child, depth < 0 ? depth : depth - 1, names);
            if (result >= 0) result = sd_bus_message_close_container(reply);
        }
    }
    if (result >= 0) result = sd_bus_message_close_container(reply);
    if (result < 0) return result;
    return sd_bus_message_close_container(reply);
}

int DbusMenu::OnGetLayout(sd_bus_message* message, void* self, sd_bus_error* error) {
    const auto& menu = *static_cast<DbusMenu*>(self);
    std::int32_t parent = 0, depth = -1;
    std::vector<std::string> names;
    int result = sd_bus_message_read(message, "ii", &parent, &depth);
    if (result >= 0) result = ReadNames(message, names);
    if (result < 0) return result;
    if (menu.layout_.Find(parent) == nullptr) return sd_bus_error_set(error, kUnknownItem, "no such menu item");
    sd_bus_message* reply = nullptr;
    result = sd_bus_message_new_method_return(message, &reply);
    if (result >= 0) result = sd_bus_message_append(reply, "u", menu.revision_);
    if (result >= 0) result = menu.AppendNode(reply, parent, depth, names);
    if (result >= 0) result = sd_bus_send(nullptr, reply, nullptr);
    sd_bus_message_unref(reply);
    return result < 0 ? result : 1;
}

int DbusMenu::OnGetGroupProperties(sd_bus_message* message, void* self, sd_bus_error*) {
    const auto& menu = *static_cast<DbusMenu*>(self);
    const void* ids = nullptr;
    std::size_t size = 0;
    std::vector<std::string> names;
    int result = sd_bus_message_read_array(message, 'i', &ids, &size);
    if (result >= 0) result = ReadNames(message, names);
    if (result < 0) return result;
    std::vector<std::int32_t> wanted(size / sizeof(std::int32_t));
    if (!wanted.empty()) std::memcpy(wanted.data(), ids, wanted.size() * sizeof(std::int32_t));
    sd_bus_message* reply = nullptr;
    result = sd_bus_message_new_method_return(message, &reply);
    if (result >= 0) result = sd_bus_message_open_container(reply, 'a', "(ia{sv})");
    for (const std::int32_t id : wanted) {
        if (menu.layout_.Find(id) == nullptr) continue;  // unknown numbers are left out
        if (result >= 0) result = sd_bus_message_open_container(reply, 'r', "ia{sv}");
        if (result >= 0) result = sd_bus_message_append(reply, "i", id);
        if (result >= 0) result = menu.AppendProperties(reply, id, names);
        if (result >= 0) result = sd_bus_message_close_container(reply);
    }
    if (result >= 0) result = sd_bus_message_close_container(reply);
    if (result >= 0) result = sd_bus_send(nullptr, reply, nullptr);
    sd_bus_message_unref(reply);
    return result < 0 ? result : 1;
}

int DbusMenu::OnGetProperty(sd_bus_message* message, void* self, sd_bus_error* error) {
    const auto& menu = *static_cast<DbusMenu*>(self);
    std::int32_t id = 0;
    const char* name = nullptr;
    const int result = sd_bus_message_read(message, "is", &id, &name);
    if (result < 0) return result;
    const std::vector<MenuProperty> found = menu.layout_.Properties(id, {name});
    if (found.empty()) return sd_bus_error_set(error, kUnknownItem, "no such menu item or property");
    sd_bus_message* reply = nullptr;
    int sent = sd_bus_message_new_method_return(message, &reply);
    if (sent >= 0) sent = AppendValue(reply, found.front().value);
    if (sent >= 0) sent = sd_bus_send(nullptr, reply, nullptr);
    sd_bus_message_unref(reply);
    return sent < 0 ? sent : 1;
}

bool DbusMenu::HandleEvent(int id, const char* event) {
    if (layout_.Find(id) == nullptr) return false;
    // Opening and closing, hovering: nothing to do; a click runs the entry's command.
    if (SameName(event, "clicked")) {
        if (const auto command = layout_.Clicked(id); command && onCommand_) onCommand_(*command);
    }
    return true;
}

int DbusMenu::OnEvent(sd_bus_message* message, void* self, sd_bus_error* error) {
    auto& menu = *static_cast<DbusMenu*>(self);
    std::int32_t id = 0;
    const char* event = nullptr;
    int result = sd_bus_message_read(message, "is", &id, &event);
    if (result >= 0) result = sd_bus_message_skip(message, "vu");
    if (result < 0) return result;
    const std::string name = event;
    if (menu.layout_.Find(id) == nullptr) return sd_bus_error_set(error, kUnknownItem, "no such menu item");
    // Answered first: the command may open a window, and the panel should not wait on it.
    sd_bus_reply_method_return(message, "");
    menu.HandleEvent(id, name.c_str());
    return 1;
}

int DbusMenu::OnEventGroup(sd_bus_message* message, void* self, sd_bus_error*) {
    auto& menu = *static_cast<DbusMenu*>(self);
    std::vector<std::pair<std::int32_t, std::string>> events;
    int result = sd_bus_message_enter_container(message, 'a', "(isvu)");
    while (result >= 0 && (result = sd_bus_message_enter_container(message, 'r', "isvu")) > 0) {
        std::int32_t id = 0;
        const char* event = nullptr;
        result = sd_bus_message_read(message, "is", &id, &event);
        if (result >= 0) events.emplace_back(id, event);
        if (result >= 0) result = sd_bus_message_skip(message, "vu");
        if (result >= 0) result = sd_bus_message_exit_container(message);
    }
    if (result >= 0) result = sd_bus_message_exit_container(message);
    if (result < 0) return result;
    std::vector<std::int32_t> unknown;
    for (const auto& [id, event] : events) {
        if (menu.layout_.Find(id) == nullptr) unknown.push_back(id);
    }
    sd_bus_message* reply = nullptr;
    result = sd_bus_message_new_method_return(message, &reply);
    if (result >= 0) result = sd_bus_message_append_array(reply, 'i', unknown.data(), unknown.size() * sizeof(std::int32_t));
    if (result >= 0) result = sd_bus_send(nullptr, reply, nullptr);
    sd_bus_message_unref(reply);
    for (const auto& [id, event] : events) menu.HandleEvent(id, event.c_str());
    return result < 0 ? result : 1;
}

int DbusMenu::OnAboutToShow(sd_bus_message* message, void*, sd_bus_error*) {
    // The entries never change while the menu is open: nothing to fetch again.
    return sd_bus_reply_method_return(message, "b", 0);
}

int DbusMenu::OnAboutToShowGroup(sd_bus_message* message, void*, sd_bus_error*) {
    return sd_bus_reply_method_return(message, "aiai", 0, 0);
}

}  // namespace zintra::platform::linux_x11
