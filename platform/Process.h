// Process-wide services of the program's start: the single-instance lock, the
// working directory and the component model the shell's drag-and-drop needs.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Types.h"

namespace zintra::platform {

class Process {
public:
    virtual ~Process() = default;
    // Creates the named mutex (no security attributes, not owned) and keeps it
    // until the process ends. Returns false when it already existed, that is
    // when another instance holds it; the new handle is closed then.
    virtual bool CreateSingleInstanceMutex(const std::u16string& name) = 0;
    virtual bool SetCurrentDirectory(const std::u16string& path) = 0;
    virtual void InitializeComponents() = 0;    // OleInitialize
    virtual void UninitializeComponents() = 0;  // OleUninitialize

    // Where a second start brings the running instance forward (the Linux
    // desktops' convention; on Windows a second start ends silently, so these
    // do nothing there): asks the instance holding the mutex `name` to show
    // its main window. True once it said it would.
    virtual bool AskRunningInstanceToShow(const std::u16string& name) {
        static_cast<void>(name);
        return false;
    }
    // From now on such a request arrives as `message` posted to `window`.
    virtual void AcceptShowRequests(NativeWindow window, std::uint32_t message) {
        static_cast<void>(window), static_cast<void>(message);
    }
};

}  // namespace zintra::platform
