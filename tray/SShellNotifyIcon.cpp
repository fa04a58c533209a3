#include "tray/SShellNotifyIcon.h"

#include <charconv>


#include "platform/Messages.h"
#include "platform/Platform.h"
#include "tray/CShellNotifyHwnd2.h"
#include "ui/core/Backend.h"
#include "ui/core/SApplication.h"
#include "ui/core/SHostWnd.h"
#include "ui/controls/SMenu.h"
#include "ui/controls/SMenuEx.h"
#include "base/TextUtil.h"

namespace zintra {

namespace {

unsigned ParseIndex(std::string_view text) {
    unsigned value = 0;
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    std::from_chars(text.data(), text.data() + text.size(), value, base);
    return value;
}

std::vector<platform::TrayMenuEntry> EntriesOf(const std::vector<ui::MenuItem>& items) {
    std::vector<platform::TrayMenuEntry> entries;
    for (const ui::MenuItem& item : items) {
        platform::TrayMenuEntry entry;
        entry.command = item.id;
        entry.text = item.text;
        entry.separator = item.separator;
        entry.enabled = !item.disabled;
        entry.children = EntriesOf(item.children);
        entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace

SShellNotifyIcon::SShellNotifyIcon() = default;

SShellNotifyIcon::~SShellNotifyIcon() {
    RemoveTrayIcon();
    DestroyIcons();
}

void SShellNotifyIcon::DestroyIcons() {
    auto& shell = platform::Current().GetShell();
    for (platform::IconHandle icon : icons_) shell.DestroyIcon(icon);
    icons_.clear();
}

void SShellNotifyIcon::LoadIcons(std::string_view names) {
    DestroyIcons();
    const auto* application = ui::SApplication::Instance();
    if (application == nullptr) return;
    while (!names.empty()) {
        const auto end = names.find(';');
        const std::string_view name = names.substr(0, end);
        if (!name.empty()) {
            if (const auto icon = application->LoadIcon(name)) icons_.push_back(icon);
        }
        if (end == std::string_view::npos) break;
        names.remove_prefix(end + 1);
    }
}

bool SShellNotifyIcon::ApplyAttribute(std::string_view name, std::string_view value, bool loading) {
    if (name == "ico") {
        LoadIcons(value);
        return true;
    }
    if (name == "tip") {
        if (value.empty()) return true;
        tip_ = Utf8ToUtf16(value);
        if (!loading) {
            record_.flags &= ~platform::tray::kInfo;
            record_.flags |= platform::tray::kTip;
            platform::CopyTrayText(record_.tip, tip_);
            platform::Current().GetShell().NotifyIcon(platform::TrayAction::Modify, record_);
        }
        return true;
    }
    if (name == "menu") {
        const auto* application = ui::SApplication::Instance();
        const auto document = application != nullptr ? application->LoadResource(value) : std::nullopt;
        if (!document) return true;
        const ui::SMenu::Kind kind = ui::SMenu::KindOf(*document);
        menuKind_ = kind == ui::SMenu::Kind::Classic ? kClassicMenu : kind == ui::SMenu::Kind::Extended ? kExtendedMenu : kNoMenu;
        if (menuKind_ != kNoMenu) menuName_ = std::string(value);
        return true;
    }
    if (name == "deficoidx") {
        defaultIconIndex_ = ParseIndex(value);
        return true;
    }
    return SWindow::ApplyAttribute(name, value, loading);
}

void SShellNotifyIcon::OnDestroy() { RemoveTrayIcon(); }

bool SShellNotifyIcon::AddTrayIcon() {
    ui::SHostWnd* host = GetHost();
    if (host == nullptr || hiddenWindow_ != nullptr) return false;
    auto* window = new CShellNotifyHwnd2(*host, *this);
    if (window->Create() == 0) {
        delete window;
        return false;
    }
    hiddenWindow_ = window;

    if (defaultIconIndex_ >= icons_.size()) defaultIconIndex_ = 0;
    platform::IconHandle icon = 0;
    if (!icons_.empty()) {
        icon = icons_[defaultIconIndex_];
    } else if (const auto* application = ui::SApplication::Instance()) {
        icon = application->LoadIcon("ICON_LOGO:16");
    }

    record_ = platform::TrayIconData{};
    record_.sized = true;
    record_.window = hiddenWindow_->GetHwnd();
    record_.id = kTrayIconId;
    record_.flags = platform::tray::kMessage | platform::tray::kIcon | platform::tray::kTip;
    record_.callbackMessage = msg::kTrayNotify;
    record_.icon = icon;
    platform::CopyTrayText(record_.tip, tip_);
    auto& shell = platform::Current().GetShell();
    // Before the icon: a panel that reads the menu at once finds it.
    shell.SetTrayMenu(MenuEntries());
    inTray_ = shell.NotifyIcon(platform::TrayAction::Add, record_);
    return inTray_;
}

bool SShellNotifyIcon::Resend() {
    inTray_ = platform::Current().GetShell().NotifyIcon(platform::TrayAction::Add, record_);
    return inTray_;
}

void SShellNotifyIcon::RemoveTrayIcon() {
    if (hiddenWindow_ == nullptr) return;
    auto& platform = platform::Current();
    platform.GetShell().NotifyIcon(platform::TrayAction::Delete, record_);
    DestroyIcons();
    inTray_ = false;
    hiddenWindow_->Detach();
    ui::CurrentBackend().PostMessage(hiddenWindow_->GetHwnd(), msg::kClose, 0, 0);
    hiddenWindow_ = nullptr;
}

std::vector<platform::TrayMenuEntry> SShellNotifyIcon::MenuEntries() const {
    ui::SMenu classic;
    ui::SMenuEx extended;
    if (menuKind_ == kClassicMenu && classic.LoadMenu(menuName_)) return EntriesOf(classic.Data().items);
    if (menuKind_ == kExtendedMenu && extended.LoadMenu(menuName_)) return EntriesOf(extended.Data().items);
    return {};
}

void SShellNotifyIcon::ShowTrayMenu() {
    if (menuKind_ == kNoMenu || hiddenWindow_ == nullptr) return;
    ui::SMenu classic;
    ui::SMenuEx extended;
    if (menuKind_ == kClassicMenu ? !classic.LoadMenu(menuName_) : !extended.LoadMenu(menuName_)) return;
    auto& platform = platform::Current();
    const platform::Point at = platform.GetMouseInput().CursorPosition();
    platform.GetShell().SetForegroundWindow(hiddenWindow_->GetHwnd());
    // The chosen item comes back to the hidden window as WM_COMMAND.
    if (menuKind_ == kClassicMenu) {
        classic.TrackPopupMenu(0, at.x, at.y, hiddenWindow_->GetHwnd());
    } else {
        extended.TrackPopupMenu(0, at.x, at.y, hiddenWindow_->GetHwnd(), 100);
    }
}

std::intptr_t SShellNotifyIcon::HandleTrayNotify(std::intptr_t mouseMessage) {
    ui::SHostWnd* host = GetHost();
    switch (static_cast<std::uint32_t>(mouseMessage)) {
        case msg::kLButtonDown:
            if (host == nullptr) return 0;
            if (host->IsWindowVisible()) {
                host->ShowWindow(msg::kSwHide);
            } else {
                host->ShowWindow(msg::kSwShow);
                platform::Current().GetShell().SetForegroundWindow(host->GetHwnd());
            }
            return 0;
        case msg::kRButtonDown:
            ShowTrayMenu();
            return 0;
        default:
            return 1;
    }
}

void SShellNotifyIcon::ShowBalloon(const char16_t* text, const char16_t* title) {
    if (text != nullptr) {
        platform::CopyTrayText(record_.info, text);
        record_.flags |= platform::tray::kInfo;
        record_.timeout = 1000;
    }
    if (title != nullptr) platform::CopyTrayText(record_.infoTitle, title);
    platform::Current().GetShell().NotifyIcon(platform::TrayAction::Modify, record_);
}

}  // namespace zintra
