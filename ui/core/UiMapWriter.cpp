#include "ui/core/UiMapWriter.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "ui/core/SHostWnd.h"
#include "base/TextUtil.h"

namespace zintra::ui {

namespace {

void DescribeControl(const SHostWnd& host, const SWindow& control, bool windowVisible, std::string& out) {
    if (!control.GetName().empty()) {
        const platform::Rect onScreen = host.ClientRectToScreen(control.GetWindowRect());
        std::string text = Utf16ToUtf8(control.GetWindowText());
        std::replace(text.begin(), text.end(), '\n', ' ');
        std::replace(text.begin(), text.end(), '\r', ' ');
        out += host.GetHostAttributes().name + " " + control.GetName() + " " + std::to_string(onScreen.left) + " " +
               std::to_string(onScreen.top) + " " + std::to_string(onScreen.right) + " " +
               std::to_string(onScreen.bottom) + " " +
               ((windowVisible && control.IsVisible(true)) ? "1" : "0") + " " +
               (control.IsDisabled(true) ? "0" : "1") + " " + (control.IsChecked() ? "1" : "0") + " " + text + "\n";
    }
    for (const auto& child : control.GetChildren()) DescribeControl(host, *child, windowVisible, out);
}

}  // namespace

UiMapWriter& UiMapWriter::Instance() {
    static UiMapWriter writer([] {
        const char* path = std::getenv("ZINTRA_UI_MAP");
        return std::string(path != nullptr ? path : "");
    }());
    return writer;
}

UiMapWriter::UiMapWriter(std::string path) : path_(std::move(path)) {}

void UiMapWriter::AddHost(SHostWnd* host) {
    // Nothing to remember while nothing is written.
    if (Enabled() && host != nullptr && std::find(hosts_.begin(), hosts_.end(), host) == hosts_.end()) hosts_.push_back(host);
}

void UiMapWriter::RemoveHost(SHostWnd* host) { hosts_.erase(std::remove(hosts_.begin(), hosts_.end(), host), hosts_.end()); }

void UiMapWriter::RemoveWindow(std::uintptr_t window) {
    hosts_.erase(std::remove_if(hosts_.begin(), hosts_.end(), [window](SHostWnd* host) { return host->GetHwnd() == window; }),
                 hosts_.end());
}

std::string UiMapWriter::DescribeHost(const SHostWnd& host) {
    std::string out;
    const SWindow* root = host.GetRoot();
    if (root == nullptr || host.GetHwnd() == 0) return out;  // not built yet, or gone
    const bool visible = host.IsWindowVisible();
    const platform::Rect window = host.GetWindowRect();
    out += host.GetHostAttributes().name + " * " + std::to_string(window.left) + " " + std::to_string(window.top) +
           " " + std::to_string(window.right) + " " + std::to_string(window.bottom) + " " + (visible ? "1" : "0") +
           " 1 0 " + Utf16ToUtf8(host.GetHostAttributes().title) + "\n";
    DescribeControl(host, *root, visible, out);
    return out;
}

std::string UiMapWriter::Describe() const {
    std::string out;
    for (const SHostWnd* host : hosts_) out += DescribeHost(*host);
    return out;
}

void UiMapWriter::Refresh() {
    // Describing lays windows out, which must not come back here.
    if (!Enabled() || refreshing_) return;
    refreshing_ = true;
    const std::string text = Describe();
    refreshing_ = false;
    if (hasWritten_ && text == written_) return;
    const std::filesystem::path target(path_);
    std::filesystem::path temporary = target;
    temporary += ".tmp";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        if (!file) return;
        file << text;
        if (!file.flush()) return;
    }
    std::error_code error;
    std::filesystem::rename(temporary, target, error);
    if (error) return;
    written_ = text;
    hasWritten_ = true;
}

}  // namespace zintra::ui
