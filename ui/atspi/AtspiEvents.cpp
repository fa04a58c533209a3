// AtspiBridge, the changes it tells: the toolkit's notices as AT-SPI events,
// sent only when a listener of the registry wants them.
#include <systemd/sd-bus.h>

#include <algorithm>

#include "base/TextUtil.h"
#include "ui/atspi/AtspiBridge.h"
#include "ui/core/SHostWnd.h"
#include "ui/core/SWindow.h"

namespace zintra::ui {

using atspi::AtspiMapping;
using atspi::NodeKey;

namespace {

constexpr const char* kObjectEvents = "org.a11y.atspi.Event.Object";
constexpr const char* kWindowEvents = "org.a11y.atspi.Event.Window";

const NodeKey kApplication{true, 0, 0, -1};

int IndexOf(const SHostWnd& host) {
    const auto& hosts = AccessibleHosts();
    const auto it = std::find(hosts.begin(), hosts.end(), &host);
    return it == hosts.end() ? -1 : static_cast<int>(it - hosts.begin());
}

}  // namespace

void AtspiBridge::Emit(const NodeKey& key, const char* interface, const char* member, const char* detail, int detail1,
                       const char* variant, const std::string& text) {
    sd_bus_message* signal = nullptr;
    if (sd_bus_message_new_signal(bus_, &signal, AtspiMapping::PathOf(key).c_str(), interface, member) < 0) return;
    const std::string type = variant;
    bool built = sd_bus_message_append(signal, "sii", detail, detail1, 0) >= 0 &&
                 sd_bus_message_open_container(signal, 'v', variant) >= 0;
    if (built && type == "(so)") {
        built = sd_bus_message_append(signal, "(so)", uniqueName_.c_str(), text.c_str()) >= 0;
    } else if (built && type == "s") {
        built = sd_bus_message_append(signal, "s", text.c_str()) >= 0;
    } else if (built) {
        built = sd_bus_message_append(signal, "i", 0) >= 0;
    }
    built = built && sd_bus_message_close_container(signal) >= 0 &&
            sd_bus_message_open_container(signal, 'a', "{sv}") >= 0 && sd_bus_message_close_container(signal) >= 0;
    if (built) sd_bus_send(bus_, signal, nullptr);
    sd_bus_message_unref(signal);
}

void AtspiBridge::EmitStateChanged(const NodeKey& key, const char* state, bool on) {
    if (!Wanted((std::string("object:state-changed:") + state).c_str())) return;
    Emit(key, kObjectEvents, "StateChanged", state, on ? 1 : 0, "i", {});
}

void AtspiBridge::EmitPropertyChange(const NodeKey& key, const char* property, const std::u16string& value) {
    if (!Wanted((std::string("object:property-change:") + property).c_str())) return;
    Emit(key, kObjectEvents, "PropertyChange", property, 0, "s", Utf16ToUtf8(value));
}

void AtspiBridge::EmitChildrenChanged(const NodeKey& parent, bool added, int index, const NodeKey& child) {
    const char* detail = added ? "add" : "remove";
    if (!Wanted((std::string("object:children-changed:") + detail).c_str())) return;
    Emit(parent, kObjectEvents, "ChildrenChanged", detail, index, "(so)", AtspiMapping::PathOf(child));
}

void AtspiBridge::EmitWindow(const NodeKey& key, const char* member, const char* event) {
    if (!Wanted(event)) return;
    Emit(key, kWindowEvents, member, "", 0, "i", {});
}

void AtspiBridge::OnAccessibleEvent(SHostWnd& host, SWindow& control, AccessibleEvent event) {
    if (bus_ == nullptr || host.GetRoot() == nullptr) return;
    const AccessibleTree tree(host);
    const AtspiMapping mapping;
    const NodeKey window = AtspiMapping::KeyOf(tree, tree.Root());
    if (event == AccessibleEvent::Show || event == AccessibleEvent::Hide) {
        // A hidden control is no longer in the tree to find: name it by itself.
        if (control.GetAccessibleRole()) {
            const NodeKey child{false, 0, AccessibleId(control), -1};
            EmitChildrenChanged(window, event == AccessibleEvent::Show, -1, child);
        }
        return;
    }
    const AccessibleNode node = tree.NodeFor(control);
    if (!node) return;
    const NodeKey key = AtspiMapping::KeyOf(tree, node);
    switch (event) {
        case AccessibleEvent::Focus:
            if (focused_ != key && focused_ != NodeKey{}) EmitStateChanged(focused_, "focused", false);
            focused_ = key;
            EmitStateChanged(key, "focused", true);
            break;
        case AccessibleEvent::StateChange: {
            const atspi::StateSet states = mapping.States(tree, node, IsActive(host));
            if (atspi::Has(states, atspi::State::Checkable)) {
                EmitStateChanged(key, "checked", atspi::Has(states, atspi::State::Checked));
            }
            EmitStateChanged(key, "enabled", atspi::Has(states, atspi::State::Enabled));
            EmitStateChanged(key, "sensitive", atspi::Has(states, atspi::State::Sensitive));
            // A drop-down opened or closed: its entries appear or go.
            if (tree.Role(node) == AccessibleRole::ComboBox) EmitEntriesShown(tree, node, IsActive(host));
            break;
        }
        case AccessibleEvent::ValueChange: {
            EmitPropertyChange(key, "accessible-value", tree.Value(node).value_or(u""));
            // A drop-down's value is its chosen entry.
            if (const AccessibleNode chosen = tree.Selection(node)) {
                EmitStateChanged(AtspiMapping::KeyOf(tree, chosen), "selected", true);
                if (Wanted("object:selection-changed")) Emit(key, kObjectEvents, "SelectionChanged", "", 0, "i", {});
            }
            break;
        }
        case AccessibleEvent::NameChange: EmitPropertyChange(key, "accessible-name", tree.Name(node)); break;
        case AccessibleEvent::Selection:
            if (Wanted("object:selection-changed")) Emit(key, kObjectEvents, "SelectionChanged", "", 0, "i", {});
            break;
        default: break;
    }
}

void AtspiBridge::EmitEntriesShown(const AccessibleTree& tree, const AccessibleNode& box, bool active) {
    if (!Wanted("object:state-changed:showing") && !Wanted("object:state-changed:visible")) return;
    const AtspiMapping mapping;
    for (const AccessibleNode& entry : tree.Children(box)) {
        const atspi::StateSet states = mapping.States(tree, entry, active);
        const NodeKey key = AtspiMapping::KeyOf(tree, entry);
        EmitStateChanged(key, "showing", atspi::Has(states, atspi::State::Showing));
        EmitStateChanged(key, "visible", atspi::Has(states, atspi::State::Visible));
    }
}

void AtspiBridge::OnAccessibleWindow(SHostWnd& host, AccessibleWindowEvent event) {
    if (bus_ == nullptr || host.GetHwnd() == 0) return;
    const NodeKey window{false, host.GetHwnd(), 0, -1};
    switch (event) {
        case AccessibleWindowEvent::Opened:
            EmitChildrenChanged(kApplication, true, IndexOf(host), window);
            EmitWindow(window, "Create", "window:create");
            break;
        case AccessibleWindowEvent::Closed:
            if (active_ == &host) active_ = nullptr;
            EmitChildrenChanged(kApplication, false, IndexOf(host), window);
            EmitWindow(window, "Destroy", "window:destroy");
            break;
        case AccessibleWindowEvent::Activated: {
            if (active_ == &host) return;
            active_ = &host;
            EmitWindow(window, "Activate", "window:activate");
            EmitStateChanged(window, "active", true);
            // A reader follows the focus into the window it just activated.
            if (host.GetRoot() == nullptr) break;
            const AccessibleTree tree(host);
            if (const AccessibleNode focus = tree.Focus()) {
                focused_ = AtspiMapping::KeyOf(tree, focus);
                EmitStateChanged(focused_, "focused", true);
            }
            break;
        }
        case AccessibleWindowEvent::Deactivated:
            if (active_ != &host) return;
            active_ = nullptr;
            EmitWindow(window, "Deactivate", "window:deactivate");
            EmitStateChanged(window, "active", false);
            break;
    }
}

}  // namespace zintra::ui
