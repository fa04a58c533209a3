// Publishes the toolkit's accessible trees to Linux screen readers and
// automation tools over AT-SPI 2: finds the accessibility bus through the
// session bus, connects to it with sd-bus, embeds the application in the
// registry's desktop and exports every node (AtspiObjects). It is one more
// descriptor the event loop polls, so calls are answered on the user
// interface thread, and it tells the registry's listeners of changes only
// while some assistive technology listens.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <systemd/sd-bus.h>

#include "platform/MessageHandler.h"
#include "platform/linux/DesktopLoop.h"
#include "platform/linux/SessionBus.h"
#include "ui/atspi/AtspiMapping.h"
#include "ui/core/Accessible.h"


namespace zintra::ui {

class AtspiObjects;

// A node as the bridge finds it from a path, afresh on every call.
struct AtspiTarget {
    bool application = false;
    SHostWnd* host = nullptr;  // null for the application
    AccessibleNode node;
};

class AtspiBridge final : public platform::linux_x11::EventSource,
                          public AccessibleObserver,
                          public platform::MessageHandler {
public:
    explicit AtspiBridge(platform::linux_x11::SessionBus& session);
    ~AtspiBridge() override;
    AtspiBridge(const AtspiBridge&) = delete;
    AtspiBridge& operator=(const AtspiBridge&) = delete;

    // Joins the accessibility bus when the session runs one; false (and
    // nothing running) otherwise. Tried once.
    bool Start();
    bool Running() const { return bus_ != nullptr; }

    // ---- What the exported objects ask ----
    std::optional<AtspiTarget> Resolve(const atspi::NodeKey& key) const;
    std::optional<AtspiTarget> Resolve(const char* path) const;
    const std::string& UniqueName() const { return uniqueName_; }
    // The registry's desktop, the application's parent.
    const std::pair<std::string, std::string>& Desktop() const { return desktop_; }
    // Until the desktop names an active window every window counts as one.
    bool IsActive(const SHostWnd& host) const { return active_ == &host || active_ == nullptr; }
    std::int32_t& ApplicationId() { return applicationId_; }
    // Runs a node's default action once the call that asked has been answered
    // (an action may open a modal window with a loop of its own).
    void QueueAction(const atspi::NodeKey& key);

    // ---- EventSource ----
    int Descriptor() override;
    short Events() override;
    std::optional<std::uint64_t> Timeout() override;
    void Dispatch() override;

    // ---- AccessibleObserver ----
    void OnAccessibleEvent(SHostWnd& host, SWindow& control, AccessibleEvent event) override;
    void OnAccessibleWindow(SHostWnd& host, AccessibleWindowEvent event) override;

    // ---- MessageHandler: the queued actions' turn ----
    std::optional<std::intptr_t> HandleMessage(platform::NativeWindow window, std::uint32_t message,
                                               std::uintptr_t wParam, std::intptr_t lParam) override;

private:
    std::optional<std::string> AccessibilityBusAddress();
    bool Embed();
    void ReadRegisteredEvents();
    static int OnListenerChange(sd_bus_message* message, void* userdata, sd_bus_error* error);
    // Whether a listener hears `event` ("object:state-changed:focused").
    bool Wanted(const char* event) const;
    void EmitStateChanged(const atspi::NodeKey& key, const char* state, bool on);
    // The showing and visible states of a drop-down's entries, after it opened or closed.
    void EmitEntriesShown(const AccessibleTree& tree, const AccessibleNode& box, bool active);
    void EmitPropertyChange(const atspi::NodeKey& key, const char* property, const std::u16string& value);
    void EmitChildrenChanged(const atspi::NodeKey& parent, bool added, int index, const atspi::NodeKey& child);
    void EmitWindow(const atspi::NodeKey& key, const char* member, const char* event);
    // One signal of AT-SPI's event shape (siiva{sv}); `variant` is "s", "i" or "(so)".
    void Emit(const atspi::NodeKey& key, const char* interface, const char* member, const char* detail, int detail1,
              const char* variant, const std::string& text);
    void RunQueuedActions();

    platform::linux_x11::SessionBus& session_;
    std::unique_ptr<platform::linux_x11::SessionBus> connection_;  // the accessibility bus
    sd_bus* bus_ = nullptr;
    std::unique_ptr<AtspiObjects> objects_;
    sd_bus_slot* registeredSlot_ = nullptr;
    sd_bus_slot* deregisteredSlot_ = nullptr;
    bool tried_ = false;
    std::string uniqueName_;
    std::pair<std::string, std::string> desktop_;
    std::vector<std::pair<std::string, std::string>> listeners_;  // (bus name, event)
    const SHostWnd* active_ = nullptr;
    atspi::NodeKey focused_;
    std::int32_t applicationId_ = 0;
    std::vector<atspi::NodeKey> actions_;
    platform::NativeWindow actionWindow_ = 0;
    AccessibleObserver* previousObserver_ = nullptr;
};

}  // namespace zintra::ui
