// A modal dialog built from a layout: DoModal shows it and runs a nested
// message loop until EndDialog, then returns the result it was ended with.
#pragma once

#include "ui/core/SHostWnd.h"

namespace zintra::ui {

class SHostDialog : public SHostWnd {
public:
    explicit SHostDialog(std::string layoutName);

    // Returns the result given to EndDialog, or -1 when the dialog could not
    // be created (missing or broken layout).
    int DoModal(platform::NativeWindow owner = 0);
    void EndDialog(int result);
    bool IsEnded() const { return ended_; }
    int GetResult() const { return result_; }

protected:
    // A close request ends the dialog with 0 unless the class handled it.
    std::optional<std::intptr_t> DefaultMessage(std::uint32_t message, std::uintptr_t wParam,
                                                std::intptr_t lParam) override;

private:
    bool running_ = false;
    bool ended_ = false;
    int result_ = 0;
};

}  // namespace zintra::ui
