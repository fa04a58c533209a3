// The desktop portal's request pattern over sd-bus: each call that asks the
// user names a request object (from our unique name and a token of ours) and
// answers later with its Response signal. The signal is subscribed to before
// the call goes out, so a portal that answers at once is never missed; all of
// it runs asynchronously on the program's event loop.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <systemd/sd-bus.h>

namespace zintra::platform::linux_x11 {

inline constexpr const char* kPortalService = "org.freedesktop.portal.Desktop";
inline constexpr const char* kPortalPath = "/org/freedesktop/portal/desktop";

// The portal's response codes, and ours for a call the bus itself refused
// (no portal, or no such interface).
namespace portal {
inline constexpr std::uint32_t kGranted = 0;
inline constexpr std::uint32_t kCancelled = 1;
inline constexpr std::uint32_t kFailed = 2;
inline constexpr std::uint32_t kNoPortal = 3;
}  // namespace portal

class PortalRequests {
public:
    // `results` sits before the response's a{sv}; null with kNoPortal.
    using Response = std::function<void(std::uint32_t code, sd_bus_message* results)>;
    // Appends the call's arguments; its options dictionary must hold the
    // handle_token entry (AppendHandleToken).
    using Arguments = std::function<int(sd_bus_message* call, const std::string& token)>;

    PortalRequests() = default;
    ~PortalRequests();
    PortalRequests(const PortalRequests&) = delete;
    PortalRequests& operator=(const PortalRequests&) = delete;

    // Calls `method` of `interface` on the portal; false when the call could
    // not even be sent (then `response` is never called).
    bool Call(sd_bus* bus, const char* interface, const char* method, const Arguments& arguments, Response response);
    // Forgets every request still waiting (their responses are never called).
    void Clear();

    static int AppendHandleToken(sd_bus_message* call, const std::string& token);

private:
    struct Pending {
        PortalRequests* owner = nullptr;
        std::string path;
        sd_bus_slot* match = nullptr;
        sd_bus_slot* call = nullptr;
        Response response;
    };
    static int OnResponse(sd_bus_message* signal, void* pending, sd_bus_error* error);
    static int OnReply(sd_bus_message* reply, void* pending, sd_bus_error* error);
    void Finish(Pending& pending, std::uint32_t code, sd_bus_message* results);

    std::map<std::string, Pending> pending_;  // by request object path
    unsigned counter_ = 0;
};

// Walks an a{sv} dictionary: `entry` is called with each key while the
// message sits inside that entry's variant, and may read it (or leave it:
// what it leaves is skipped).
int ReadVardict(sd_bus_message* message, const std::function<void(const std::string& key, sd_bus_message*)>& entry);

}  // namespace zintra::platform::linux_x11
