// The real platform on a Linux desktop, whatever shows its windows: the store
// in a file, the autostart entry, the single instance, the session bus with
// the tray item and notices, xdg-open, the adapter address. Input, keys and a
// tray of the display's own come from the display path (platform/x11/ for
// X11), which the program's entry hands in.
#pragma once

#include <memory>

#include "platform/Platform.h"
#include "platform/linux/CombinedEvents.h"
#include "platform/linux/DesktopLoop.h"
#include "platform/linux/FileStore.h"
#include "platform/linux/LinuxClock.h"
#include "platform/linux/LinuxProcess.h"
#include "platform/linux/LinuxShell.h"
#include "platform/linux/LinuxSystem.h"
#include "platform/linux/SessionBus.h"
#include "platform/linux/TrayDock.h"
#include "platform/linux/XdgAutostart.h"

namespace zintra::platform::linux_x11 {

class LinuxTray;

class LinuxPlatform final : public Platform, public DesktopServices {
public:
    // `input` and `keyboard` must outlive the platform, as must `dock`, which
    // may be null (the display has no tray of its own).
    LinuxPlatform(MouseInput& input, Keyboard& keyboard, TrayDock* dock);
    ~LinuxPlatform() override;
    LinuxPlatform(const LinuxPlatform&) = delete;
    LinuxPlatform& operator=(const LinuxPlatform&) = delete;

    void AttachLoop(DesktopLoop* loop) override;
    EventSource& DesktopEvents() override;
    // The program's session bus connection, for the desktop's portals.
    SessionBus& Bus();

    Registry& GetRegistry() override { return store_; }
    MouseInput& GetMouseInput() override { return input_; }
    Clock& GetClock() override { return clock_; }
    Shell& GetShell() override { return *shell_; }
    Keyboard& GetKeyboard() override { return keyboard_; }
    Process& GetProcess() override { return process_; }
    System& GetSystem() override { return system_; }
    AutoStart* GetAutoStart() override { return &autostart_; }

private:
    MouseInput& input_;
    Keyboard& keyboard_;
    FileStore store_;
    XdgAutostart autostart_;
    LinuxClock clock_;
    LinuxProcess process_;
    LinuxSystem system_;
    std::unique_ptr<LinuxTray> tray_;
    std::unique_ptr<LinuxShell> shell_;
    CombinedEvents events_;  // the session bus and the second starts' requests
};

}  // namespace zintra::platform::linux_x11
