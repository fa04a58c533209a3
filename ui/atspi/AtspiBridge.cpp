#include "ui/atspi/AtspiBridge.h"

#include <systemd/sd-bus.h>

#include <algorithm>

#include "base/TextUtil.h"
#include "ui/atspi/AtspiObjects.h"
#include "ui/core/Backend.h"
#include "ui/core/Log.h"
#include "ui/core/SApplication.h"
#include "ui/core/SHostWnd.h"

namespace zintra::ui {

using atspi::AtspiMapping;
using atspi::NodeKey;

namespace {

constexpr const char* kRegistry = "org.a11y.atspi.Registry";
constexpr const char* kRegistryPath = "/org/a11y/atspi/registry";
constexpr std::uint32_t kRunActionsMessage = 0x8000 + 0x3A3;

// Frees an sd-bus call's leftovers however the call went.
struct CallResult {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    ~CallResult() {
        sd_bus_message_unref(reply);
        sd_bus_error_free(&error);
    }
};

}  // namespace

AtspiBridge::AtspiBridge(platform::linux_x11::SessionBus& session) : session_(session) {}

AtspiBridge::~AtspiBridge() {
    if (bus_ != nullptr) SetAccessibleObserver(previousObserver_);
    if (actionWindow_ != 0) {
        if (SApplication* application = SApplication::Instance()) application->GetBackend().DestroyWindow(actionWindow_);
    }
    sd_bus_slot_unref(registeredSlot_);
    sd_bus_slot_unref(deregisteredSlot_);
}

std::optional<std::string> AtspiBridge::AccessibilityBusAddress() {
    // A session without the accessibility bus starts none for us.
    if (!session_.HasOwner("org.a11y.Bus")) return std::nullopt;
    CallResult call;
    if (sd_bus_call_method(session_.Get(), "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", &call.error,
                           &call.reply, "") < 0) {
        return std::nullopt;
    }
    const char* address = nullptr;
    if (sd_bus_message_read(call.reply, "s", &address) < 0 || address == nullptr || *address == '\0') {
        return std::nullopt;
    }
    return std::string(address);
}

bool AtspiBridge::Start() {
    if (tried_) return Running();
    tried_ = true;
    const auto address = AccessibilityBusAddress();
    if (!address) return false;
    connection_ = std::make_unique<platform::linux_x11::SessionBus>(*address);
    sd_bus* bus = connection_->Get();
    const char* unique = nullptr;
    if (bus == nullptr || sd_bus_get_unique_name(bus, &unique) < 0) {
        Log("accessibility: cannot connect to the accessibility bus at %s", address->c_str());
        connection_.reset();
        return false;
    }
    uniqueName_ = unique;
    bus_ = bus;
    objects_ = std::make_unique<AtspiObjects>(*this);
    if (!objects_->Register(bus_) || !Embed()) {
        Log("accessibility: the registry of the accessibility bus did not take the application");
        objects_.reset();
        connection_.reset();
        bus_ = nullptr;
        return false;
    }
    sd_bus_match_signal(bus_, &registeredSlot_, kRegistry, kRegistryPath, kRegistry, "EventListenerRegistered",
                        &AtspiBridge::OnListenerChange, this);
    sd_bus_match_signal(bus_, &deregisteredSlot_, kRegistry, kRegistryPath, kRegistry, "EventListenerDeregistered",
                        &AtspiBridge::OnListenerChange, this);
    ReadRegisteredEvents();
    previousObserver_ = SetAccessibleObserver(this);
    return true;
}

bool AtspiBridge::Embed() {
    CallResult call;
    if (sd_bus_call_method(bus_, kRegistry, AtspiMapping::kRootPath, "org.a11y.atspi.Socket", "Embed", &call.error,
                           &call.reply, "(so)", uniqueName_.c_str(), AtspiMapping::kRootPath) < 0) {
        return false;
    }
    const char* name = nullptr;
    const char* path = nullptr;
    if (sd_bus_message_read(call.reply, "(so)", &name, &path) < 0) return false;
    desktop_ = {name, path};
    return true;
}

void AtspiBridge::ReadRegisteredEvents() {
    CallResult call;
    if (sd_bus_call_method(bus_, kRegistry, kRegistryPath, kRegistry, "GetRegisteredEvents", &call.error, &call.reply,
                           "") < 0) {
        return;
    }
    if (sd_bus_message_enter_container(call.reply, 'a', "(ss)") < 0) return;
    const char* name = nullptr;
    const char* event = nullptr;
    while (sd_bus_message_read(call.reply, "(ss)", &name, &event) > 0) listeners_.emplace_back(name, event);
}

int AtspiBridge::OnListenerChange(sd_bus_message* message, void* userdata, sd_bus_error*) {
    auto& bridge = *static_cast<AtspiBridge*>(userdata);
    const char* name = nullptr;
    const char* event = nullptr;
    // Newer registries add the properties wanted after the two strings.
    if (sd_bus_message_read(message, "s", &name) < 0 || sd_bus_message_read(message, "s", &event) < 0) return 0;
    const std::pair<std::string, std::string> listener{name, event};
    if (std::string(sd_bus_message_get_member(message)) == "EventListenerRegistered") {
        bridge.listeners_.push_back(listener);
    } else if (const auto it = std::find(bridge.listeners_.begin(), bridge.listeners_.end(), listener);
               it != bridge.listeners_.end()) {
        bridge.listeners_.erase(it);
    }
    return 0;
}

bool AtspiBridge::Wanted(const char* event) const {
    return std::any_of(listeners_.begin(), listeners_.end(),
                       [event](const auto& listener) { return AtspiMapping::ListenerWants(listener.second, event); });
}

// ---- Finding nodes ----

std::optional<AtspiTarget> AtspiBridge::Resolve(const char* path) const {
    const auto key = AtspiMapping::KeyOfPath(path != nullptr ? path : "");
    if (!key) return std::nullopt;
    return Resolve(*key);
}

std::optional<AtspiTarget> AtspiBridge::Resolve(const NodeKey& key) const {
    if (key.application) return AtspiTarget{true, nullptr, {}};
    for (SHostWnd* host : AccessibleHosts()) {
        if (host->GetRoot() == nullptr || host->GetHwnd() == 0) continue;
        const AccessibleTree tree(*host);
        if (key.window != 0) {
            if (host->GetHwnd() == key.window) return AtspiTarget{false, host, tree.Root()};
            continue;
        }
        for (const AccessibleNode& node : tree.AllNodes()) {
            if (AccessibleId(*node.control) == key.control && node.item == key.item) {
                return AtspiTarget{false, host, node};
            }
        }
    }
    return std::nullopt;
}

// ---- Actions after the answer ----

void AtspiBridge::QueueAction(const NodeKey& key) {
    SApplication* application = SApplication::Instance();
    if (application == nullptr) return;
    if (actionWindow_ == 0) actionWindow_ = application->GetBackend().CreateMessageWindow(*this);
    actions_.push_back(key);
    application->GetBackend().PostMessage(actionWindow_, kRunActionsMessage, 0, 0);
}

std::optional<std::intptr_t> AtspiBridge::HandleMessage(platform::NativeWindow, std::uint32_t message, std::uintptr_t,
                                                        std::intptr_t) {
    if (message != kRunActionsMessage) return std::nullopt;
    RunQueuedActions();
    return 0;
}

void AtspiBridge::RunQueuedActions() {
    // An action may run a modal loop that queues more; those get their own turn.
    std::vector<NodeKey> actions;
    actions.swap(actions_);
    for (const NodeKey& key : actions) {
        // The node is looked up again: it may have gone since the call.
        if (const auto target = Resolve(key); target && target->host != nullptr) {
            AccessibleTree(*target->host).DoDefaultAction(target->node);
        }
    }
}

// ---- EventSource: the accessibility bus ----

int AtspiBridge::Descriptor() { return connection_ ? connection_->Descriptor() : -1; }

short AtspiBridge::Events() { return connection_ ? connection_->Events() : short{0}; }

std::optional<std::uint64_t> AtspiBridge::Timeout() {
    return connection_ ? connection_->Timeout() : std::nullopt;
}

void AtspiBridge::Dispatch() {
    if (connection_) connection_->Dispatch();
}

}  // namespace zintra::ui
