// The operating system seam for everything that needs no window: the store,
// input injection, keys, clock, shell, process and system. Windows, the event
// loop, timers and hotkeys belong to the toolkit's backend (ui/core/Backend.h).
// The real one talks to Windows, the simulated one to memory.
#pragma once

#include "platform/AutoStart.h"
#include "platform/Clock.h"
#include "platform/Keyboard.h"
#include "platform/MouseInput.h"
#include "platform/Process.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/System.h"

namespace zintra::platform {

class Platform {
public:
    virtual ~Platform() = default;
    virtual Registry& GetRegistry() = 0;
    virtual MouseInput& GetMouseInput() = 0;
    virtual Clock& GetClock() = 0;
    virtual Shell& GetShell() = 0;
    virtual Keyboard& GetKeyboard() = 0;
    virtual Process& GetProcess() = 0;
    virtual System& GetSystem() = 0;
    // The start-at-log-in entry kept outside the store; null where the store
    // holds it (Windows' Run value).
    virtual AutoStart* GetAutoStart() { return nullptr; }
};

// The platform in use by this process. The program installs the real one at
// start; tests install a simulated desktop.
Platform& Current();
void SetCurrent(Platform* platform);

}  // namespace zintra::platform
