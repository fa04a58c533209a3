// How a second start reaches the running instance on Linux: a local socket
// beside the single-instance lock, in the same folder only this user can
// enter, so it works without a session bus. The instance listens; a second
// start connects, asks it to show its main window and ends.
#pragma once

#include <functional>
#include <string>

#include "platform/linux/DesktopLoop.h"

namespace zintra::platform::linux_x11 {

// The socket that goes with the lock file at `lockPath`.
std::string InstanceSocketPath(const std::string& lockPath);

class InstanceChannel final : public EventSource {
public:
    InstanceChannel() = default;
    ~InstanceChannel() override;
    InstanceChannel(const InstanceChannel&) = delete;
    InstanceChannel& operator=(const InstanceChannel&) = delete;

    // Listens at `path` (the holder of the lock owns the place: an old socket
    // there is replaced). False when the socket cannot be made.
    bool Listen(const std::string& path);
    // Called for each request to show the main window; answers whether it was handled.
    void OnShowRequest(std::function<bool()> handler) { onShow_ = std::move(handler); }

    // A second start's side: asks the instance listening at `path` to show
    // its window, trying for a while in case it is still starting. True once
    // it answered that it would.
    static bool AskToShow(const std::string& path, int waitMilliseconds);

    int Descriptor() override { return listener_; }
    short Events() override;
    std::optional<std::uint64_t> Timeout() override { return std::nullopt; }
    void Dispatch() override;

private:
    void Answer(int connection);

    int listener_ = -1;
    std::string path_;
    std::function<bool()> onShow_;
};

}  // namespace zintra::platform::linux_x11
