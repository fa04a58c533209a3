// The tray menu as the desktop's menu protocol (com.canonical.dbusmenu) sees
// it, kept apart from the bus so it can be tested alone: every entry gets a
// number of its own (0 is the root), with the properties a panel reads, and a
// click on a number leads back to the entry's command.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/Shell.h"

namespace zintra::platform::linux_x11 {

// A label as the protocol reads it: an underscore marks a mnemonic, so a
// written one is doubled.
std::string MenuLabel(std::u16string_view text);

using MenuValue = std::variant<std::string, bool>;
struct MenuProperty {
    std::string name;
    MenuValue value;
    friend bool operator==(const MenuProperty&, const MenuProperty&) = default;
};

class TrayMenuLayout {
public:
    struct Node {
        int parent = -1;
        std::vector<int> children;
        // Only what differs from the protocol's defaults (a standard, visible,
        // enabled item without a label), as panels expect.
        std::vector<MenuProperty> properties;
        std::optional<int> command;  // what a click on it means
    };

    TrayMenuLayout() : nodes_(1) {}
    explicit TrayMenuLayout(const std::vector<TrayMenuEntry>& entries);

    // The node numbered `id`; null for a number that is not in the menu.
    const Node* Find(int id) const;
    // The properties of `id` named in `names` (all when empty).
    std::vector<MenuProperty> Properties(int id, const std::vector<std::string>& names) const;
    // The command a click on `id` gives; none for the root, a separator, a
    // sub-menu, a disabled entry or an unknown number.
    std::optional<int> Clicked(int id) const;

private:
    void AddEntries(int parent, const std::vector<TrayMenuEntry>& entries);

    std::vector<Node> nodes_;  // index = id
};

}  // namespace zintra::platform::linux_x11
