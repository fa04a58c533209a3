#include "ui/core/Accessible.h"

#include <algorithm>
#include <string>

#include "ui/core/KeyboardNavigation.h"
#include "ui/core/SHostWnd.h"
#include "ui/core/SWindow.h"
#include "base/TextUtil.h"

namespace zintra::ui {

namespace {

AccessibleObserver* g_observer = nullptr;

// Never destroyed: windows may close while static objects are destroyed.
std::vector<SHostWnd*>& OpenHosts() {
    static auto* hosts = new std::vector<SHostWnd*>;
    return *hosts;
}

// Visible controls with a role below `window`, in document order; the pages
// of a tab control are not nodes, so what the shown page holds follows the
// tab list at the same level.
void Collect(SWindow& window, std::vector<AccessibleNode>& out) {
    for (const auto& child : window.GetChildren()) {
        if (!child->IsVisible(false)) continue;
        const auto role = child->GetAccessibleRole();
        if (role) out.push_back({child.get(), -1});
        if (!role || *role == AccessibleRole::PageTabList) Collect(*child, out);
    }
}

platform::Point Centre(const platform::Rect& rect) { return {rect.left + rect.Width() / 2, rect.top + rect.Height() / 2}; }

// What a click at its centre does: the pointer path, unchanged.
void Click(SWindow& control) {
    const platform::Point centre = Centre(control.GetWindowRect());
    control.OnLButtonDown(centre);
    control.OnLButtonUp(centre);
}

}  // namespace

AccessibleObserver* SetAccessibleObserver(AccessibleObserver* observer) {
    AccessibleObserver* previous = g_observer;
    g_observer = observer;
    return previous;
}

void NotifyAccessible(SWindow& control, AccessibleEvent event) {
    if (g_observer == nullptr) return;
    if (SHostWnd* host = control.GetHost(); host != nullptr && host->GetHwnd() != 0) {
        g_observer->OnAccessibleEvent(*host, control, event);
    }
}

void NotifyAccessibleWindow(SHostWnd& host, AccessibleWindowEvent event) {
    auto& hosts = OpenHosts();
    const auto it = std::find(hosts.begin(), hosts.end(), &host);
    if (event == AccessibleWindowEvent::Opened && it == hosts.end()) hosts.push_back(&host);
    // Told before the host goes from the list, so the observer can still
    // say which child of the application it was.
    if (g_observer != nullptr && (event == AccessibleWindowEvent::Opened || it != hosts.end())) {
        g_observer->OnAccessibleWindow(host, event);
    }
    if (event == AccessibleWindowEvent::Closed) {
        const auto closed = std::find(hosts.begin(), hosts.end(), &host);
        if (closed != hosts.end()) hosts.erase(closed);
    }
}

const std::vector<SHostWnd*>& AccessibleHosts() { return OpenHosts(); }

std::uint32_t AccessibleId(const SWindow& control) { return control.GetUniqueId(); }

// ---- Structure ----

AccessibleNode AccessibleTree::Root() const { return {host_.GetRoot(), -1}; }

std::vector<AccessibleNode> AccessibleTree::Children(const AccessibleNode& node) const {
    std::vector<AccessibleNode> children;
    if (!node || node.item >= 0) return children;
    if (node == Root()) {
        Collect(*node.control, children);
        return children;
    }
    for (int i = 0; i < node.control->GetAccessibleItemCount(); ++i) children.push_back({node.control, i});
    return children;
}

std::vector<AccessibleNode> AccessibleTree::AllNodes() const {
    std::vector<AccessibleNode> all;
    for (const AccessibleNode& node : Children(Root())) {
        all.push_back(node);
        for (const AccessibleNode& child : Children(node)) all.push_back(child);
    }
    return all;
}

bool AccessibleTree::Contains(const AccessibleNode& node) const {
    if (!node) return false;
    if (node == Root()) return true;
    const auto all = AllNodes();
    return std::find(all.begin(), all.end(), node) != all.end();
}

AccessibleNode AccessibleTree::Parent(const AccessibleNode& node) const {
    if (!node || node == Root()) return {};
    if (node.item >= 0) return {node.control, -1};
    return Root();
}

namespace {
AccessibleNode Sibling(const std::vector<AccessibleNode>& siblings, const AccessibleNode& node, int step) {
    const auto it = std::find(siblings.begin(), siblings.end(), node);
    if (it == siblings.end()) return {};
    const auto index = (it - siblings.begin()) + step;
    if (index < 0 || index >= static_cast<std::ptrdiff_t>(siblings.size())) return {};
    return siblings[static_cast<std::size_t>(index)];
}
}  // namespace

AccessibleNode AccessibleTree::Next(const AccessibleNode& node) const { return Sibling(Children(Parent(node)), node, 1); }

AccessibleNode AccessibleTree::Previous(const AccessibleNode& node) const {
    return Sibling(Children(Parent(node)), node, -1);
}

AccessibleNode AccessibleTree::NodeFor(SWindow& control) const {
    const auto all = Children(Root());
    for (SWindow* w = &control; w != nullptr; w = w->GetParent()) {
        if (w == host_.GetRoot()) return Root();
        const AccessibleNode node{w, -1};
        if (std::find(all.begin(), all.end(), node) != all.end()) return node;
    }
    return {};
}

// ---- Properties ----

AccessibleRole AccessibleTree::Role(const AccessibleNode& node) const {
    if (node == Root()) return AccessibleRole::Client;
    if (node.control == nullptr) return AccessibleRole::StaticText;
    const auto role = node.control->GetAccessibleRole();
    if (node.item >= 0) return role == AccessibleRole::PageTabList ? AccessibleRole::PageTab : AccessibleRole::ListItem;
    return role.value_or(AccessibleRole::StaticText);
}

std::u16string AccessibleTree::Name(const AccessibleNode& node) const {
    if (!node) return {};
    if (node == Root()) return host_.GetHostAttributes().title;
    if (node.item >= 0) return node.control->GetAccessibleItemName(node.item);
    SWindow& control = *node.control;
    // A picture that stands for words says them through its layout.
    if (const auto name = control.GetAttribute("accName")) return Utf8ToUtf16(*name);
    // A tab list reads as the page it shows.
    if (const AccessibleNode selected = Selection(node); selected && Role(node) == AccessibleRole::PageTabList) {
        return Name(selected);
    }
    const AccessibleRole role = Role(node);
    // Fields show their value, not their name: the label before them names them.
    const bool labelled = role == AccessibleRole::EditableText || role == AccessibleRole::HotKeyField ||
                          role == AccessibleRole::ComboBox;
    if (!labelled && !control.GetWindowText().empty()) return control.GetWindowText();
    if (!control.GetToolTipText().empty()) return control.GetToolTipText();
    if (!labelled) return {};
    const AccessibleNode before = Previous(node);
    if (before && (Role(before) == AccessibleRole::StaticText || Role(before) == AccessibleRole::CheckBox)) {
        return before.control->GetWindowText();
    }
    return {};
}

std::optional<std::u16string> AccessibleTree::Value(const AccessibleNode& node) const {
    if (!node || node.item >= 0 || node == Root()) return std::nullopt;
    return node.control->GetAccessibleValue();
}

std::uint32_t AccessibleTree::States(const AccessibleNode& node) const {
    using namespace accessible_state;
    if (!node) return kInvisible | kUnavailable;
    const SWindow& control = *node.control;
    std::uint32_t states = 0;
    if (!control.IsVisible(true)) states |= kInvisible;
    if (control.IsDisabled(true)) states |= kUnavailable;
    if (node.item >= 0) {
        states |= kSelectable;
        const auto screen = control.GetAccessibleItemScreenRect(node.item);
        if (screen && (screen->Width() <= 0 || screen->Height() <= 0)) states |= kInvisible | kOffscreen;
        if (control.GetAccessibleSelection() == node.item) states |= kSelected;
        return states;
    }
    if (node == Root()) return states;
    if (IsKeyboardOperable(control)) states |= kFocusable;
    if (control.IsFocused()) states |= kFocused;
    if (control.IsPushed()) states |= kPressed;
    const AccessibleRole role = Role(node);
    if ((role == AccessibleRole::CheckBox || role == AccessibleRole::RadioButton) && control.IsChecked()) {
        states |= kChecked;
    }
    if (role == AccessibleRole::StaticText) states |= kReadOnly;
    return states;
}

platform::Rect AccessibleTree::ScreenRect(const AccessibleNode& node) const {
    if (!node) return {};
    if (node.item >= 0) {
        if (const auto screen = node.control->GetAccessibleItemScreenRect(node.item)) return *screen;
    }
    platform::Rect rect;
    if (node == Root()) {
        rect = {0, 0, host_.GetClientSize().width, host_.GetClientSize().height};
    } else if (node.item >= 0) {
        rect = node.control->GetAccessibleItemRect(node.item);
    } else {
        host_.EnsureLayout();
        rect = node.control->GetWindowRect();
    }
    const platform::Point topLeft = host_.ClientToScreen({rect.left, rect.top});
    const platform::Point bottomRight = host_.ClientToScreen({rect.right, rect.bottom});
    return {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

// ---- Actions ----

std::u16string AccessibleTree::DefaultAction(const AccessibleNode& node) const {
    if (!node || node == Root()) return {};
    switch (Role(node)) {
        case AccessibleRole::PushButton:
        case AccessibleRole::Link:
            return u"Press";
        case AccessibleRole::CheckBox:
            return node.control->IsChecked() ? u"Uncheck" : u"Check";
        case AccessibleRole::RadioButton:
            return u"Check";
        case AccessibleRole::ComboBox:
            return u"Open";
        case AccessibleRole::ListItem:
        case AccessibleRole::PageTab:
            return u"Select";
        default:
            return {};
    }
}

bool AccessibleTree::DoDefaultAction(const AccessibleNode& node) const {
    if (!Contains(node) || node == Root()) return false;
    if (node.control->IsDisabled(true)) return false;
    switch (Role(node)) {
        case AccessibleRole::PushButton:
        case AccessibleRole::Link:
        case AccessibleRole::CheckBox:
        case AccessibleRole::RadioButton:
            Click(*node.control);
            return true;
        case AccessibleRole::ComboBox:
            node.control->SetFocus();
            node.control->OpenDropDown();
            return true;
        case AccessibleRole::ListItem:
        case AccessibleRole::PageTab:
            node.control->SelectAccessibleItem(node.item);
            return true;
        default:
            return false;
    }
}

bool AccessibleTree::Select(const AccessibleNode& node) const {
    if (!Contains(node) || node == Root() || node.control->IsDisabled(true)) return false;
    if (node.item >= 0) return DoDefaultAction(node);
    if (!IsKeyboardOperable(*node.control)) return false;
    node.control->SetFocus();
    return true;
}

AccessibleNode AccessibleTree::Focus() const {
    SWindow* focus = host_.GetFocus();
    return focus != nullptr ? NodeFor(*focus) : AccessibleNode{};
}

AccessibleNode AccessibleTree::Selection(const AccessibleNode& node) const {
    if (!node || node.item >= 0) return {};
    const int selected = node.control->GetAccessibleSelection();
    return selected >= 0 ? AccessibleNode{node.control, selected} : AccessibleNode{};
}

AccessibleNode AccessibleTree::HitTest(platform::Point screenPoint) const {
    if (!ScreenRect(Root()).Contains(screenPoint)) return {};
    AccessibleNode found = Root();
    // Later nodes lie on top of earlier ones; entries on top of their control.
    for (const AccessibleNode& node : AllNodes()) {
        if (ScreenRect(node).Contains(screenPoint) && !(States(node) & accessible_state::kInvisible)) {
            if (node.item < 0 || Role(node) == AccessibleRole::PageTab) found = node;
        }
    }
    return found;
}

}  // namespace zintra::ui
