// The toolkit's accessible tree in AT-SPI 2's terms, with no D-Bus in sight:
// role numbers, state set words, label relations, action names, the
// interfaces a node offers, object paths and text boundaries. The bridge
// (AtspiBridge) only carries these over the bus, so they are tested here on
// the headless backend.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/core/Accessible.h"

namespace zintra::ui::atspi {

// A few of AT-SPI's numbers (AtspiRole, AtspiStateType, AtspiRelationType).
namespace role {
inline constexpr std::uint32_t kCheckBox = 7;
inline constexpr std::uint32_t kComboBox = 11;
inline constexpr std::uint32_t kDialog = 16;
inline constexpr std::uint32_t kFrame = 23;
inline constexpr std::uint32_t kLabel = 29;
inline constexpr std::uint32_t kListItem = 32;
inline constexpr std::uint32_t kPageTab = 37;
inline constexpr std::uint32_t kPageTabList = 38;
inline constexpr std::uint32_t kProgressBar = 42;
inline constexpr std::uint32_t kPushButton = 43;
inline constexpr std::uint32_t kRadioButton = 44;
inline constexpr std::uint32_t kApplication = 75;
inline constexpr std::uint32_t kEntry = 79;
inline constexpr std::uint32_t kLink = 88;
}  // namespace role

enum class State : std::uint32_t {
    Active = 1,
    Checked = 4,
    Editable = 7,
    Enabled = 8,
    Expandable = 9,
    Focusable = 11,
    Focused = 12,
    Modal = 16,
    Pressed = 20,
    Selectable = 22,
    Selected = 23,
    Sensitive = 24,
    Showing = 25,
    SingleLine = 26,
    Visible = 30,
    Checkable = 41,
    HasPopup = 42,
    ReadOnly = 43,
};

// The two 32-bit words of GetState.
using StateSet = std::array<std::uint32_t, 2>;
bool Has(const StateSet& set, State state);

namespace relation {
inline constexpr std::uint32_t kLabelFor = 1;
inline constexpr std::uint32_t kLabelledBy = 2;
}  // namespace relation

struct Relation {
    std::uint32_t type = 0;
    AccessibleNode target;
};

// AT-SPI's text boundaries (AtspiTextBoundaryType) and granularities.
enum class Boundary : std::uint32_t { Char = 0, WordStart = 1, WordEnd = 2, SentenceStart = 3, SentenceEnd = 4,
                                      LineStart = 5, LineEnd = 6 };
enum class Granularity : std::uint32_t { Char = 0, Word = 1, Sentence = 2, Line = 3, Paragraph = 4 };

struct TextRange {
    std::u32string text;
    int start = 0;
    int end = 0;
};

// A node of the tree: one control (or entry), a host window itself (its
// tree's root), or the application that holds the windows.
struct NodeKey {
    bool application = false;
    std::uintptr_t window = 0;      // the host window, when the node is its root
    std::uint32_t control = 0;      // AccessibleId, for controls and entries
    int item = -1;
    friend bool operator==(const NodeKey&, const NodeKey&) = default;
};

class AtspiMapping {
public:
    static constexpr const char* kPathPrefix = "/org/a11y/atspi/accessible";
    static constexpr const char* kRootPath = "/org/a11y/atspi/accessible/root";

    std::uint32_t Role(const AccessibleTree& tree, const AccessibleNode& node) const;
    // English for GetRoleName, the user's language for GetLocalizedRoleName.
    static std::string RoleName(std::uint32_t role);
    static std::u16string LocalizedRoleName(std::uint32_t role);
    // `active`: the node's window is the active window.
    StateSet States(const AccessibleTree& tree, const AccessibleNode& node, bool active) const;
    // A label names the field after it (AccessibleTree::Name); both ends say so.
    std::vector<Relation> Relations(const AccessibleTree& tree, const AccessibleNode& node) const;
    // The default action: none (empty) or one, named as other toolkits do.
    std::string ActionName(const AccessibleTree& tree, const AccessibleNode& node) const;
    std::u16string ActionDescription(const AccessibleTree& tree, const AccessibleNode& node) const;
    // The AT-SPI interfaces the node answers beside Accessible.
    std::vector<std::string> Interfaces(const AccessibleTree& tree, const AccessibleNode& node) const;
    bool HasText(const AccessibleTree& tree, const AccessibleNode& node) const;
    bool HasValue(const AccessibleTree& tree, const AccessibleNode& node) const;
    // What Text reads: an edit's content, a label's words.
    std::u16string Text(const AccessibleTree& tree, const AccessibleNode& node) const;

    static NodeKey KeyOf(const AccessibleTree& tree, const AccessibleNode& node);
    static std::string PathOf(const NodeKey& key);
    // None for a path that names no node of ours.
    static std::optional<NodeKey> KeyOfPath(std::string_view path);

    // The piece of `text` around `offset` by an old-style boundary or a granularity.
    static TextRange TextAt(const std::u32string& text, int offset, Boundary boundary);
    static TextRange StringAt(const std::u32string& text, int offset, Granularity granularity);

    // Whether a listener registered as `listener` ("object:state-changed:",
    // "Object:StateChanged:Focused", "") hears `event` ("object:state-changed:focused").
    static bool ListenerWants(std::string_view listener, std::string_view event);
};

}  // namespace zintra::ui::atspi
