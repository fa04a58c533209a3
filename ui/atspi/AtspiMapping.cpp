#include "ui/atspi/AtspiMapping.h"

#include <cctype>
#include <charconv>

#include "ui/core/SHostWnd.h"
#include "ui/core/SWindow.h"

namespace zintra::ui::atspi {

namespace {

void Add(StateSet& set, State state) {
    const auto bit = static_cast<std::uint32_t>(state);
    set[bit / 32] |= 1u << (bit % 32);
}

bool IsField(AccessibleRole role) {
    return role == AccessibleRole::EditableText || role == AccessibleRole::HotKeyField ||
           role == AccessibleRole::ComboBox;
}

bool IsLabel(AccessibleRole role) { return role == AccessibleRole::StaticText || role == AccessibleRole::CheckBox; }

bool IsWordCharacter(char32_t c) {
    // Chinese has no spaces: each ideograph reads as a word of its own.
    if (c >= 0x3400 && c <= 0x9FFF) return false;
    return c == '_' || c > 0x7F || std::isalnum(static_cast<int>(c)) != 0;
}

bool IsIdeograph(char32_t c) { return c >= 0x3400 && c <= 0x9FFF; }

// The word around `offset`: a run of word characters with the spaces after
// it, or one ideograph.
TextRange WordAt(const std::u32string& text, int offset) {
    const int size = static_cast<int>(text.size());
    int start = offset;
    int end = offset;
    if (offset < size && IsIdeograph(text[static_cast<std::size_t>(offset)])) {
        end = offset + 1;
    } else {
        while (start > 0 && IsWordCharacter(text[static_cast<std::size_t>(start - 1)])) --start;
        while (end < size && IsWordCharacter(text[static_cast<std::size_t>(end)])) ++end;
    }
    while (end < size && text[static_cast<std::size_t>(end)] == U' ') ++end;
    return {text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start)), start, end};
}

// Lowercase, without the dashes and colons at the end: "Object:StateChanged:"
// and "object:state-changed" both read "object:statechanged".
std::string Normalized(std::string_view name) {
    std::string out;
    for (const char c : name) {
        if (c != '-') out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    while (!out.empty() && out.back() == ':') out.pop_back();
    return out;
}

}  // namespace

bool Has(const StateSet& set, State state) {
    const auto bit = static_cast<std::uint32_t>(state);
    return (set[bit / 32] & (1u << (bit % 32))) != 0;
}

std::uint32_t AtspiMapping::Role(const AccessibleTree& tree, const AccessibleNode& node) const {
    switch (tree.Role(node)) {
        case AccessibleRole::Client: return tree.Host().GetHostAttributes().appMainWnd ? role::kFrame : role::kDialog;
        case AccessibleRole::PushButton: return role::kPushButton;
        case AccessibleRole::CheckBox: return role::kCheckBox;
        case AccessibleRole::RadioButton: return role::kRadioButton;
        case AccessibleRole::ComboBox: return role::kComboBox;
        case AccessibleRole::ListItem: return role::kListItem;
        case AccessibleRole::EditableText: return role::kEntry;
        case AccessibleRole::StaticText: return role::kLabel;
        case AccessibleRole::PageTabList: return role::kPageTabList;
        case AccessibleRole::PageTab: return role::kPageTab;
        case AccessibleRole::ProgressBar: return role::kProgressBar;
        case AccessibleRole::Link: return role::kLink;
        // A key catcher reads as a field holding the key's name.
        case AccessibleRole::HotKeyField: return role::kEntry;
    }
    return role::kLabel;
}

std::string AtspiMapping::RoleName(std::uint32_t number) {
    switch (number) {
        case role::kCheckBox: return "check box";
        case role::kComboBox: return "combo box";
        case role::kDialog: return "dialog";
        case role::kFrame: return "frame";
        case role::kLabel: return "label";
        case role::kListItem: return "list item";
        case role::kPageTab: return "page tab";
        case role::kPageTabList: return "page tab list";
        case role::kProgressBar: return "progress bar";
        case role::kPushButton: return "push button";
        case role::kRadioButton: return "radio button";
        case role::kApplication: return "application";
        case role::kEntry: return "entry";
        case role::kLink: return "link";
        default: return "unknown";
    }
}

