// What a screen reader sees of zintra.exe, and what it can do, through MSAA
// alone: prints the accessible tree of every host window, does a node's
// default action, and logs the win events the program raises.
//
//   access_probe tree                      one JSON line per node of every shown host window
//   access_probe do <hwnd> <name> [<entry>]  default action of the node so named (or of its entry)
//   access_probe events <seconds> <file>   every object event of other processes, one JSON line each
#include <windows.h>

#include <oleacc.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string Utf8(const wchar_t* text, int length = -1) {
    if (text == nullptr) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), size, nullptr, nullptr);
    if (length < 0 && !out.empty()) out.pop_back();
    return out;
}

std::string Json(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

VARIANT Self() {
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}

std::string ReadText(IAccessible* node, HRESULT (STDMETHODCALLTYPE IAccessible::*read)(VARIANT, BSTR*)) {
    BSTR text = nullptr;
    if ((node->*read)(Self(), &text) != S_OK || text == nullptr) return "null";
    const std::string out = Json(Utf8(text, static_cast<int>(SysStringLen(text))));
    SysFreeString(text);
    return out;
}

std::string Describe(IAccessible* node) {
    VARIANT role;
    VARIANT state;
    VariantInit(&role);
    VariantInit(&state);
    node->get_accRole(Self(), &role);
    node->get_accState(Self(), &state);
    LONG left = 0, top = 0, width = 0, height = 0;
    node->accLocation(&left, &top, &width, &height, Self());
    char numbers[160];
    std::snprintf(numbers, sizeof numbers, "\"role\": %ld, \"state\": %ld, \"location\": [%ld, %ld, %ld, %ld]",
                  role.vt == VT_I4 ? role.lVal : -1L, state.vt == VT_I4 ? state.lVal : -1L, left, top, width, height);
    return std::string(numbers) + ", \"name\": " + ReadText(node, &IAccessible::get_accName) +
           ", \"value\": " + ReadText(node, &IAccessible::get_accValue) +
           ", \"action\": " + ReadText(node, &IAccessible::get_accDefaultAction);
}

std::vector<IAccessible*> Children(IAccessible* node) {
    std::vector<IAccessible*> children;
    LONG count = 0;
    if (FAILED(node->get_accChildCount(&count))) return children;
    for (LONG i = 1; i <= count; ++i) {
        VARIANT which;
        VariantInit(&which);
        which.vt = VT_I4;
        which.lVal = i;
        IDispatch* dispatch = nullptr;
        if (node->get_accChild(which, &dispatch) != S_OK || dispatch == nullptr) continue;
        IAccessible* child = nullptr;
        if (SUCCEEDED(dispatch->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&child)))) {
            children.push_back(child);
        }
        dispatch->Release();
    }
    return children;
}

void Print(HWND window, IAccessible* node, const std::string& path, int depth) {
    std::printf("{\"hwnd\": %llu, \"path\": [%s], \"depth\": %d, %s}\n",
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)), path.c_str(), depth,
                Describe(node).c_str());
    int index = 0;
    for (IAccessible* child : Children(node)) {
        ++index;
        Print(window, child, path.empty() ? std::to_string(index) : path + ", " + std::to_string(index), depth + 1);
        child->Release();
    }
}

