#include "platform/linux/CombinedEvents.h"

#include <poll.h>
#include <sys/epoll.h>
#include <unistd.h>

#include <cerrno>

namespace zintra::platform::linux_x11 {

namespace {

std::uint32_t EpollEvents(short events) {
    std::uint32_t mask = 0;
    if (events & POLLIN) mask |= EPOLLIN;
    if (events & POLLOUT) mask |= EPOLLOUT;
    if (events & POLLPRI) mask |= EPOLLPRI;
    return mask;
}

}  // namespace

CombinedEvents::CombinedEvents() : epoll_(::epoll_create1(EPOLL_CLOEXEC)) {}

CombinedEvents::~CombinedEvents() {
    if (epoll_ >= 0) ::close(epoll_);
}

void CombinedEvents::Register(Part& part) {
    const int descriptor = part.source->Descriptor();
    const short events = descriptor >= 0 ? part.source->Events() : short{0};
    if (descriptor == part.descriptor && events == part.events) return;
    // A descriptor that was closed has left the set by itself; a reused number is modified.
    if (part.descriptor >= 0 && part.descriptor != descriptor) ::epoll_ctl(epoll_, EPOLL_CTL_DEL, part.descriptor, nullptr);
    if (descriptor >= 0) {
        epoll_event event{};
        event.events = EpollEvents(events);
        event.data.fd = descriptor;
        if (::epoll_ctl(epoll_, EPOLL_CTL_MOD, descriptor, &event) != 0 && errno == ENOENT) {
            ::epoll_ctl(epoll_, EPOLL_CTL_ADD, descriptor, &event);
        }
    }
    part.descriptor = descriptor;
    part.events = events;
}

short CombinedEvents::Events() {
    if (epoll_ < 0) return 0;
    for (Part& part : parts_) Register(part);
    return POLLIN;
}

std::optional<std::uint64_t> CombinedEvents::Timeout() {
    std::optional<std::uint64_t> nearest;
    for (const Part& part : parts_) {
        if (part.source->Descriptor() < 0) continue;
        const auto due = part.source->Timeout();
        if (due && (!nearest || *due < *nearest)) nearest = due;
    }
    return nearest;
}

void CombinedEvents::Dispatch() {
    // The set is level-triggered: what a part leaves unread wakes the loop again.
    for (Part& part : parts_) {
        if (part.source->Descriptor() >= 0) part.source->Dispatch();
    }
}

}  // namespace zintra::platform::linux_x11
