#include "platform/linux/PortalRequests.h"

#include <systemd/sd-bus.h>

namespace zintra::platform::linux_x11 {

PortalRequests::~PortalRequests() { Clear(); }

void PortalRequests::Clear() {
    for (auto& [path, pending] : pending_) {
        sd_bus_slot_unref(pending.match);
        sd_bus_slot_unref(pending.call);
    }
    pending_.clear();
}

int PortalRequests::AppendHandleToken(sd_bus_message* call, const std::string& token) {
    return sd_bus_message_append(call, "{sv}", "handle_token", "s", token.c_str());
}

bool PortalRequests::Call(sd_bus* bus, const char* interface, const char* method, const Arguments& arguments,
                          Response response) {
    const char* unique = nullptr;
    if (bus == nullptr || sd_bus_get_unique_name(bus, &unique) < 0) return false;
    // The request's path: our unique name without the colon, dots as underscores.
    std::string sender = unique + 1;
    for (char& c : sender) {
        if (c == '.') c = '_';
    }
    const std::string token = "zintra" + std::to_string(++counter_);
    const std::string path = std::string(kPortalPath) + "/request/" + sender + "/" + token;
    Pending& pending = pending_[path];
    pending.owner = this;
    pending.path = path;
    pending.response = std::move(response);
    sd_bus_message* call = nullptr;
    int r = sd_bus_match_signal_async(bus, &pending.match, nullptr, path.c_str(), "org.freedesktop.portal.Request",
                                      "Response", &PortalRequests::OnResponse, nullptr, &pending);
    if (r >= 0) r = sd_bus_message_new_method_call(bus, &call, kPortalService, kPortalPath, interface, method);
    if (r >= 0) r = arguments(call, token);
    if (r >= 0) r = sd_bus_call_async(bus, &pending.call, call, &PortalRequests::OnReply, &pending, 0);
    sd_bus_message_unref(call);
    if (r < 0) {
        sd_bus_slot_unref(pending.match);
        sd_bus_slot_unref(pending.call);
        pending_.erase(path);
        return false;
    }
    return true;
}

int PortalRequests::OnResponse(sd_bus_message* signal, void* data, sd_bus_error*) {
    auto& pending = *static_cast<Pending*>(data);
    std::uint32_t code = portal::kFailed;
    if (sd_bus_message_read(signal, "u", &code) < 0) code = portal::kFailed;
    pending.owner->Finish(pending, code, signal);
    return 0;
}

int PortalRequests::OnReply(sd_bus_message* reply, void* data, sd_bus_error*) {
    auto& pending = *static_cast<Pending*>(data);
    // A successful reply only names the request; the answer is its Response.
    if (sd_bus_message_is_method_error(reply, nullptr)) pending.owner->Finish(pending, portal::kNoPortal, nullptr);
    return 0;
}

void PortalRequests::Finish(Pending& pending, std::uint32_t code, sd_bus_message* results) {
    Response response = std::move(pending.response);
    sd_bus_slot_unref(pending.match);
    sd_bus_slot_unref(pending.call);
    pending_.erase(pending.path);  // `pending` is gone from here on
    if (response) response(code, results);
}

int ReadVardict(sd_bus_message* message, const std::function<void(const std::string&, sd_bus_message*)>& entry) {
    int r = sd_bus_message_enter_container(message, 'a', "{sv}");
    if (r < 0) return r;
    while ((r = sd_bus_message_enter_container(message, 'e', "sv")) > 0) {
        const char* key = nullptr;
        r = sd_bus_message_read(message, "s", &key);
        if (r < 0) return r;
        const std::string name = key;
        const char* contents = nullptr;
        r = sd_bus_message_peek_type(message, nullptr, &contents);
        if (r < 0) return r;
        r = sd_bus_message_enter_container(message, 'v', contents);
        if (r < 0) return r;
        entry(name, message);
        // Whatever the reader left of the value.
        while ((r = sd_bus_message_skip(message, nullptr)) > 0) {
        }
        if ((r = sd_bus_message_exit_container(message)) < 0) return r;
        if ((r = sd_bus_message_exit_container(message)) < 0) return r;
    }
    if (r < 0) return r;
    return sd_bus_message_exit_container(message);
}

}  // namespace zintra::platform::linux_x11
