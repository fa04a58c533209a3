// The hidden window behind the tray icon: it receives the icon's mouse
// callbacks and the tray menu's commands, passes them to the main window
// first, and adds the icon again when the taskbar restarts.
#pragma once

#include <cstdint>

#include "ui/core/CSimpleWnd.h"

namespace zintra {

namespace ui {
class SHostWnd;
}
class SShellNotifyIcon;

class CShellNotifyHwnd2 final : public ui::CSimpleWnd {
public:
    CShellNotifyHwnd2(ui::SHostWnd& mainWindow, SShellNotifyIcon& icon);

    // The icon is going away: messages still queued for this window are
    // answered without it until the window closes and deletes itself.
    void Detach() { icon_ = nullptr; }

protected:
    std::optional<std::intptr_t> WindowProc(std::uint32_t message, std::uintptr_t wParam,
                                            std::intptr_t lParam) override;
    void OnFinalMessage() override;

private:
    ui::SHostWnd& mainWindow_;
    SShellNotifyIcon* icon_;
    std::uint32_t taskbarCreated_ = 0;
};

}  // namespace zintra
