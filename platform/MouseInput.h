// Synthetic mouse input, the pointer position, the primary screen size and
// the virtual desktop (every monitor together).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/Messages.h"
#include "platform/Types.h"

namespace zintra::platform {

// One MOUSEINPUT record: dx, dy in normalised 0..65535 coordinates of the
// primary screen when the absolute flag is set, of the virtual desktop when
// the virtual-desktop flag is set too.
struct MouseEvent {
    std::int32_t dx = 0;
    std::int32_t dy = 0;
    std::uint32_t mouseData = 0;
    std::uint32_t flags = 0;
    std::uint32_t time = 0;
    std::uintptr_t extraInfo = 0;
    friend bool operator==(const MouseEvent&, const MouseEvent&) = default;
};

// A button as input records press and release it, and the number an X server
// gives it. Click types name their buttons through these, and a platform that
// numbers buttons its own way maps every one of kMouseButtons.
struct MouseButton {
    std::uint32_t downFlag = 0;
    std::uint32_t upFlag = 0;
    unsigned int x11Number = 0;
};

inline constexpr MouseButton kLeftButton{msg::kMouseEventLeftDown, msg::kMouseEventLeftUp, 1};
inline constexpr MouseButton kRightButton{msg::kMouseEventRightDown, msg::kMouseEventRightUp, 3};
inline constexpr MouseButton kMouseButtons[] = {kLeftButton, kRightButton};

class MouseInput {
public:
    virtual ~MouseInput() = default;
    // Queues the events in order in one call; returns how many were queued.
    virtual std::uint32_t SendMouseEvents(const MouseEvent* events, std::uint32_t count) = 0;
    virtual Point CursorPosition() = 0;
    // Where the user's pointer is, for the user to see or pick; none where
    // the program cannot know it (XWayland while the pointer is over a
    // Wayland window: CursorPosition is then where it last saw it).
    virtual std::optional<Point> KnownCursorPosition() { return CursorPosition(); }
    virtual Size PrimaryScreenSize() = 0;
    // The bounding rectangle of all monitors in screen pixels; the primary
    // monitor's top-left corner is (0, 0), so monitors left of or above it
    // have negative coordinates.
    virtual Rect VirtualDesktop() = 0;

    // Why injected input cannot reach the desktop now, in the program's own
    // words for the user; empty while it can. A path that lost its way in
    // mid-run (the desktop closed the session) says so here and sends nothing.
    virtual std::string InputProblem() { return {}; }
    // Called before a run starts. A path that needs the desktop's permission
    // asks for it here; `done` is called exactly once, maybe later from the
    // event loop, with whether input can be sent now (InputProblem says why
    // not). Paths that are always ready answer at once.
    virtual void PrepareRun(std::function<void(bool ready)> done) { done(true); }
    // Called when a run is over: stopped, ended at its limit, refused, or cut
    // short by the program's end. A path whose desktop lets no physical click
    // release a button it holds (each Wayland device keeps its own buttons)
    // releases them here; elsewhere a held button stays down until the
    // user's next physical click.
    virtual void EndRun() {}
};

}  // namespace zintra::platform
