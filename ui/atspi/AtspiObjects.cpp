#include "ui/atspi/AtspiObjects.h"

#include <systemd/sd-bus.h>

#include <algorithm>

#include "base/TextUtil.h"
#include "ui/atspi/AtspiReply.h"
#include "ui/core/SHostWnd.h"
#include "ui/core/SWindow.h"

#ifndef ZINTRA_VERSION_TEXT
#define ZINTRA_VERSION_TEXT "0"
#endif

namespace zintra::ui {

using atspi::AtspiMapping;

namespace {

constexpr const char* kNullPath = "/org/a11y/atspi/null";
constexpr const char* kApplicationName = "Zintra";
constexpr const char* kLocale = "zh_CN";
constexpr const char* kGone = "org.freedesktop.DBus.Error.UnknownObject";

}  // namespace

AtspiObjects::~AtspiObjects() {
    for (sd_bus_slot* slot : slots_) sd_bus_slot_unref(slot);
}

// ---- Looking nodes up ----

std::optional<AtspiTarget> AtspiObjects::Target(sd_bus_message* call, sd_bus_error* error) const {
    auto target = bridge_.Resolve(sd_bus_message_get_path(call));
    if (!target) sd_bus_error_set(error, kGone, "The object is gone.");
    return target;
}

AtspiObjects::Reference AtspiObjects::Of(const AtspiTarget& target) const {
    if (target.application) return {bridge_.UniqueName(), AtspiMapping::kRootPath};
    const AccessibleTree tree(*target.host);
    return {bridge_.UniqueName(), AtspiMapping::PathOf(AtspiMapping::KeyOf(tree, target.node))};
}

AtspiObjects::Reference AtspiObjects::Null() const { return {bridge_.UniqueName(), kNullPath}; }

AtspiObjects::Reference AtspiObjects::Parent(const AtspiTarget& target) const {
    if (target.application) return bridge_.Desktop();
    const AccessibleTree tree(*target.host);
    if (target.node == tree.Root()) return {bridge_.UniqueName(), AtspiMapping::kRootPath};
    return Of({false, target.host, tree.Parent(target.node)});
}

std::vector<AtspiTarget> AtspiObjects::Children(const AtspiTarget& target) const {
    std::vector<AtspiTarget> children;
    if (target.application) {
        for (SHostWnd* host : AccessibleHosts()) {
            if (host->GetRoot() != nullptr) children.push_back({false, host, AccessibleTree(*host).Root()});
        }
        return children;
    }
    for (const AccessibleNode& node : AccessibleTree(*target.host).Children(target.node)) {
        children.push_back({false, target.host, node});
    }
    return children;
}

int AtspiObjects::IndexInParent(const AtspiTarget& target) const {
    if (target.application) return -1;
    const AccessibleTree tree(*target.host);
    const AtspiTarget parent = target.node == tree.Root() ? AtspiTarget{true, nullptr, {}}
                                                          : AtspiTarget{false, target.host, tree.Parent(target.node)};
    const auto siblings = Children(parent);
    for (std::size_t i = 0; i < siblings.size(); ++i) {
        if (siblings[i].host == target.host && siblings[i].node == target.node) return static_cast<int>(i);
    }
    return -1;
}

std::string AtspiObjects::Name(const AtspiTarget& target) const {
    if (target.application) return kApplicationName;
    return Utf16ToUtf8(AccessibleTree(*target.host).Name(target.node));
}

std::uint32_t AtspiObjects::Role(const AtspiTarget& target) const {
    if (target.application) return atspi::role::kApplication;
    return AtspiMapping().Role(AccessibleTree(*target.host), target.node);
}

std::vector<std::string> AtspiObjects::Interfaces(const AtspiTarget& target) const {
    if (target.application) return {"org.a11y.atspi.Accessible", "org.a11y.atspi.Application"};
    return AtspiMapping().Interfaces(AccessibleTree(*target.host), target.node);
}

// ---- The tables ----

const sd_bus_vtable* AtspiObjects::AccessibleTable() {
    static constexpr sd_bus_vtable table[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_PROPERTY("Name", "s", &AtspiObjects::Property, 0, 0),
        SD_BUS_PROPERTY("Description", "s", &AtspiObjects::Property, 0, 0),
        SD_BUS_PROPERTY("Parent", "(so)", &AtspiObjects::Property, 0, 0),
        SD_BUS_PROPERTY("ChildCount", "i", &AtspiObjects::Property, 0, 0),
        SD_BUS_PROPERTY("Locale", "s", &AtspiObjects::Property, 0, 0),
        SD_BUS_PROPERTY("AccessibleId", "s", &AtspiObjects::Property, 0, 0),
        SD_BUS_METHOD("GetChildAtIndex", "i", "(so)", &AtspiObjects::Method, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("GetChildren", "", "a(so)", &AtspiObjects::Method, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("GetIndexInParent", "", "i", &AtspiObjects::Method, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("GetRelationSet", "", "a(ua(so))", &AtspiObjects::Method, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("GetRole", "", "u", &AtspiObjects::Method, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("GetRoleName", "", "s", &AtspiObjects::Method, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("GetLocalizedRoleName", "", "s", &AtspiObjects::Method, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("GetState", "", "au", &AtspiObjects::Method, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("GetAttributes", "", "a{ss}", &AtspiObjects::Method, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("GetApplication", "", "(so)", &AtspiObjects::Method, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("GetInterfaces", "", "as", &AtspiObjects::Method, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_VTABLE_END};
    return table;
}

const sd_bus_vtable* AtspiObjects::ApplicationTable() {
    static constexpr sd_bus_vtable table[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_PROPERTY("ToolkitName", "s", &AtspiObjects::Property, 0, 0),
        SD_BUS_PROPERTY("Version", "s", &AtspiObjects::Property, 0, 0),
        SD_BUS_PROPERTY("AtspiVersion", "s", &AtspiObjects::Property, 0, 0),
        SD_BUS_WRITABLE_PROPERTY("Id", "i", &AtspiObjects::Property, &AtspiObjects::SetApplicationId, 0,
                                 0),
        SD_BUS_METHOD("GetLocale", "u", "s", &AtspiObjects::Method, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("GetApplicationBusAddress", "", "s", &AtspiObjects::Method, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_VTABLE_END};
    return table;
}

// Clients may ask for everything at once; we announce nothing ahead, so the
// list is empty and they ask node by node.
const sd_bus_vtable* AtspiObjects::CacheTable() {
    static constexpr sd_bus_vtable table[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_METHOD("GetItems", "", "a((so)(so)(so)iiassusau)", &AtspiObjects::Method, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_VTABLE_END};
    return table;
}

// ---- Registration ----

bool AtspiObjects::Register(sd_bus* bus) {
    struct Interface {
        const char* name;
        const sd_bus_vtable* table;
    };
    const Interface interfaces[] = {{"org.a11y.atspi.Accessible", AccessibleTable()},
                                    {"org.a11y.atspi.Application", ApplicationTable()},
                                    {"org.a11y.atspi.Component", ComponentTable()},
                                    {"org.a11y.atspi.Action", ActionTable()},
                                    {"org.a11y.atspi.Value", ValueTable()},
                                    {"org.a11y.atspi.Text", TextTable()},
                                    {"org.a11y.atspi.Selection", SelectionTable()}};
    for (const Interface& interface : interfaces) {
        sd_bus_slot* slot = nullptr;
        if (sd_bus_add_fallback_vtable(bus, &slot, AtspiMapping::kPathPrefix, interface.name, interface.table,
                                       &AtspiObjects::Find, this) < 0) {
            return false;
        }
        slots_.push_back(slot);
    }
    sd_bus_slot* cache = nullptr;
    if (sd_bus_add_object_vtable(bus, &cache, "/org/a11y/atspi/cache", "org.a11y.atspi.Cache", CacheTable(), this) < 0) {
        return false;
    }
    slots_.push_back(cache);
    return true;
}

// A path has an interface when its node still exists and offers it.
int AtspiObjects::Find(sd_bus*, const char* path, const char* interface, void* userdata, void** found,
                       sd_bus_error*) {
    auto& self = *static_cast<AtspiObjects*>(userdata);
    const auto target = self.bridge_.Resolve(path);
    if (!target) return 0;
    const auto interfaces = self.Interfaces(*target);
    if (std::find(interfaces.begin(), interfaces.end(), interface) == interfaces.end()) return 0;
    *found = &self;
    return 1;
}

// ---- Dispatch ----

int AtspiObjects::Method(sd_bus_message* call, void* userdata, sd_bus_error* error) {
    auto& self = *static_cast<AtspiObjects*>(userdata);
    const std::string_view interface = sd_bus_message_get_interface(call);
    const std::string_view member = sd_bus_message_get_member(call);
    if (interface == "org.a11y.atspi.Cache") return self.AnswerCache(call, AtspiTarget{true, nullptr, {}}, member);
    const auto target = self.Target(call, error);
    if (!target) return -ENOENT;
    if (interface == "org.a11y.atspi.Accessible") return self.AnswerAccessible(call, *target, member);
    if (interface == "org.a11y.atspi.Application") return self.AnswerApplication(call, *target, member);
    if (interface == "org.a11y.atspi.Component") return self.AnswerComponent(call, *target, member);
    if (interface == "org.a11y.atspi.Action") return self.AnswerAction(call, *target, member);
    if (interface == "org.a11y.atspi.Text") return self.AnswerText(call, *target, member);
    return self.AnswerSelection(call, *target, member);
}

int AtspiObjects::Property(sd_bus*, const char* path, const char* interface, const char* property,
                           sd_bus_message* reply, void* userdata, sd_bus_error* error) {
    auto& self = *static_cast<AtspiObjects*>(userdata);
    const auto target = self.bridge_.Resolve(path);
    if (!target) return sd_bus_error_set(error, kGone, "The object is gone.");
    const std::string_view name = interface;
    if (name == "org.a11y.atspi.Accessible") return self.AccessibleProperty(*target, property, reply);
    if (name == "org.a11y.atspi.Application") return self.ApplicationProperty(property, reply);
    if (name == "org.a11y.atspi.Action") return self.ActionProperty(*target, property, reply);
    if (name == "org.a11y.atspi.Value") return self.ValueProperty(*target, property, reply);
    if (name == "org.a11y.atspi.Text") return self.TextProperty(*target, property, reply);
    return self.SelectionProperty(*target, property, reply);
}

// ---- Accessible ----

int AtspiObjects::AccessibleProperty(const AtspiTarget& target, std::string_view name, sd_bus_message* reply) {
    if (name == "Name") return sd_bus_message_append(reply, "s", Name(target).c_str());
    if (name == "Parent") {
        const Reference parent = Parent(target);
        return sd_bus_message_append(reply, "(so)", parent.first.c_str(), parent.second.c_str());
    }
    if (name == "ChildCount") return sd_bus_message_append(reply, "i", static_cast<int>(Children(target).size()));
    if (name == "Locale") return sd_bus_message_append(reply, "s", kLocale);
    std::string text;
    if (target.application) return sd_bus_message_append(reply, "s", text.c_str());
    if (target.node == AccessibleTree(*target.host).Root()) {
        if (name == "AccessibleId") text = target.host->GetHostAttributes().name;
        return sd_bus_message_append(reply, "s", text.c_str());
    }
    const SWindow& control = *target.node.control;
    // The tip says more than the name only where the name is something else.
    if (name == "Description" && target.node.item < 0 && Utf16ToUtf8(control.GetToolTipText()) != Name(target)) {
        text = Utf16ToUtf8(control.GetToolTipText());
    }
    if (name == "AccessibleId") {
        text = control.GetName();
        if (target.node.item >= 0) text += "/" + std::to_string(target.node.item);
    }
    return sd_bus_message_append(reply, "s", text.c_str());
}

int AtspiObjects::AnswerAccessible(sd_bus_message* call, const AtspiTarget& target, std::string_view member) {
    AtspiReply reply(call);
    sd_bus_message* out = reply.Message();
    const AtspiMapping mapping;
    if (member == "GetChildAtIndex") {
        int index = -1;
        sd_bus_message_read(call, "i", &index);
        const auto children = Children(target);
        reply.Reference(index >= 0 && index < static_cast<int>(children.size()) ? Of(children[index]) : Null());
    } else if (member == "GetChildren") {
        sd_bus_message_open_container(out, 'a', "(so)");
        for (const AtspiTarget& child : Children(target)) reply.Reference(Of(child));
        sd_bus_message_close_container(out);
    } else if (member == "GetIndexInParent") {
        sd_bus_message_append(out, "i", IndexInParent(target));
    } else if (member == "GetRelationSet") {
        sd_bus_message_open_container(out, 'a', "(ua(so))");
        if (!target.application) {
            for (const atspi::Relation& relation : mapping.Relations(AccessibleTree(*target.host), target.node)) {
                sd_bus_message_open_container(out, 'r', "ua(so)");
                sd_bus_message_append(out, "u", relation.type);
                sd_bus_message_open_container(out, 'a', "(so)");
                reply.Reference(Of({false, target.host, relation.target}));
                sd_bus_message_close_container(out);
                sd_bus_message_close_container(out);
            }
        }
        sd_bus_message_close_container(out);
    } else if (member == "GetRole") {
        sd_bus_message_append(out, "u", Role(target));
    } else if (member == "GetRoleName") {
        sd_bus_message_append(out, "s", AtspiMapping::RoleName(Role(target)).c_str());
    } else if (member == "GetLocalizedRoleName") {
        sd_bus_message_append(out, "s", Utf16ToUtf8(AtspiMapping::LocalizedRoleName(Role(target))).c_str());
    } else if (member == "GetState") {
        atspi::StateSet states{0, 0};
        if (!target.application) {
            states = mapping.States(AccessibleTree(*target.host), target.node, bridge_.IsActive(*target.host));
        }
        sd_bus_message_append(out, "au", 2, states[0], states[1]);
    } else if (member == "GetAttributes") {
        sd_bus_message_append(out, "a{ss}", 1, "toolkit", kApplicationName);
    } else if (member == "GetApplication") {
        reply.Reference({bridge_.UniqueName(), AtspiMapping::kRootPath});
    } else if (member == "GetInterfaces") {
        sd_bus_message_open_container(out, 'a', "s");
        for (const std::string& name : Interfaces(target)) sd_bus_message_append(out, "s", name.c_str());
        sd_bus_message_close_container(out);
    }
    return reply.Send();
}

// ---- Application and cache ----

int AtspiObjects::ApplicationProperty(std::string_view name, sd_bus_message* reply) {
    if (name == "Id") return sd_bus_message_append(reply, "i", bridge_.ApplicationId());
    if (name == "Version") return sd_bus_message_append(reply, "s", ZINTRA_VERSION_TEXT);
    if (name == "AtspiVersion") return sd_bus_message_append(reply, "s", "2.1");
    return sd_bus_message_append(reply, "s", kApplicationName);
}

int AtspiObjects::SetApplicationId(sd_bus*, const char*, const char*, const char*, sd_bus_message* value,
                                   void* userdata, sd_bus_error*) {
    auto& self = *static_cast<AtspiObjects*>(userdata);
    return sd_bus_message_read(value, "i", &self.bridge_.ApplicationId());
}

int AtspiObjects::AnswerApplication(sd_bus_message* call, const AtspiTarget&, std::string_view member) {
    AtspiReply reply(call);
    // No private connection is offered: clients stay on the bus.
    sd_bus_message_append(reply.Message(), "s", member == "GetLocale" ? kLocale : "");
    return reply.Send();
}

int AtspiObjects::AnswerCache(sd_bus_message* call, const AtspiTarget&, std::string_view) {
    AtspiReply reply(call);
    sd_bus_message_open_container(reply.Message(), 'a', "((so)(so)(so)iiassusau)");
    sd_bus_message_close_container(reply.Message());
    return reply.Send();
}

}  // namespace zintra::ui
