#include "platform/linux/LinuxPlatform.h"

#include "platform/linux/LinuxTray.h"

namespace zintra::platform::linux_x11 {

LinuxPlatform::LinuxPlatform(MouseInput& input, Keyboard& keyboard, TrayDock* dock)
    : input_(input),
      keyboard_(keyboard),
      store_(FileStore::DefaultPath()),
      tray_(std::make_unique<LinuxTray>(dock)),
      shell_(std::make_unique<LinuxShell>(tray_.get())) {
    tray_->SetTaskbarCreatedMessage(shell_->RegisterWindowMessage(u"TaskbarCreated"));
    events_.Add(tray_->Events());
    events_.Add(process_.Requests());
}

LinuxPlatform::~LinuxPlatform() = default;

void LinuxPlatform::AttachLoop(DesktopLoop* loop) {
    tray_->Attach(loop);
    process_.Attach(loop);
}

EventSource& LinuxPlatform::DesktopEvents() { return events_; }

SessionBus& LinuxPlatform::Bus() { return tray_->Bus(); }

}  // namespace zintra::platform::linux_x11