std::u16string AtspiMapping::LocalizedRoleName(std::uint32_t number) {
    switch (number) {
        case role::kCheckBox: return u"复选框";
        case role::kComboBox: return u"下拉框";
        case role::kDialog: return u"对话框";
        case role::kFrame: return u"窗口";
        case role::kLabel: return u"标签";
        case role::kListItem: return u"列表项";
        case role::kPageTab: return u"选项卡";
        case role::kPageTabList: return u"选项卡列表";
        case role::kProgressBar: return u"进度条";
        case role::kPushButton: return u"按钮";
        case role::kRadioButton: return u"单选按钮";
        case role::kApplication: return u"应用程序";
        case role::kEntry: return u"输入框";
        case role::kLink: return u"链接";
        default: return u"未知";
    }
}

StateSet AtspiMapping::States(const AccessibleTree& tree, const AccessibleNode& node, bool active) const {
    using namespace accessible_state;
    StateSet set{0, 0};
    if (!tree.Contains(node)) return set;
    const std::uint32_t states = tree.States(node);
    const bool windowShown = tree.Host().IsWindowVisible();
    if (!(states & kInvisible)) {
        Add(set, State::Visible);
        if (windowShown) Add(set, State::Showing);
    }
    if (!(states & kUnavailable)) {
        Add(set, State::Enabled);
        Add(set, State::Sensitive);
    }
    if (node == tree.Root()) {
        if (active) Add(set, State::Active);
        return set;
    }
    if (states & kFocusable) Add(set, State::Focusable);
    // Only the active window's focus is the user's focus.
    if ((states & kFocused) && active) Add(set, State::Focused);
    if (states & kPressed) Add(set, State::Pressed);
    if (states & kSelectable) Add(set, State::Selectable);
    if (states & kSelected) Add(set, State::Selected);
    const AccessibleRole kind = tree.Role(node);
    if (kind == AccessibleRole::CheckBox || kind == AccessibleRole::RadioButton) {
        Add(set, State::Checkable);
        if (states & kChecked) Add(set, State::Checked);
    }
    if (kind == AccessibleRole::EditableText) {
        Add(set, State::SingleLine);
        if (!(states & kUnavailable)) Add(set, State::Editable);
    }
    if (kind == AccessibleRole::ComboBox) {
        Add(set, State::Expandable);
        Add(set, State::HasPopup);
    }
    if (states & kReadOnly) Add(set, State::ReadOnly);
    return set;
}

std::vector<Relation> AtspiMapping::Relations(const AccessibleTree& tree, const AccessibleNode& node) const {
    std::vector<Relation> relations;
    if (!tree.Contains(node) || node == tree.Root() || node.item >= 0) return relations;
    const AccessibleRole kind = tree.Role(node);
    if (IsField(kind)) {
        const AccessibleNode before = tree.Previous(node);
        if (before && IsLabel(tree.Role(before))) relations.push_back({relation::kLabelledBy, before});
    } else if (IsLabel(kind)) {
        const AccessibleNode after = tree.Next(node);
        if (after && IsField(tree.Role(after))) relations.push_back({relation::kLabelFor, after});
    }
    return relations;
}

std::string AtspiMapping::ActionName(const AccessibleTree& tree, const AccessibleNode& node) const {
    if (!tree.Contains(node) || node == tree.Root()) return {};
    switch (tree.Role(node)) {
        case AccessibleRole::PushButton:
        case AccessibleRole::Link:
        case AccessibleRole::CheckBox:
        case AccessibleRole::RadioButton:
            return "click";
        case AccessibleRole::ComboBox: return "press";
        case AccessibleRole::ListItem:
        case AccessibleRole::PageTab:
            return "select";
        default: return {};
    }
}

std::u16string AtspiMapping::ActionDescription(const AccessibleTree& tree, const AccessibleNode& node) const {
    const std::u16string action = tree.DefaultAction(node);
    if (action == u"Press") return u"按下";
    if (action == u"Check") return u"勾选";
    if (action == u"Uncheck") return u"取消勾选";
    if (action == u"Open") return u"打开";
    if (action == u"Select") return u"选中";
    return {};
}

bool AtspiMapping::HasText(const AccessibleTree& tree, const AccessibleNode& node) const {
    if (node == tree.Root() || node.item >= 0) return false;
    const AccessibleRole kind = tree.Role(node);
    return kind == AccessibleRole::EditableText || kind == AccessibleRole::StaticText ||
           kind == AccessibleRole::HotKeyField;
}

