#include "tray/CShellNotifyHwnd2.h"

#include "platform/Messages.h"
#include "platform/Platform.h"
#include "tray/SShellNotifyIcon.h"
#include "ui/core/SHostWnd.h"

namespace zintra {

CShellNotifyHwnd2::CShellNotifyHwnd2(ui::SHostWnd& mainWindow, SShellNotifyIcon& icon)
    : mainWindow_(mainWindow),
      icon_(&icon),
      taskbarCreated_(platform::Current().GetShell().RegisterWindowMessage(u"TaskbarCreated")) {}

std::optional<std::intptr_t> CShellNotifyHwnd2::WindowProc(std::uint32_t message, std::uintptr_t wParam,
                                                           std::intptr_t lParam) {
    if (message == msg::kClose) {
        // Closing ends the window on every platform; its final message deletes this object.
        DestroyWindow();
        return 0;
    }
    if (icon_ == nullptr) return std::nullopt;
    if (message == taskbarCreated_ && taskbarCreated_ != 0) {
        // The notification area came back empty; put the icon in again.
        if (!icon_->Record().sized) return 0;
        return icon_->Resend() ? 1 : 0;
    }
    if (message == msg::kTrayNotify || message == msg::kCommand) {
        if (auto handled = mainWindow_.HandleMessage(mainWindow_.GetHwnd(), message, wParam, lParam)) return handled;
        if (message == msg::kTrayNotify) return icon_->HandleTrayNotify(lParam);
    }
    return std::nullopt;
}

void CShellNotifyHwnd2::OnFinalMessage() { delete this; }

}  // namespace zintra
