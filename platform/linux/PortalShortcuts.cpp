#include "platform/linux/PortalShortcuts.h"

#include <cctype>
#include <cstdio>

namespace zintra::platform::linux_x11 {

namespace {

constexpr const char* kGlobalShortcuts = "org.freedesktop.portal.GlobalShortcuts";
constexpr char kDescription[] = "开始/停止连点";

std::string Plain(const std::string& text) {
    std::string plain;
    for (char c : text) {
        if (c != ' ') plain += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return plain;
}

}  // namespace

bool OtherKeys(const std::string& trigger, const std::string& description) {
    return !description.empty() && Plain(trigger) != Plain(description);
}

PortalShortcuts::~PortalShortcuts() { sd_bus_slot_unref(activatedMatch_); }

void PortalShortcuts::Attach(SessionBus& bus) { bus_ = &bus; }

std::string PortalShortcuts::OtherDesktopKeys() const {
    return Bound() && OtherKeys(trigger_, desktopTrigger_) ? desktopTrigger_ : std::string();
}

void PortalShortcuts::Bind(const std::string& trigger, std::function<void()> activated,
                           std::function<void()> settled) {
    Unbind();
    sd_bus* bus = bus_ != nullptr ? bus_->Get() : nullptr;
    if (bus == nullptr || trigger.empty()) {
        state_ = State::NotBound;
        return;
    }
    trigger_ = trigger;
    activated_ = std::move(activated);
    settled_ = std::move(settled);
    state_ = State::Asking;
    if (activatedMatch_ == nullptr) {
        sd_bus_match_signal_async(bus, &activatedMatch_, nullptr, kPortalPath, kGlobalShortcuts, "Activated",
                                  &PortalShortcuts::OnActivated, nullptr, this);
    }
    const bool sent = requests_.Call(
        bus, kGlobalShortcuts, "CreateSession",
        [this](sd_bus_message* call, const std::string& token) {
            int r = sd_bus_message_open_container(call, 'a', "{sv}");
            if (r >= 0) r = PortalRequests::AppendHandleToken(call, token);
            if (r >= 0) r = sd_bus_message_append(call, "{sv}", "session_handle_token", "s", "zintrakeys");
            // KDE Plasma 5.27 binds only the shortcuts named here, and its
            // BindShortcuts opens the desktop's settings instead.
            if (r >= 0) r = sd_bus_message_open_container(call, 'e', "sv");
            if (r >= 0) r = sd_bus_message_append(call, "s", "shortcuts");
            if (r >= 0) r = sd_bus_message_open_container(call, 'v', "a(sa{sv})");
            if (r >= 0) r = AppendShortcuts(call);
            if (r >= 0) r = sd_bus_message_close_container(call);
            if (r >= 0) r = sd_bus_message_close_container(call);
            if (r >= 0) r = sd_bus_message_close_container(call);
            return r;
        },
        [this](std::uint32_t code, sd_bus_message* results) {
            // No such portal here: the command line and X11 keys remain.
            if (code != portal::kGranted) return Settle(State::NotBound);
            bool listed = false;
            ReadVardict(results, [this, &listed](const std::string& key, sd_bus_message* value) {
                const char* handle = nullptr;
                if (key == "session_handle" && (sd_bus_message_read(value, "s", &handle) >= 0 ||
                                                sd_bus_message_read(value, "o", &handle) >= 0)) {
                    session_ = handle;
                }
                if (key == "shortcuts") listed = ReadShortcuts(value) || listed;
            });
            if (session_.empty()) return Settle(State::NotBound);
            // Bound already with the session: asking again would open the desktop's settings.
            if (listed) return Settle(State::Bound);
            BindShortcut();
        });
    if (!sent) state_ = State::NotBound;
}

void PortalShortcuts::Settle(State state) {
    state_ = state;
    if (state == State::NotBound) {
        std::fputs("zintra: the desktop did not bind the start/stop shortcut; the hotkey works only in X11 "
                   "windows, `zintra --toggle` everywhere\n",
                   stderr);
    } else if (!OtherDesktopKeys().empty()) {
        std::fprintf(stderr, "zintra: the desktop bound the start/stop shortcut to %s, not %s\n",
                     desktopTrigger_.c_str(), trigger_.c_str());
    }
    if (settled_) settled_();
}

int PortalShortcuts::AppendShortcuts(sd_bus_message* call) const {
    int r = sd_bus_message_open_container(call, 'a', "(sa{sv})");
    if (r >= 0) r = sd_bus_message_open_container(call, 'r', "sa{sv}");
    if (r >= 0) r = sd_bus_message_append(call, "sa{sv}", kShortcutId, 2, "description", "s", kDescription,
                                          "preferred_trigger", "s", trigger_.c_str());
    if (r >= 0) r = sd_bus_message_close_container(call);
    if (r >= 0) r = sd_bus_message_close_container(call);
    return r;
}

void PortalShortcuts::BindShortcut() {
    const bool sent = requests_.Call(
        bus_->Get(), kGlobalShortcuts, "BindShortcuts",
        [this](sd_bus_message* call, const std::string& token) {
            int r = sd_bus_message_append(call, "o", session_.c_str());
            if (r >= 0) r = sd_bus_message_open_container(call, 'a', "(sa{sv})");
            if (r >= 0) r = sd_bus_message_open_container(call, 'r', "sa{sv}");
            if (r >= 0) r = sd_bus_message_append(call, "sa{sv}", kShortcutId, 2, "description", "s", kDescription,
                                                  "preferred_trigger", "s", trigger_.c_str());
            if (r >= 0) r = sd_bus_message_close_container(call);
            if (r >= 0) r = sd_bus_message_close_container(call);
            if (r >= 0) r = sd_bus_message_append(call, "s", "");
            if (r >= 0) r = sd_bus_message_open_container(call, 'a', "{sv}");
            if (r >= 0) r = PortalRequests::AppendHandleToken(call, token);
            if (r >= 0) r = sd_bus_message_close_container(call);
            return r;
        },
        [this](std::uint32_t code, sd_bus_message* results) {
            if (code == portal::kGranted) {
                OnBound(results);
            } else {
                Settle(State::NotBound);
            }
        });
    if (!sent) Settle(State::NotBound);
}

void PortalShortcuts::OnBound(sd_bus_message* results) {
    bool bound = false;
    ReadVardict(results, [this, &bound](const std::string& key, sd_bus_message* value) {
        if (key == "shortcuts") bound = ReadShortcuts(value) || bound;
    });
    // A desktop that answers without our shortcut bound nothing we can use.
    Settle(bound ? State::Bound : State::NotBound);
}

bool PortalShortcuts::ReadShortcuts(sd_bus_message* value) {
    bool ours = false;
    if (sd_bus_message_enter_container(value, 'a', "(sa{sv})") < 0) return false;
    while (sd_bus_message_enter_container(value, 'r', "sa{sv}") > 0) {
        const char* id = nullptr;
        sd_bus_message_read(value, "s", &id);
        const bool this_one = id != nullptr && std::string(id) == kShortcutId;
        ReadVardict(value, [this, this_one](const std::string& name, sd_bus_message* property) {
            const char* text = nullptr;
            if (this_one && name == "trigger_description" && sd_bus_message_read(property, "s", &text) >= 0) {
                desktopTrigger_ = text;
            }
        });
        sd_bus_message_exit_container(value);
        ours = ours || this_one;
    }
    sd_bus_message_exit_container(value);
    return ours;
}

void PortalShortcuts::Unbind() {
    requests_.Clear();
    if (!session_.empty() && bus_ != nullptr && bus_->Get() != nullptr) {
        sd_bus_call_method_async(bus_->Get(), nullptr, kPortalService, session_.c_str(),
                                 "org.freedesktop.portal.Session", "Close", nullptr, nullptr, "");
    }
    session_.clear();
    state_ = State::Idle;
    desktopTrigger_.clear();
    activated_ = nullptr;
    settled_ = nullptr;
}

int PortalShortcuts::OnActivated(sd_bus_message* signal, void* data, sd_bus_error*) {
    auto& self = *static_cast<PortalShortcuts*>(data);
    const char* session = nullptr;
    const char* id = nullptr;
    if (sd_bus_message_read(signal, "os", &session, &id) < 0) return 0;
    if (self.session_ == session && std::string(id) == kShortcutId && self.activated_) self.activated_();
    return 0;
}

}  // namespace zintra::platform::linux_x11
