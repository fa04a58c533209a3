// The update window: offers a newer build with its release notes, downloads
// its installer on a worker thread with a progress bar, checks the installer's
// digest and starts it. Ends with 1 once the installer runs, 0 when declined.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "online/OnlineConfig.h"
#include "platform/Platform.h"
#include "ui/core/SHostDialog.h"
#include "ui/core/WindowSystem.h"

namespace zintra {

class UpdateDlg final : public ui::SHostDialog {
public:
    explicit UpdateDlg(const UpdateDescription& description);
    ~UpdateDlg() override;

    // What a download worker shares with the window; it outlives whichever of
    // the two ends last, so a window closed during a download is never touched.
    struct DownloadState {
        std::mutex lock;
        std::string installerPath;
        platform::NativeWindow window = 0;  // 0 once the window is gone
        bool finished = false;              // the worker has nothing left to do
    };
    std::shared_ptr<DownloadState> Download() const { return download_; }

    // The worker's routine: downloads, then reports UM_DOWNLOAD_DONE.
    static void DownloadWorker(platform::Platform& platform, ui::WindowSystem& windows,
                               const UpdateDescription& description,
                               std::shared_ptr<DownloadState> state);

protected:
    std::optional<std::intptr_t> OnWindowMessage(std::uint32_t message, std::uintptr_t wParam,
                                                 std::intptr_t lParam) override;
    void OnEvent(ui::EventArgs& event) override;

private:
    void OnInitDialog();
    void StartDownload();
    void OnDownloadDone(bool ok);
    void OfferRetry();

    const UpdateDescription& description_;
    std::shared_ptr<DownloadState> download_;
};

}  // namespace zintra
