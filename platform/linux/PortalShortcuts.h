// The start/stop hotkey in a Wayland session through the desktop's
// GlobalShortcuts portal (KDE offers it): X11 key grabs there see only keys
// pressed in X11 programs. One shortcut, bound from the user's keys; the
// desktop may give it other keys, which its window tells the user.
#pragma once

#include <functional>
#include <string>

#include "platform/linux/PortalRequests.h"
#include "platform/linux/SessionBus.h"

namespace zintra::platform::linux_x11 {

inline constexpr char kShortcutId[] = "start-stop";

class PortalShortcuts {
public:
    PortalShortcuts() = default;
    ~PortalShortcuts();
    PortalShortcuts(const PortalShortcuts&) = delete;
    PortalShortcuts& operator=(const PortalShortcuts&) = delete;

    // The session bus to reach the portal on; it must outlive this.
    void Attach(SessionBus& bus);
    enum class State { Idle, Asking, Bound, NotBound };

    // Asks the desktop for the shortcut with `trigger` as its preferred keys
    // (the portal's form: "CTRL+SHIFT+F8"); each press calls `activated`, and
    // `settled` is called once the desktop has answered (never from within
    // Bind: a binding that cannot even be asked is NotBound at once). A new
    // binding replaces the one before (in a new session).
    void Bind(const std::string& trigger, std::function<void()> activated, std::function<void()> settled = {});
    void Unbind();
    State Binding() const { return state_; }
    // Whether the desktop bound the shortcut: then its key reaches us
    // whichever program has the focus.
    bool Bound() const { return state_ == State::Bound; }
    // The desktop's own description of the keys it bound.
    const std::string& DesktopTrigger() const { return desktopTrigger_; }
    // The description when it names other keys than the ones asked for.
    std::string OtherDesktopKeys() const;

private:
    void BindShortcut();
    // Our one shortcut as the portal's a(sa{sv}) list.
    int AppendShortcuts(sd_bus_message* call) const;
    void OnBound(sd_bus_message* results);
    // Reads a "shortcuts" list of a response: whether ours is in it, and its keys.
    bool ReadShortcuts(sd_bus_message* value);
    void Settle(State state);
    static int OnActivated(sd_bus_message* signal, void* self, sd_bus_error* error);

    SessionBus* bus_ = nullptr;
    PortalRequests requests_;
    std::string trigger_;
    std::function<void()> activated_;
    std::function<void()> settled_;
    std::string session_;
    State state_ = State::Idle;
    std::string desktopTrigger_;
    sd_bus_slot* activatedMatch_ = nullptr;
};

// Whether the desktop's description of a binding names other keys than the
// trigger asked for (descriptions differ in case and spacing only).
bool OtherKeys(const std::string& trigger, const std::string& description);

}  // namespace zintra::platform::linux_x11