std::vector<HWND> HostWindows() {
    std::vector<HWND> windows;
    EnumWindows(
        [](HWND window, LPARAM found) -> BOOL {
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (IsWindowVisible(window) && std::wstring(name) == L"ZUIHOST") {
                reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

IAccessible* ClientOf(HWND window) {
    IAccessible* client = nullptr;
    const HRESULT result = AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                                      reinterpret_cast<void**>(&client));
    if (FAILED(result)) {
        std::fprintf(stderr, "AccessibleObjectFromWindow failed: 0x%08lx\n", static_cast<unsigned long>(result));
        return nullptr;
    }
    return client;
}

std::string NameOf(IAccessible* node) {
    BSTR text = nullptr;
    if (node->get_accName(Self(), &text) != S_OK || text == nullptr) return {};
    const std::string out = Utf8(text, static_cast<int>(SysStringLen(text)));
    SysFreeString(text);
    return out;
}

IAccessible* ChildNamed(IAccessible* node, const std::string& name) {
    IAccessible* found = nullptr;
    for (IAccessible* child : Children(node)) {
        if (found == nullptr && NameOf(child) == name) {
            found = child;
        } else {
            child->Release();
        }
    }
    return found;
}

int Tree() {
    for (HWND window : HostWindows()) {
        if (IAccessible* client = ClientOf(window)) {
            Print(window, client, "", 0);
            client->Release();
        }
    }
    return 0;
}

bool HasDefaultAction(IAccessible* node) {
    BSTR text = nullptr;
    const bool has = node->get_accDefaultAction(Self(), &text) == S_OK && text != nullptr && SysStringLen(text) > 0;
    SysFreeString(text);
    return has;
}

// The first child named `name` that has an entry named `entry`, if given, or
// else a default action: a label and the list it names may share a name.
IAccessible* Choose(IAccessible* client, const std::string& name, const std::string& entry) {
    IAccessible* chosen = nullptr;
    for (IAccessible* child : Children(client)) {
        if (chosen == nullptr && NameOf(child) == name) {
            if (entry.empty() && HasDefaultAction(child)) {
                chosen = child;
                continue;
            }
            if (IAccessible* inner = ChildNamed(child, entry)) {
                chosen = inner;
            }
        }
        child->Release();
    }
    return chosen;
}

int Do(HWND window, const std::string& name, const std::string& entry) {
    IAccessible* client = ClientOf(window);
    if (client == nullptr) return 2;
    IAccessible* node = Choose(client, name, entry);
    client->Release();
    if (node == nullptr) {
        std::fprintf(stderr, "no node %s %s\n", name.c_str(), entry.c_str());
        return 3;
    }
    const HRESULT result = node->accDoDefaultAction(Self());
    std::printf("{\"result\": %ld, %s}\n", static_cast<long>(result), Describe(node).c_str());
    node->Release();
    return SUCCEEDED(result) ? 0 : 4;
}

struct Event {
    DWORD event;
    HWND window;
    LONG child;
};
std::vector<Event>* g_events = nullptr;

// Only noted here: asking the program about the node would let the next
// event in while this one waits, and the log would come out of order.
void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (g_events != nullptr && object == OBJID_CLIENT) g_events->push_back({event, window, child});
}

std::string NameOfEvent(const Event& event) {
    IAccessible* node = nullptr;
    VARIANT which;
    VariantInit(&which);
    if (FAILED(AccessibleObjectFromEvent(event.window, static_cast<DWORD>(OBJID_CLIENT), static_cast<DWORD>(event.child),
                                         &node, &which)) ||
        node == nullptr) {
        return "null";
    }
    std::string name = "null";
    BSTR text = nullptr;
    if (node->get_accName(which, &text) == S_OK && text != nullptr) {
        name = Json(Utf8(text, static_cast<int>(SysStringLen(text))));
        SysFreeString(text);
    }
    node->Release();
    return name;
}

int Events(int seconds, const wchar_t* path) {
    FILE* log = _wfopen(path, L"w");
    if (log == nullptr) return 2;
    std::vector<Event> events;
    g_events = &events;
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_END, nullptr, OnEvent, 0, 0,
                                         WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    std::fprintf(log, "{\"hooked\": %s}\n", hook != nullptr ? "true" : "false");
    std::fflush(log);
    const DWORD end = GetTickCount() + static_cast<DWORD>(seconds) * 1000;
    while (GetTickCount() < end) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    if (hook != nullptr) UnhookWinEvent(hook);
    g_events = nullptr;
    for (const Event& event : events) {
        std::fprintf(log, "{\"event\": %lu, \"hwnd\": %llu, \"child\": %ld, \"name\": %s}\n", event.event,
                     static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(event.window)), event.child,
                     NameOfEvent(event).c_str());
    }
    std::fclose(log);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int result = 1;
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"tree") {
        result = Tree();
    } else if (command == L"do" && argc >= 4) {
        const HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::wcstoull(argv[2], nullptr, 10)));
        result = Do(window, Utf8(argv[3]), argc > 4 ? Utf8(argv[4]) : "");
    } else if (command == L"events" && argc >= 4) {
        result = Events(_wtoi(argv[2]), argv[3]);
    } else {
        std::fprintf(stderr, "usage: access_probe tree | do <hwnd> <name> [<entry>] | events <seconds> <file>\n");
    }
    CoUninitialize();
    return result;
}
