#include "ui/core/SHostDialog.h"

#include "platform/Messages.h"
#include "ui/core/Backend.h"

namespace zintra::ui {

SHostDialog::SHostDialog(std::string layoutName) : SHostWnd(std::move(layoutName)) {}

int SHostDialog::DoModal(platform::NativeWindow owner) {
    if (running_) return -1;
    ended_ = false;
    result_ = 0;
    if (Create(owner) == 0) return -1;
    Backend* backend = GetBackend();
    running_ = true;
    SendMessage(msg::kInitDialog, 0, 0);
    if (!ended_ && GetHwnd() != 0) {
        CenterWindow();
        ShowWindow(msg::kSwShowNormal);
        backend->RunModalLoop(*this);
    }
    running_ = false;
    DestroyWindow();
    return result_;
}

void SHostDialog::EndDialog(int result) {
    if (ended_) return;
    ended_ = true;
    result_ = result;
    if (running_) {
        if (Backend* backend = GetBackend()) backend->EndModalLoop(*this);
    }
}

std::optional<std::intptr_t> SHostDialog::DefaultMessage(std::uint32_t message, std::uintptr_t wParam,
                                                         std::intptr_t lParam) {
    if (message == msg::kClose) {
        EndDialog(0);
        return 0;
    }
    return SHostWnd::DefaultMessage(message, wParam, lParam);
}

}  // namespace zintra::ui
