// What the platform's own desktop services (the tray item and the notices on
// the session bus) need from the toolkit's event loop, which lives a layer
// above: the loop polls each source's descriptor beside the X connection and
// lets it dispatch, and it posts the window messages those services produce
// and hands them the pictures of the icons it loaded. A display backend
// implements DesktopLoop and attaches itself to the platform's
// DesktopServices.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/Shell.h"
#include "platform/Types.h"

namespace zintra::platform::linux_x11 {

// One icon picture, row by row, 0xAARRGGBB words with straight (not
// premultiplied) alpha.
struct IconPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;
    friend bool operator==(const IconPicture&, const IconPicture&) = default;
};

// A descriptor the event loop watches for the platform.
class EventSource {
public:
    virtual ~EventSource() = default;
    // -1 when there is nothing to watch now.
    virtual int Descriptor() = 0;
    // The poll() events wanted now.
    virtual short Events() = 0;
    // Microseconds until Dispatch is due even without any event; none: no deadline.
    virtual std::optional<std::uint64_t> Timeout() = 0;
    // Handles whatever is ready; never blocks.
    virtual void Dispatch() = 0;
};

class DesktopLoop {
public:
    virtual ~DesktopLoop() = default;
    // PostMessageW into the toolkit's queue; safe from any thread.
    virtual bool PostMessage(NativeWindow window, std::uint32_t message, std::uintptr_t wParam,
                             std::intptr_t lParam) = 0;
    // The picture behind an icon handle first, then the other sizes of the
    // same icon (bigger panels scale a bigger picture better); empty for an
    // unknown handle.
    virtual std::vector<IconPicture> IconPictures(IconHandle icon) = 0;
};

// The platform's side of the hook: what a backend's event loop attaches to.
class DesktopServices {
public:
    virtual ~DesktopServices() = default;
    // The loop that posts the services' messages and knows the icons'
    // pictures; null when it goes away.
    virtual void AttachLoop(DesktopLoop* loop) = 0;
    // The descriptor the loop polls for the services (the session bus, the
    // requests of second starts).
    virtual EventSource& DesktopEvents() = 0;
};

}  // namespace zintra::platform::linux_x11
