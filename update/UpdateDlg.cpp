#include "update/UpdateDlg.h"

#include <string>
#include <thread>

#include "online/HttpDownload.h"
#include "online/VerifiedInstaller.h"
#include "online/UpdateCheck.h"
#include "platform/Messages.h"
#include "ui/controls/SProgress.h"
#include "ui/core/Backend.h"
#include "base/TextUtil.h"

namespace zintra {

namespace {

std::u16string Ascii(const std::string& text) { return std::u16string(text.begin(), text.end()); }

}  // namespace

UpdateDlg::UpdateDlg(const UpdateDescription& description)
    : ui::SHostDialog("LAYOUT:XML_UPDATE"), description_(description), download_(std::make_shared<DownloadState>()) {}

UpdateDlg::~UpdateDlg() {
    std::lock_guard<std::mutex> lock(download_->lock);
    download_->window = 0;
}

std::optional<std::intptr_t> UpdateDlg::OnWindowMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t) {
    switch (message) {
        case msg::kInitDialog:
            OnInitDialog();
            return 0;
        case msg::kDownloadProgress:
            if (auto* bar = FindChildByName2<ui::SProgress>("UpProg")) bar->SetValue(static_cast<int>(wParam));
            return 0;
        case msg::kDownloadDone:
            OnDownloadDone(wParam == 1);
            return 0;
        case msg::kDestroy: {
            std::lock_guard<std::mutex> lock(download_->lock);
            download_->window = 0;
            return std::nullopt;
        }
        default:
            return std::nullopt;
    }
}

void UpdateDlg::OnInitDialog() {
    if (auto* version = FindChildByName("version")) version->SetWindowText(Ascii(std::to_string(description_.version)));
    if (auto* notes = FindChildByName("txt_updateinfo")) {
        // Release notes pass through the system's code page, as they always have.
        auto& system = platform::Current().GetSystem();
        notes->SetWindowText(system.FromAnsiCodePage(system.ToAnsiCodePage(Utf8ToUtf16(description_.updateInfo))));
    }
}

void UpdateDlg::OnEvent(ui::EventArgs& event) {
    if (event.id != ui::EventCmd::kId) return;
    if (event.nameFrom == "btnUpdate") {
        StartDownload();
    } else if (event.nameFrom == "btnNotUpdate" || event.nameFrom == "btn_close") {
        EndDialog(0);
    } else {
        return;
    }
    event.handled = true;
}

void UpdateDlg::StartDownload() {
    {
        std::lock_guard<std::mutex> lock(download_->lock);
        download_->installerPath.clear();
        download_->window = GetHwnd();
    }
    if (auto* panel = FindChildByName("upProgressWindow")) panel->SetAttribute("show", "1");
    if (auto* bar = FindChildByName2<ui::SProgress>("UpProg")) bar->SetValue(0);
    std::thread(DownloadWorker, std::ref(platform::Current()), std::ref(ui::CurrentBackend()), std::cref(description_),
                download_)
        .detach();
}

void UpdateDlg::DownloadWorker(platform::Platform& platform, ui::WindowSystem& windows,
                               const UpdateDescription& description, std::shared_ptr<DownloadState> state) {
    platform::NativeWindow window;
    {
        std::lock_guard<std::mutex> lock(state->lock);
        window = state->window;
    }
    std::string path;  // empty: the temporary directory
    const DownloadProgress progress = [&](std::int32_t percent) {
        windows.PostMessage(window, msg::kDownloadProgress, static_cast<std::uintptr_t>(percent), 0);
    };
    bool ok = DownloadInstaller(platform, description, path, window != 0 ? progress : DownloadProgress{});
    if (ok && !platform.GetSystem().FileExists(path)) ok = false;
    std::lock_guard<std::mutex> lock(state->lock);
    state->installerPath = path;
    if (state->window != 0) windows.PostMessage(state->window, msg::kDownloadDone, ok ? 1 : 0, 0);
    state->finished = true;
}

void UpdateDlg::OfferRetry() {
    if (auto* panel = FindChildByName("upProgressWindow")) panel->SetAttribute("show", "0");
    if (auto* button = FindChildByName("btnUpdate")) button->SetWindowText(u"重试");
}

void UpdateDlg::OnDownloadDone(bool ok) {
    if (!ok) {
        OfferRetry();
        return;
    }
    std::string path;
    {
        std::lock_guard<std::mutex> lock(download_->lock);
        path = download_->installerPath;
    }
    if (auto* bar = FindChildByName2<ui::SProgress>("UpProg")) bar->SetValue(100);
    if (auto* text = FindChildByName("UpdateText")) text->SetWindowText(u"正在校验安装包安整性....");

    auto& platform = platform::Current();
    // Checked and started as a copy of this run's own, held open meanwhile.
    auto installer = VerifiedInstaller::Copy(path);
    if (!installer || !installer->Matches(description_.fileMd5, description_.fileSha256)) {
        // A damaged installer would only be resumed again: remove it so a retry
        // starts afresh. The copy is closed first; Windows removes no open file.
        installer.reset();
        DiscardDownload(path);
        OfferRetry();
        return;
    }
    if (platform.GetShell().StartInstaller(installer->Path()) > 32) {
        RecordStartedUpdate(platform, description_);  // not offered again
        EndDialog(1);
        return;
    }
    OfferRetry();
}

}  // namespace zintra
