// Several of the platform's event sources behind the one descriptor the
// toolkit's loop watches for the platform: an epoll set of theirs, brought up
// to date each time the loop asks what to wait for.
#pragma once

#include <vector>

#include "platform/linux/DesktopLoop.h"

namespace zintra::platform::linux_x11 {

class CombinedEvents final : public EventSource {
public:
    CombinedEvents();
    ~CombinedEvents() override;
    CombinedEvents(const CombinedEvents&) = delete;
    CombinedEvents& operator=(const CombinedEvents&) = delete;

    // `source` must outlive this.
    void Add(EventSource& source) { parts_.push_back({&source, -1, 0}); }

    int Descriptor() override { return epoll_; }
    // Also registers each part's current descriptor and events.
    short Events() override;
    // The nearest deadline of any part.
    std::optional<std::uint64_t> Timeout() override;
    // Every part handles what it has; each never blocks.
    void Dispatch() override;

private:
    struct Part {
        EventSource* source;
        int descriptor;  // as registered; -1 for none
        short events;
    };
    void Register(Part& part);

    int epoll_ = -1;
    std::vector<Part> parts_;
};

}  // namespace zintra::platform::linux_x11
