#include "ui/win32/Win32Accessible.h"

#include <oleacc.h>

#include <map>
#include <string>

#include "ui/core/Accessible.h"
#include "ui/core/SHostWnd.h"
#include "ui/core/SWindow.h"

namespace zintra::ui::win32_accessible {

namespace {

// Host windows that have handed out objects, so an object can tell whether
// its window still exists.
// Never destroyed: windows may still go while static objects are destroyed.
std::map<HWND, SHostWnd*>& Hosts() {
    static auto* hosts = new std::map<HWND, SHostWnd*>;
    return *hosts;
}

SHostWnd* HostOf(HWND hwnd) {
    const auto it = Hosts().find(hwnd);
    return it != Hosts().end() ? it->second : nullptr;
}

// A node by the numbers an object keeps: the control's number (0 for the
// window itself) and an item index or -1.
AccessibleNode FindNode(const AccessibleTree& tree, std::uint32_t control, int item) {
    if (control == 0) return tree.Root();
    for (const AccessibleNode& node : tree.AllNodes()) {
        if (AccessibleId(*node.control) == control && node.item == item) return node;
    }
    return {};
}

LONG Role(AccessibleRole role) {
    switch (role) {
        case AccessibleRole::Client: return ROLE_SYSTEM_CLIENT;
        case AccessibleRole::PushButton: return ROLE_SYSTEM_PUSHBUTTON;
        case AccessibleRole::CheckBox: return ROLE_SYSTEM_CHECKBUTTON;
        case AccessibleRole::RadioButton: return ROLE_SYSTEM_RADIOBUTTON;
        case AccessibleRole::ComboBox: return ROLE_SYSTEM_COMBOBOX;
        case AccessibleRole::ListItem: return ROLE_SYSTEM_LISTITEM;
        case AccessibleRole::EditableText: return ROLE_SYSTEM_TEXT;
        case AccessibleRole::StaticText: return ROLE_SYSTEM_STATICTEXT;
        case AccessibleRole::PageTabList: return ROLE_SYSTEM_PAGETABLIST;
        case AccessibleRole::PageTab: return ROLE_SYSTEM_PAGETAB;
        case AccessibleRole::ProgressBar: return ROLE_SYSTEM_PROGRESSBAR;
        case AccessibleRole::Link: return ROLE_SYSTEM_LINK;
        case AccessibleRole::HotKeyField: return ROLE_SYSTEM_HOTKEYFIELD;
    }
    return ROLE_SYSTEM_CLIENT;
}

LONG States(std::uint32_t states) {
    using namespace accessible_state;
    LONG out = 0;
    if (states & kChecked) out |= STATE_SYSTEM_CHECKED;
    if (states & kUnavailable) out |= STATE_SYSTEM_UNAVAILABLE;
    if (states & kFocused) out |= STATE_SYSTEM_FOCUSED;
    if (states & kFocusable) out |= STATE_SYSTEM_FOCUSABLE;
    if (states & kInvisible) out |= STATE_SYSTEM_INVISIBLE;
    if (states & kPressed) out |= STATE_SYSTEM_PRESSED;
    if (states & kSelected) out |= STATE_SYSTEM_SELECTED;
    if (states & kSelectable) out |= STATE_SYSTEM_SELECTABLE;
    if (states & kReadOnly) out |= STATE_SYSTEM_READONLY;
    if (states & kOffscreen) out |= STATE_SYSTEM_OFFSCREEN;
    return out;
}

BSTR ToBstr(const std::u16string& text) {
    return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
}

// One node of one host window. It keeps numbers, not pointers, and looks its
// node up on every call, so it outlives controls and windows safely.
class NodeObject final : public IAccessible {
public:
    NodeObject(HWND hwnd, std::uint32_t control, int item) : hwnd_(hwnd), control_(control), item_(item) {}

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == __uuidof(IAccessible)) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    // IDispatch: clients use the interface's own methods.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        if (parent == nullptr) return E_POINTER;
        *parent = nullptr;
        AccessibleTree* tree = Tree();
        if (tree == nullptr) return CO_E_OBJNOTCONNECTED;
        const AccessibleNode self = Self(*tree);
        if (!self) return CO_E_OBJNOTCONNECTED;
        if (self == tree->Root()) {
            return AccessibleObjectFromWindow(hwnd_, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                              reinterpret_cast<void**>(parent));
        }
        *parent = MakeObject(tree->Parent(self));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        if (count == nullptr) return E_POINTER;
        AccessibleTree* tree = Tree();
        const AccessibleNode self = tree != nullptr ? Self(*tree) : AccessibleNode{};
        if (!self) return CO_E_OBJNOTCONNECTED;
        *count = static_cast<LONG>(tree->Children(self).size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        AccessibleTree* tree = Tree();
        if (tree == nullptr) return CO_E_OBJNOTCONNECTED;
        const AccessibleNode node = Target(*tree, child);
        if (!node) return E_INVALIDARG;
        if (node == Self(*tree)) return S_FALSE;
        *object = MakeObject(node);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        return Text(child, name, [](const AccessibleTree& tree, const AccessibleNode& node) {
            return std::optional<std::u16string>(tree.Name(node));
        });
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return Text(child, value, [](const AccessibleTree& tree, const AccessibleNode& node) { return tree.Value(node); });
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* text) override { return Nothing(text); }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (role == nullptr) return E_POINTER;
        VariantInit(role);
        AccessibleTree* tree = Tree();
        const AccessibleNode node = tree != nullptr ? Target(*tree, child) : AccessibleNode{};
        if (!node) return tree == nullptr ? CO_E_OBJNOTCONNECTED : E_INVALIDARG;
        role->vt = VT_I4;
        role->lVal = Role(tree->Role(node));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (state == nullptr) return E_POINTER;
        VariantInit(state);
        AccessibleTree* tree = Tree();
        const AccessibleNode node = tree != nullptr ? Target(*tree, child) : AccessibleNode{};
        state->vt = VT_I4;
        if (!node) {
            state->lVal = STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_UNAVAILABLE;
            return tree == nullptr ? S_OK : E_INVALIDARG;
        }
        LONG states = States(tree->States(node));
        if (node == tree->Root() && GetFocus() == hwnd_ && tree->Host().GetFocus() == nullptr) states |= STATE_SYSTEM_FOCUSED;
        state->lVal = states;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* text) override { return Nothing(text); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override {
        if (file != nullptr) *file = nullptr;
        if (topic != nullptr) *topic = 0;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* text) override { return Nothing(text); }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        if (focus == nullptr) return E_POINTER;
        VariantInit(focus);
        AccessibleTree* tree = Tree();
        if (tree == nullptr) return CO_E_OBJNOTCONNECTED;
        return Answer(*tree, tree->Focus(), focus);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        if (selection == nullptr) return E_POINTER;
        VariantInit(selection);
        AccessibleTree* tree = Tree();
        const AccessibleNode self = tree != nullptr ? Self(*tree) : AccessibleNode{};
        if (!self) return CO_E_OBJNOTCONNECTED;
        return Answer(*tree, tree->Selection(self), selection);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return Text(child, action, [](const AccessibleTree& tree, const AccessibleNode& node) {
            const std::u16string text = tree.DefaultAction(node);
            return text.empty() ? std::nullopt : std::optional<std::u16string>(text);
        });
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
        AccessibleTree* tree = Tree();
        const AccessibleNode node = tree != nullptr ? Target(*tree, child) : AccessibleNode{};
        if (!node) return tree == nullptr ? CO_E_OBJNOTCONNECTED : E_INVALIDARG;
        if (flags & (SELFLAG_TAKESELECTION | SELFLAG_ADDSELECTION)) {
            if (node.item < 0) return E_INVALIDARG;
            return Post(node) ? S_OK : E_FAIL;
        }
        if (flags & SELFLAG_TAKEFOCUS) return tree->Select(node) ? S_OK : S_FALSE;
        return E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override {
        if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) return E_POINTER;
        AccessibleTree* tree = Tree();
        const AccessibleNode node = tree != nullptr ? Target(*tree, child) : AccessibleNode{};
        if (!node) return tree == nullptr ? CO_E_OBJNOTCONNECTED : E_INVALIDARG;
        const platform::Rect rect = tree->ScreenRect(node);
        *left = rect.left;
        *top = rect.top;
        *width = rect.Width();
        *height = rect.Height();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        if (end == nullptr) return E_POINTER;
        VariantInit(end);
        AccessibleTree* tree = Tree();
        const AccessibleNode node = tree != nullptr ? Target(*tree, start) : AccessibleNode{};
        if (!node) return tree == nullptr ? CO_E_OBJNOTCONNECTED : E_INVALIDARG;
        AccessibleNode found;
        switch (direction) {
            case NAVDIR_NEXT: found = tree->Next(node); break;
            case NAVDIR_PREVIOUS: found = tree->Previous(node); break;
            case NAVDIR_FIRSTCHILD:
            case NAVDIR_LASTCHILD: {
                const auto children = tree->Children(node);
                if (!children.empty()) found = direction == NAVDIR_FIRSTCHILD ? children.front() : children.back();
                break;
            }
            default: return E_NOTIMPL;
        }
        if (!found) return S_FALSE;
        end->vt = VT_DISPATCH;
        end->pdispVal = MakeObject(found);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* hit) override {
        if (hit == nullptr) return E_POINTER;
        VariantInit(hit);
        AccessibleTree* tree = Tree();
        if (tree == nullptr) return CO_E_OBJNOTCONNECTED;
        return Answer(*tree, tree->HitTest({static_cast<int>(x), static_cast<int>(y)}), hit);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        AccessibleTree* tree = Tree();
        const AccessibleNode node = tree != nullptr ? Target(*tree, child) : AccessibleNode{};
        if (!node) return tree == nullptr ? CO_E_OBJNOTCONNECTED : E_INVALIDARG;
        if (tree->DefaultAction(node).empty()) return DISP_E_MEMBERNOTFOUND;
        if (tree->States(node) & accessible_state::kUnavailable) return E_FAIL;
        return Post(node) ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    AccessibleTree* Tree() {
        SHostWnd* host = HostOf(hwnd_);
        if (host == nullptr || host->GetRoot() == nullptr) return nullptr;
        tree_.emplace(*host);
        return &*tree_;
    }
    AccessibleNode Self(const AccessibleTree& tree) const { return FindNode(tree, control_, item_); }
    // The node a child id names: CHILDID_SELF this one, 1..n its children,
    // a negative id any control of the window by its number (as in events).
    AccessibleNode Target(const AccessibleTree& tree, const VARIANT& child) const {
        const AccessibleNode self = Self(tree);
        if (!self || child.vt != VT_I4) return {};
        if (child.lVal == CHILDID_SELF) return self;
        if (child.lVal > 0) {
            const auto children = tree.Children(self);
            const auto index = static_cast<std::size_t>(child.lVal - 1);
            return index < children.size() ? children[index] : AccessibleNode{};
        }
        return FindNode(tree, static_cast<std::uint32_t>(-child.lVal), -1);
    }
    IDispatch* MakeObject(const AccessibleNode& node) const {
        if (!node) return nullptr;
        const std::uint32_t control = node == tree_->Root() ? 0 : AccessibleId(*node.control);
        return new NodeObject(hwnd_, control, node.item);
    }
    HRESULT Answer(const AccessibleTree& tree, const AccessibleNode& node, VARIANT* out) const {
        if (!node) return S_FALSE;
        if (node == Self(tree)) {
            out->vt = VT_I4;
            out->lVal = CHILDID_SELF;
            return S_OK;
        }
        out->vt = VT_DISPATCH;
        out->pdispVal = MakeObject(node);
        return S_OK;
    }
    template <typename Read>
    HRESULT Text(const VARIANT& child, BSTR* out, Read read) {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        AccessibleTree* tree = Tree();
        const AccessibleNode node = tree != nullptr ? Target(*tree, child) : AccessibleNode{};
        if (!node) return tree == nullptr ? CO_E_OBJNOTCONNECTED : E_INVALIDARG;
        const std::optional<std::u16string> text = read(*tree, node);
        if (!text) return S_FALSE;
        *out = ToBstr(*text);
        return S_OK;
    }
    static HRESULT Nothing(BSTR* text) {
        if (text != nullptr) *text = nullptr;
        return S_FALSE;
    }
    bool Post(const AccessibleNode& node) const {
        const std::uint32_t control = node == tree_->Root() ? 0 : AccessibleId(*node.control);
        return PostMessageW(hwnd_, kDefaultActionMessage, control, node.item + 1) != FALSE;
    }

    HWND hwnd_;
    std::uint32_t control_;
    int item_;
    ULONG references_ = 1;
    std::optional<AccessibleTree> tree_;
};

class EventObserver final : public AccessibleObserver {
public:
    void OnAccessibleEvent(SHostWnd& host, SWindow& control, AccessibleEvent event) override {
        const HWND hwnd = reinterpret_cast<HWND>(host.GetHwnd());
        if (hwnd == nullptr) return;
        const AccessibleTree tree(host);
        LONG child = CHILDID_SELF;
        if (event == AccessibleEvent::Show || event == AccessibleEvent::Hide) {
            child = -static_cast<LONG>(AccessibleId(control));
        } else {
            const AccessibleNode node = tree.NodeFor(control);
            if (!node) return;
            if (node != tree.Root()) child = -static_cast<LONG>(AccessibleId(*node.control));
        }
        NotifyWinEvent(EventId(event), hwnd, OBJID_CLIENT, child);
    }

private:
    static DWORD EventId(AccessibleEvent event) {
        switch (event) {
            case AccessibleEvent::Focus: return EVENT_OBJECT_FOCUS;
            case AccessibleEvent::StateChange: return EVENT_OBJECT_STATECHANGE;
            case AccessibleEvent::ValueChange: return EVENT_OBJECT_VALUECHANGE;
            case AccessibleEvent::NameChange: return EVENT_OBJECT_NAMECHANGE;
            case AccessibleEvent::Show: return EVENT_OBJECT_SHOW;
            case AccessibleEvent::Hide: return EVENT_OBJECT_HIDE;
            case AccessibleEvent::Selection: return EVENT_OBJECT_SELECTION;
        }
        return EVENT_OBJECT_STATECHANGE;
    }
};

}  // namespace

