// How a second start reaches the running instance on Linux: a local socket
// beside the single-instance lock, in the same folder only this user can
// enter, so it works without a session bus. The instance listens; a second
// start connects, asks it to show its main window and ends; `zintra --toggle`,
// `--start` and `--stop` ask it to act as the start/stop hotkey would.
#pragma once

#include <functional>
#include <string>

#include "platform/linux/DesktopLoop.h"

namespace zintra::platform::linux_x11 {

// The socket that goes with the lock file at `lockPath`.
std::string InstanceSocketPath(const std::string& lockPath);

// What one connection may ask; each is one line on the socket.
enum class InstanceRequest { Show = 0, Toggle = 1, Start = 2, Stop = 3 };

// How an asking start fared.
enum class InstanceReply { Answered, NobodyListens, NoAnswer };

class InstanceChannel final : public EventSource {
public:
    InstanceChannel() = default;
    ~InstanceChannel() override;
    InstanceChannel(const InstanceChannel&) = delete;
    InstanceChannel& operator=(const InstanceChannel&) = delete;

    // Listens at `path` (the holder of the lock owns the place: an old socket
    // there is replaced). False when the socket cannot be made.
    bool Listen(const std::string& path);
    // Called for each request; answers whether it was handled.
    void OnRequest(std::function<bool(InstanceRequest)> handler) { onRequest_ = std::move(handler); }

    // The asking side: sends `request` to the instance listening at `path`
    // and waits up to `answerMilliseconds` for its answer. Connecting is tried
    // for up to `connectMilliseconds` more, for an instance still starting.
    // Only an instance of this same user is asked.
    static InstanceReply Ask(const std::string& path, InstanceRequest request, int connectMilliseconds,
                             int answerMilliseconds);
    // A second start asks for the window, waiting up to `waitMilliseconds` in all.
    static bool AskToShow(const std::string& path, int waitMilliseconds) {
        return Ask(path, InstanceRequest::Show, waitMilliseconds, waitMilliseconds) == InstanceReply::Answered;
    }

    int Descriptor() override { return listener_; }
    short Events() override;
    std::optional<std::uint64_t> Timeout() override { return std::nullopt; }
    void Dispatch() override;

private:
    void Answer(int connection);

    int listener_ = -1;
    std::string path_;
    std::function<bool(InstanceRequest)> onRequest_;
};

}  // namespace zintra::platform::linux_x11