bool AtspiMapping::HasValue(const AccessibleTree& tree, const AccessibleNode& node) const {
    return node != tree.Root() && node.item < 0 && tree.Role(node) == AccessibleRole::ProgressBar;
}

std::u16string AtspiMapping::Text(const AccessibleTree& tree, const AccessibleNode& node) const {
    if (!HasText(tree, node)) return {};
    if (const auto value = tree.Value(node)) return *value;
    return tree.Name(node);
}

std::vector<std::string> AtspiMapping::Interfaces(const AccessibleTree& tree, const AccessibleNode& node) const {
    std::vector<std::string> interfaces{"org.a11y.atspi.Accessible", "org.a11y.atspi.Component"};
    if (!ActionName(tree, node).empty()) interfaces.push_back("org.a11y.atspi.Action");
    if (HasText(tree, node)) interfaces.push_back("org.a11y.atspi.Text");
    if (HasValue(tree, node)) interfaces.push_back("org.a11y.atspi.Value");
    if (node != tree.Root() && node.item < 0 && tree.Role(node) == AccessibleRole::ComboBox) {
        interfaces.push_back("org.a11y.atspi.Selection");
    }
    return interfaces;
}

NodeKey AtspiMapping::KeyOf(const AccessibleTree& tree, const AccessibleNode& node) {
    if (node == tree.Root()) return {false, tree.Host().GetHwnd(), 0, -1};
    return {false, 0, node ? AccessibleId(*node.control) : 0, node.item};
}

std::string AtspiMapping::PathOf(const NodeKey& key) {
    if (key.application) return kRootPath;
    std::string path = std::string(kPathPrefix) + "/";
    if (key.window != 0) return path + "w" + std::to_string(key.window);
    path += "c" + std::to_string(key.control);
    if (key.item >= 0) path += "_" + std::to_string(key.item);
    return path;
}

std::optional<NodeKey> AtspiMapping::KeyOfPath(std::string_view path) {
    if (path == kRootPath) return NodeKey{true, 0, 0, -1};
    const std::string prefix = std::string(kPathPrefix) + "/";
    if (path.substr(0, prefix.size()) != prefix) return {};
    const std::string_view rest = path.substr(prefix.size());
    if (rest.size() < 2 || (rest[0] != 'w' && rest[0] != 'c')) return {};
    const bool window = rest[0] == 'w';
    const char* first = rest.data() + 1;
    const char* last = rest.data() + rest.size();
    std::uint64_t number = 0;
    auto [at, error] = std::from_chars(first, last, number);
    if (error != std::errc() || number == 0) return {};
    NodeKey key;
    if (window) {
        if (at != last) return {};
        key.window = static_cast<std::uintptr_t>(number);
        return key;
    }
    if (number > UINT32_MAX) return {};
    key.control = static_cast<std::uint32_t>(number);
    if (at == last) return key;
    if (*at != '_') return {};
    int item = -1;
    const auto [end, itemError] = std::from_chars(at + 1, last, item);
    if (itemError != std::errc() || end != last || item < 0) return {};
    key.item = item;
    return key;
}

TextRange AtspiMapping::TextAt(const std::u32string& text, int offset, Boundary boundary) {
    switch (boundary) {
        case Boundary::Char: return StringAt(text, offset, Granularity::Char);
        case Boundary::WordStart:
        case Boundary::WordEnd: return StringAt(text, offset, Granularity::Word);
        default: return StringAt(text, offset, Granularity::Line);
    }
}

TextRange AtspiMapping::StringAt(const std::u32string& text, int offset, Granularity granularity) {
    const int size = static_cast<int>(text.size());
    if (offset < 0 || offset > size) return {};
    switch (granularity) {
        case Granularity::Char:
            if (offset == size) return {{}, offset, offset};
            return {text.substr(static_cast<std::size_t>(offset), 1), offset, offset + 1};
        case Granularity::Word: return WordAt(text, offset);
        default: return {text, 0, size};  // our texts are one line each
    }
}

bool AtspiMapping::ListenerWants(std::string_view listener, std::string_view event) {
    const std::string wanted = Normalized(listener);
    const std::string happened = Normalized(event);
    if (wanted.empty()) return true;
    return happened == wanted ||
           (happened.size() > wanted.size() && happened.compare(0, wanted.size(), wanted) == 0 &&
            happened[wanted.size()] == ':');
}

}  // namespace zintra::ui::atspi
