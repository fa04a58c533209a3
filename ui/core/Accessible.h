// What assistive technology sees of a host window: a tree of nodes, one per
// visible control that means something to a user, with a role, a name, a
// value, states, a screen location and a default action. Our controls have
// no native windows, so without this a screen reader finds only pixels. The
// backend publishes the tree in the system's own terms (MSAA on Windows) and
// hears of changes through AccessibleObserver.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Types.h"

namespace zintra::ui {

class SHostWnd;
class SWindow;

enum class AccessibleRole {
    Client,        // the host window itself
    PushButton,
    CheckBox,
    RadioButton,
    ComboBox,
    ListItem,      // an entry of a combo box's list
    EditableText,
    StaticText,
    PageTabList,
    PageTab,
    ProgressBar,
    Link,
    HotKeyField,
};

namespace accessible_state {
inline constexpr std::uint32_t kChecked = 1u << 0;
inline constexpr std::uint32_t kUnavailable = 1u << 1;
inline constexpr std::uint32_t kFocused = 1u << 2;
inline constexpr std::uint32_t kFocusable = 1u << 3;
inline constexpr std::uint32_t kInvisible = 1u << 4;
inline constexpr std::uint32_t kPressed = 1u << 5;
inline constexpr std::uint32_t kSelected = 1u << 6;
inline constexpr std::uint32_t kSelectable = 1u << 7;
inline constexpr std::uint32_t kReadOnly = 1u << 8;
// Not on the screen at all: a closed list's entries, rows scrolled away.
inline constexpr std::uint32_t kOffscreen = 1u << 9;
}  // namespace accessible_state

// One node: a control, or (item >= 0) entry `item` of a combo box's list or
// page `item` of a tab control. A null control is no node.
struct AccessibleNode {
    SWindow* control = nullptr;
    int item = -1;

    bool operator==(const AccessibleNode& other) const { return control == other.control && item == other.item; }
    bool operator!=(const AccessibleNode& other) const { return !(*this == other); }
    explicit operator bool() const { return control != nullptr; }
};

// The tree of one host window. Nodes are looked up afresh on every call, so a
// node whose control has gone reads as missing rather than dangling.
class AccessibleTree {
public:
    explicit AccessibleTree(SHostWnd& host) : host_(host) {}

    AccessibleNode Root() const;
    std::vector<AccessibleNode> Children(const AccessibleNode& node) const;
    AccessibleNode Parent(const AccessibleNode& node) const;
    // The sibling after or before a node, or none.
    AccessibleNode Next(const AccessibleNode& node) const;
    AccessibleNode Previous(const AccessibleNode& node) const;

    AccessibleRole Role(const AccessibleNode& node) const;
    std::u16string Name(const AccessibleNode& node) const;
    std::optional<std::u16string> Value(const AccessibleNode& node) const;
    std::uint32_t States(const AccessibleNode& node) const;
    // Screen pixels, through the host's own client-to-screen conversion.
    platform::Rect ScreenRect(const AccessibleNode& node) const;
    // "Press", "Check", "Uncheck", "Select", "Open"; empty when there is none.
    std::u16string DefaultAction(const AccessibleNode& node) const;
    // Does what the default action names, as the keyboard or a click would.
    bool DoDefaultAction(const AccessibleNode& node) const;
    // Gives a focusable node the keyboard focus (and selects a list entry).
    bool Select(const AccessibleNode& node) const;

    // The focused node; the selected entry of a combo box or tab list.
    AccessibleNode Focus() const;
    AccessibleNode Selection(const AccessibleNode& node) const;
    // The deepest node at a screen point, or none outside the window.
    AccessibleNode HitTest(platform::Point screenPoint) const;

    // Every node below the root, depth first (for look-ups by control).
    std::vector<AccessibleNode> AllNodes() const;
    // Whether the node still stands for a live control of this window.
    bool Contains(const AccessibleNode& node) const;
    // The node standing for a control: itself, or the nearest ancestor that
    // is a node; none when neither is (for events from inner controls).
    AccessibleNode NodeFor(SWindow& control) const;

    SHostWnd& Host() const { return host_; }

private:
    SHostWnd& host_;
};

// What changed about a control, for the screen reader to follow.
enum class AccessibleEvent { Focus, StateChange, ValueChange, NameChange, Show, Hide, Selection };

// What happened to a host window as a whole.
enum class AccessibleWindowEvent { Opened, Closed, Activated, Deactivated };

// The backend listens to changes of every host through one observer.
class AccessibleObserver {
public:
    virtual ~AccessibleObserver() = default;
    virtual void OnAccessibleEvent(SHostWnd& host, SWindow& control, AccessibleEvent event) = 0;
    // Publishers that list the windows themselves (AT-SPI) follow these;
    // MSAA hangs every window off the system's own tree and needs none.
    virtual void OnAccessibleWindow(SHostWnd&, AccessibleWindowEvent) {}
};

// Installs the observer (null removes it); the previous one is returned.
AccessibleObserver* SetAccessibleObserver(AccessibleObserver* observer);
// Controls and hosts call this when something a reader shows has changed.
void NotifyAccessible(SWindow& control, AccessibleEvent event);

// Hosts call this when their window opens or closes; backends when the
// system makes one the active window or takes that away.
void NotifyAccessibleWindow(SHostWnd& host, AccessibleWindowEvent event);
// The host windows open now (with their controls built), oldest first.
const std::vector<SHostWnd*>& AccessibleHosts();

// The stable number of a control for its life (never reused in a process),
// for backends that name nodes by number.
std::uint32_t AccessibleId(const SWindow& control);

}  // namespace zintra::ui
