// The user's D-Bus session bus through sd-bus, opened on first use and driven
// by the toolkit's event loop (an EventSource), never by a thread of its own:
// method calls on our objects and replies arrive on the user-interface thread.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "platform/linux/DesktopLoop.h"

typedef struct sd_bus sd_bus;

namespace zintra::platform::linux_x11 {

class SessionBus final : public EventSource {
public:
    SessionBus() = default;
    // Another bus of the session at a known address (the accessibility bus).
    explicit SessionBus(std::string address) : address_(std::move(address)) {}
    ~SessionBus() override;
    SessionBus(const SessionBus&) = delete;
    SessionBus& operator=(const SessionBus&) = delete;

    // The bus, connected on the first call; null without a session bus (and
    // then on every later call too, without trying again) or once it closed.
    sd_bus* Get();
    // Whether some connection owns `name` now.
    bool HasOwner(const char* name);
    // Whether `name` is owned now or the bus starts its service on demand.
    bool CanReach(const char* name);
    // Sends everything queued (before the program ends).
    void Flush();

    int Descriptor() override;
    short Events() override;
    std::optional<std::uint64_t> Timeout() override;
    void Dispatch() override;

private:
    std::string address_;  // empty: the user's session bus
    sd_bus* bus_ = nullptr;
    bool tried_ = false;
    bool broken_ = false;  // the bus closed under us
};

// Whether two names from a message (a property, an event) are the same.
inline bool SameName(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

}  // namespace zintra::platform::linux_x11
