#include "platform/linux/PortalShortcuts.h"

#include <cctype>
#include <cstdio>

namespace zintra::platform::linux_x11 {

namespace {

constexpr const char* kGlobalShortcuts = "org.freedesktop.portal.GlobalShortcuts";
constexpr char kDescription[] = "开始/停止连点";
constexpr char kOtherKeysText[] = "桌面为开始/停止连点设定的快捷键是：";

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

void PortalShortcuts::Attach(SessionBus& bus) {
    bus_ = &bus;
    notices_ = std::make_unique<DesktopNotices>(bus);
}

void PortalShortcuts::Bind(const std::string& trigger, std::function<void()> activated) {
    Unbind();
    sd_bus* bus = bus_ != nullptr ? bus_->Get() : nullptr;
    if (bus == nullptr || trigger.empty()) return;
    trigger_ = trigger;
    activated_ = std::move(activated);
    if (activatedMatch_ == nullptr) {
        sd_bus_match_signal_async(bus, &activatedMatch_, nullptr, kPortalPath, kGlobalShortcuts, "Activated",
                                  &PortalShortcuts::OnActivated, nullptr, this);
    }
    requests_.Call(
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
            if (code != portal::kGranted) return;  // no such portal here: the command line and X11 keys remain
            ReadVardict(results, [this](const std::string& key, sd_bus_message* value) {
                const char* handle = nullptr;
                if (key == "session_handle" && (sd_bus_message_read(value, "s", &handle) >= 0 ||
                                                sd_bus_message_read(value, "o", &handle) >= 0)) {
                    session_ = handle;
                }
                if (key == "shortcuts") ReadShortcuts(value);
            });
            if (session_.empty()) return;
            if (bound_) {
                Announce();
            } else {
                BindShortcut();
            }
        });
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
    requests_.Call(
        bus_->Get(), kGlobalShortcuts, "BindShortcuts",
        [this](sd_bus_message* call, const std::string& token) {
            int r = sd_bus_message_append(call, "o", session_.c_str());
            if (r >= 0) r = AppendShortcuts(call);
            if (r >= 0) r = sd_bus_message_append(call, "s", "");
            if (r >= 0) r = sd_bus_message_open_container(call, 'a', "{sv}");
            if (r >= 0) r = PortalRequests::AppendHandleToken(call, token);
            if (r >= 0) r = sd_bus_message_close_container(call);
            return r;
        },
        [this](std::uint32_t code, sd_bus_message* results) {
            if (code == portal::kGranted) OnBound(results);
        });
}

void PortalShortcuts::OnBound(sd_bus_message* results) {
    ReadVardict(results, [this](const std::string& key, sd_bus_message* value) {
        if (key == "shortcuts") ReadShortcuts(value);
    });
    Announce();
}

void PortalShortcuts::ReadShortcuts(sd_bus_message* value) {
    if (sd_bus_message_enter_container(value, 'a', "(sa{sv})") < 0) return;
    while (sd_bus_message_enter_container(value, 'r', "sa{sv}") > 0) {
        const char* id = nullptr;
        sd_bus_message_read(value, "s", &id);
        const bool ours = id != nullptr && std::string(id) == kShortcutId;
        ReadVardict(value, [this, ours](const std::string& name, sd_bus_message* property) {
            const char* text = nullptr;
            if (ours && name == "trigger_description" && sd_bus_message_read(property, "s", &text) >= 0) {
                desktopTrigger_ = text;
            }
        });
        sd_bus_message_exit_container(value);
        bound_ = bound_ || ours;
    }
    sd_bus_message_exit_container(value);
}

void PortalShortcuts::Announce() {
    if (bound_ && OtherKeys(trigger_, desktopTrigger_)) {
        // The user's keys are not the ones that work: say which do.
        const std::string text = kOtherKeysText + desktopTrigger_;
        std::fprintf(stderr, "zintra: %s\n", text.c_str());
        notices_->Show({"Zintra", text}, "zintra");
    }
}

void PortalShortcuts::Unbind() {
    requests_.Clear();
    if (!session_.empty() && bus_ != nullptr && bus_->Get() != nullptr) {
        sd_bus_call_method_async(bus_->Get(), nullptr, kPortalService, session_.c_str(),
                                 "org.freedesktop.portal.Session", "Close", nullptr, nullptr, "");
    }
    session_.clear();
    bound_ = false;
    desktopTrigger_.clear();
    activated_ = nullptr;
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