std::optional<LRESULT> AnswerGetObject(HWND hwnd, SHostWnd& host, WPARAM wParam, LPARAM lParam) {
    if (static_cast<LONG>(lParam) != static_cast<LONG>(OBJID_CLIENT)) return std::nullopt;
    Hosts()[hwnd] = &host;
    auto* object = new NodeObject(hwnd, 0, -1);
    const LRESULT result = LresultFromObject(__uuidof(IAccessible), wParam, object);
    object->Release();
    if (FAILED(static_cast<HRESULT>(result))) OutputDebugStringA("zintra: LresultFromObject failed\n");
    return result;
}

void RunDefaultAction(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    SHostWnd* host = HostOf(hwnd);
    if (host == nullptr || host->GetRoot() == nullptr) return;
    const AccessibleTree tree(*host);
    const AccessibleNode node = FindNode(tree, static_cast<std::uint32_t>(wParam), static_cast<int>(lParam) - 1);
    if (node) tree.DoDefaultAction(node);
}

void ForgetWindow(HWND hwnd) { Hosts().erase(hwnd); }

void InstallEventObserver() {
    // Never destroyed, like the map above: controls may change until the end.
    static auto* observer = new EventObserver;
    SetAccessibleObserver(observer);
}

}  // namespace zintra::ui::win32_accessible
