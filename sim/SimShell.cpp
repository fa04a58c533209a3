#include "sim/SimShell.h"

namespace zintra::sim {

bool SimShell::NotifyIcon(platform::TrayAction action, const platform::TrayIconData& data) {
    trayCalls_.push_back({action, data});
    if (watcher_) watcher_(trayCalls_.back());
    if (!data.sized) return false;
    switch (action) {
        case platform::TrayAction::Add:
            if (refuse_ || shown_) return false;
            shown_ = data;
            return true;
        case platform::TrayAction::Modify:
            if (!shown_ || shown_->id != data.id || shown_->window != data.window) return false;
            shown_ = data;
            if ((data.flags & platform::tray::kInfo) && data.info[0] != u'\0') balloons_.emplace_back(data.info);
            return true;
        case platform::TrayAction::Delete:
            if (!shown_ || shown_->id != data.id || shown_->window != data.window) return false;
            shown_.reset();
            return true;
    }
    return false;
}

std::uint32_t SimShell::RegisterWindowMessage(const std::u16string& name) {
    auto [it, added] = messages_.try_emplace(name, 0xC000 + static_cast<std::uint32_t>(messages_.size()));
    return it->second;
}

bool SimShell::SetForegroundWindow(platform::NativeWindow window) {
    foreground_ = window;
    return true;
}

bool SimShell::OpenUrl(const std::u16string& url) {
    urls_.push_back(url);
    return !openerMissing_;
}

std::intptr_t SimShell::StartInstaller(const std::string& path) {
    installers_.push_back(path);
    return installerResult_;
}

}  // namespace zintra::sim
