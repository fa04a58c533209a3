#include "platform/linux/LinuxTray.h"

#include <cstdio>
#include <cstdlib>

#include "platform/Messages.h"
#include "platform/linux/TextConversion.h"
#include "platform/linux/TrayProtocol.h"

namespace zintra::platform::linux_x11 {

namespace {

std::string EnvironmentOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0' ? value : fallback;
}

std::string TipText(const TrayIconData& data) {
    std::u16string tip;
    for (char16_t c : data.tip) {
        if (c == u'\0') break;
        tip += c;
    }
    return ToUtf8(tip);
}

}  // namespace

LinuxTray::LinuxTray(TrayDock* dock) : dock_(dock) {
    menu_.OnCommand([this](int command) { OnMenuCommand(command); });
    if (dock_ != nullptr) {
        dock_->OnClick([this](TrayClick click) { OnClick(click); });
        dock_->OnManagerStarted([this] { OnTrayStarted(); });
    }
    const std::string home = EnvironmentOr("HOME", "");
    iconName_ = InstalledIconName(EnvironmentOr("XDG_DATA_HOME", home.empty() ? "" : home + "/.local/share"),
                                  EnvironmentOr("XDG_DATA_DIRS", "/usr/local/share:/usr/share"));
}

LinuxTray::~LinuxTray() = default;

StatusNotifierItem::Look LinuxTray::LookOf(const TrayIconData& data) const {
    StatusNotifierItem::Look look;
    look.iconName = iconName_;
    if (loop_ != nullptr && data.icon != 0) look.pictures = loop_->IconPictures(data.icon);
    look.tip = TipText(data);
    return look;
}

void LinuxTray::Post(NativeWindow window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (loop_ != nullptr && window != 0 && message != 0) loop_->PostMessage(window, message, wParam, lParam);
}

void LinuxTray::ShowNotice(const TrayIconData& data) {
    if ((data.flags & tray::kInfo) == 0) return;
    if (const auto notice = NoticeFor(data)) {
        notices_.Show(*notice, iconName_);
    } else {
        notices_.Close();  // an empty balloon takes the last one away
    }
}

void LinuxTray::OnClick(TrayClick click) {
    if (!added_) return;
    if (const auto callback = CallbackFor(click, record_)) {
        Post(callback->window, callback->message, callback->wParam, callback->lParam);
    }
}

void LinuxTray::OnMenuCommand(int command) {
    // As the program's own menu sends it: the command in the low word, 0 above.
    if (added_) Post(record_.window, msg::kCommand, static_cast<std::uint16_t>(command), 0);
}

void LinuxTray::SetMenu(const std::vector<TrayMenuEntry>& entries) {
    menu_.SetEntries(entries);
    if (item_) item_->SetMenuPath(menu_.Export() ? DbusMenu::kPath : "");
}

void LinuxTray::OnTrayStarted() {
    // As after a taskbar restart on Windows: the tray code adds the icon again.
    if (added_) Post(record_.window, taskbarCreated_, 0, 0);
}

void LinuxTray::Add(const TrayIconData& data) {
    record_ = data;
    added_ = true;
    if (!item_) {
        item_ = std::make_unique<StatusNotifierItem>(bus_, data.id);
        item_->OnClick([this](TrayClick click) { OnClick(click); });
        item_->OnWatcherStarted([this] { OnTrayStarted(); });
        if (menu_.HasEntries() && menu_.Export()) item_->SetMenuPath(DbusMenu::kPath);
    }
    // From now on a panel that starts later brings the icon in.
    item_->WatchWatcher();
    if (dock_ != nullptr) dock_->WatchManager();
    const StatusNotifierItem::Look look = LookOf(data);
    if (item_->WatcherPresent() && item_->Show(look)) {
        if (dock_ != nullptr) dock_->Hide();
        shown_ = Shown::AsItem;
    } else if (dock_ != nullptr && dock_->Show(look.pictures, look.tip)) {
        shown_ = Shown::Docked;
    } else {
        shown_ = Shown::Nowhere;
        if (!saidMissing_) {
            saidMissing_ = true;
            std::fputs("zintra: no notification area on this desktop (no StatusNotifierItem watcher on the "
                       "session bus, no tray of the display); running without a tray icon\n",
                       stderr);
        }
    }
    ShowNotice(data);
}

bool LinuxTray::Modify(const TrayIconData& data) {
    if (!added_) return false;
    record_ = data;
    if (shown_ == Shown::AsItem) item_->Update(LookOf(data));
    if (shown_ == Shown::Docked) {
        const StatusNotifierItem::Look look = LookOf(data);
        dock_->Update(look.pictures, look.tip);
    }
    ShowNotice(data);
    return true;
}

bool LinuxTray::Delete() {
    if (!added_) return false;
    added_ = false;
    shown_ = Shown::Nowhere;
    if (item_) item_->Hide();
    if (dock_ != nullptr) dock_->Hide();
    return true;
}

bool LinuxTray::NotifyIcon(TrayAction action, const TrayIconData& data) {
    switch (action) {
        case TrayAction::Add:
            Add(data);
            return shown_ != Shown::Nowhere;
        case TrayAction::Modify: return Modify(data);
        case TrayAction::Delete: return Delete();
    }
    return false;
}

}  // namespace zintra::platform::linux_x11
