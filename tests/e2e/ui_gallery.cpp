// Test-only Windows program: starts the toolkit as zintra.exe does (Win32
// backend, the program's resources, "uidef:xml_init", the named ids, the
// extended combo box classes) and shows any layout as a plain host window or
// a modal dialog, so every window can be shown, driven and photographed
// before its window class exists. What happens is appended to a result file.
//
//   ui_gallery.exe [options] LAYOUT:NAME
//     --modal           run it as a modal dialog owned by a hidden window
//     --tab N           switch the first tab control to page N
//     --at X Y          top-left corner of a plain window (dialogs are centred)
//     --menu            1.5 s after start show "SMENU:menu_tray" at the cursor
//     --probe WHOSE     1.5 s after start open the test pop-up (PopupProbe) at the
//                       cursor, owned by the window ("host") or by nothing ("tray")
//     --probe-tip       1.5 s after start show the test pop-up's passive tip at the cursor
//     --sub-menu        as --extended-menu, with a sub-menu "更多" (ids 8, 9) between the items
//     --long-list N     add N entries ("extra 1" ...) to the combo box cbx_Time
//     --enable NAME     enable a control (and its enabled edit style), as a
//                       window class would when its check box is ticked
//     --result FILE     where result lines go
//     --leak N          open and auto-close the layout as a dialog N times and
//                       report GDI objects, user objects and handles
//
// Result lines: "event <control> <id>", "dialog <result>", "menu-at <x> <y>", "menu <id>",
// "owner-enabled <0|1>", "owner-timer <ticks>", "hotkey <id>",
// "leak <what> <after first> <after last>", "ready".
#include "platform/win32/WindowsApi.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/Messages.h"
#include "platform/Platform.h"
#include "platform/win32/Win32Platform.h"
#include "res/ControlIds.h"
#include "res/ProgramResources.h"
#include "ui/controls/BuiltinControls.h"
#include "ui/core/CSimpleWnd.h"
#include "ui/core/SApplication.h"
#include "ui/controls/SComboBoxEx.h"
#include "ui/core/SHostDialog.h"
#include "ui/controls/SListBoxEx.h"
#include "ui/controls/SMenu.h"
#include "ui/controls/SMenuEx.h"
#include "ui/controls/STabCtrl.h"
#include "base/TextUtil.h"
#include "tests/e2e/ResultLines.h"
#include "ui/win32/Win32Backend.h"
#include "PopupProbe.h"

namespace zintra::gallery {
namespace {

using ui::EventArgs;

constexpr std::uintptr_t kOwnerTimer = 1524;  // the main window's click timer id
constexpr int kOwnerHotkey = 1224;            // the start/stop hotkey id
constexpr std::uintptr_t kMenuTimer = 0x6001;
constexpr std::uintptr_t kAutoCloseTimer = 0x6002;

std::string resultPath;

void Report(const std::string& line) { ReportLine(resultPath, line); }

// Stands in for the application's tray icon control until it exists: takes
// the layout's attributes and loads its icon, but shows nothing.
class StandInTrayIcon : public ui::SWindow {
    ZUI_CLASS_NAME(ui::SWindow, "shellnotifyicon")
protected:
    bool ApplyAttribute(std::string_view name, std::string_view value, bool loading) override {
        if (name == "ico") {
            if (auto* application = ui::SApplication::Instance()) application->LoadIcon(value);
            return true;
        }
        if (name == "menu") return true;
        return SWindow::ApplyAttribute(name, value, loading);
    }
};

// A hidden owner with a running timer and a hotkey, to show that both keep
// working while a dialog's nested loop runs.
class Owner final : public ui::CSimpleWnd {
public:
    int ticks = 0;

protected:
    std::optional<std::intptr_t> WindowProc(std::uint32_t message, std::uintptr_t wParam, std::intptr_t) override {
        if (message == msg::kTimer && wParam == kOwnerTimer) {
            ++ticks;
            return 0;
        }
        if (message == msg::kHotKey) {
            Report("hotkey " + std::to_string(wParam));
            return 0;
        }
        return std::nullopt;
    }
};

struct Options {
    std::string layout;
    bool modal = false;
    int tab = -1;
    int x = 40;
    int y = 40;
    bool menu = false;
    bool extendedMenu = false;  // the tray's items in the extended menu form
    std::string probe;          // "host", "tray" or "tip"
    bool subMenu = false;
    int longList = 0;
    int leak = 0;
    std::vector<std::string> enable;
};

void SelectTab(ui::SWindow* window, int page) {
    if (window == nullptr || page < 0) return;
    if (auto* tabs = dynamic_cast<ui::STabCtrl*>(window)) {
        tabs->SetCurSel(page);
        return;
    }
    for (const auto& child : window->GetChildren()) SelectTab(child.get(), page);
}

void LengthenList(ui::SWindow* window, int count) {
    auto* combo = dynamic_cast<ui::SComboBox*>(window);
    if (combo == nullptr) return;
    for (int i = 1; i <= count; ++i) combo->InsertItem(combo->GetCount(), u"extra " + Utf8ToUtf16(std::to_string(i)), i);
}

// The common behaviour of both kinds of gallery window.
template <class Base>
class GalleryWindow : public Base {
public:
    GalleryWindow(std::string layout, const Options& options, Owner* owner)
        : Base(std::move(layout)), options_(options), owner_(owner) {}
    bool autoClose = false;

protected:
    std::optional<std::intptr_t> OnWindowMessage(std::uint32_t message, std::uintptr_t wParam,
                                                 std::intptr_t lParam) override {
        if (message == msg::kInitDialog) {
            SelectTab(this->GetRoot(), options_.tab);
            for (const std::string& name : options_.enable) {
                if (ui::SWindow* control = this->FindChildByName(name)) {
                    control->SetAttribute("enable", "1");
                    if (control->IsClass("edit")) control->SetAttribute("class", "cls_edit2");
                }
            }
            LengthenList(this->FindChildByName("cbx_Time"), options_.longList);
            if (options_.menu || options_.extendedMenu || options_.subMenu || !options_.probe.empty()) {
                this->SetTimer(kMenuTimer, 1500);
            }
            if (autoClose) this->SetTimer(kAutoCloseTimer, 1);
        }
        if (message == msg::kTimer && wParam == kMenuTimer) {
            this->KillTimer(kMenuTimer);
            if (!options_.probe.empty()) {
                RunProbe();
                return 0;
            }
            if (options_.extendedMenu || options_.subMenu) {
                ui::SMenuEx menu;
                const std::string more = options_.subMenu ? "<menuItem text='更多'><menuItem id='8'>子项一</menuItem>"
                                                            "<menuItem id='9'>子项二</menuItem></menuItem><sep/>"
                                                          : "";
                if (menu.LoadMenuXml("<menuRoot iconSkin='skin_traymenu_icons' itemHeight='26' iconMargin='4' "
                                     "textMargin='8'><menuItem id='5' icon='0'>显示主界面</menuItem>" + more +
                                     "<menuItem id='6' icon='1'>退出</menuItem></menuRoot>")) {
                    const platform::Point at = platform::Current().GetMouseInput().CursorPosition();
                    Report("menu-at " + std::to_string(at.x) + " " + std::to_string(at.y));
                    Report("menu " + std::to_string(menu.TrackPopupMenu(ui::SMenu::kReturnCommand, at.x, at.y,
                                                                        this->GetHwnd(), 100)));
                }
                return 0;
            }
            ui::SMenu menu;
            if (menu.LoadMenu("SMENU:menu_tray")) {
                const platform::Point at = platform::Current().GetMouseInput().CursorPosition();
                Report("menu-at " + std::to_string(at.x) + " " + std::to_string(at.y));
                Report("menu " + std::to_string(menu.TrackPopupMenu(ui::SMenu::kReturnCommand, at.x, at.y, this->GetHwnd())));
            }
            return 0;
        }
        if (message == msg::kTimer && wParam == kAutoCloseTimer) {
            this->KillTimer(kAutoCloseTimer);
            End(1);
            return 0;
        }
        (void)lParam;
        return std::nullopt;
    }

    void OnEvent(EventArgs& event) override {
        if (!autoClose) Report("event " + event.nameFrom + " " + std::to_string(event.id));
        if (event.id != ui::EventCmd::kId) return;
        if (owner_ != nullptr && !autoClose) {
            // Seen from inside the dialog's loop: the owner must be disabled.
            Report(std::string("owner-enabled ") +
                   (IsWindowEnabled(reinterpret_cast<HWND>(owner_->GetHwnd())) ? "1" : "0"));
        }
        if (event.nameFrom == "btn_sure" || event.nameFrom == "btnUpdate") {
            End(1);
        } else if (event.nameFrom == "btn_close" || event.nameFrom == "btn_cancel" || event.nameFrom == "btnNotUpdate") {
            End(0);
        }
        event.handled = true;
    }

private:
    void RunProbe() {
        const platform::Point at = platform::Current().GetMouseInput().CursorPosition();
        // Kept: a tip stays open after this returns.
        probe_ = std::make_unique<PopupProbe>(ui::SApplication::Instance()->GetBackend(), Report);
        if (options_.probe == "tip") {
            probe_->ShowTip(at, this->GetHwnd());
        } else {
            probe_->Run(at, options_.probe == "tray" ? 0 : this->GetHwnd());
        }
    }

    void End(int result) {
        if constexpr (std::is_same_v<Base, ui::SHostDialog>) {
            this->EndDialog(result);
        } else {
            Report("dialog " + std::to_string(result));
            this->DestroyWindow();
        }
    }

    const Options& options_;
    Owner* owner_;
    std::unique_ptr<PopupProbe> probe_;
};

using GalleryDialog = GalleryWindow<ui::SHostDialog>;
using GalleryHost = GalleryWindow<ui::SHostWnd>;

std::optional<Options> ParseOptions(int argc, wchar_t** argv) {
    Options options;
    const auto arg = [&](int i) {
        const std::wstring wide = argv[i];
        return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
    };
    for (int i = 1; i < argc; ++i) {
        const std::string a = arg(i);
        const bool more = i + 1 < argc;
        if (a == "--modal") {
            options.modal = true;
        } else if (a == "--tab" && more) {
            options.tab = std::atoi(arg(++i).c_str());
        } else if (a == "--at" && i + 2 < argc) {
            options.x = std::atoi(arg(++i).c_str());
            options.y = std::atoi(arg(++i).c_str());
        } else if (a == "--menu") {
            options.menu = true;
        } else if (a == "--probe" && more) {
            options.probe = arg(++i);
        } else if (a == "--probe-tip") {
            options.probe = "tip";
        } else if (a == "--sub-menu") {
            options.subMenu = true;
        } else if (a == "--long-list" && more) {
            options.longList = std::atoi(arg(++i).c_str());
        } else if (a == "--extended-menu") {
            options.extendedMenu = true;
        } else if (a == "--result" && more) {
            resultPath = arg(++i);
        } else if (a == "--enable" && more) {
            options.enable.push_back(arg(++i));
        } else if (a == "--leak" && more) {
            options.leak = std::atoi(arg(++i).c_str());
        } else if (a.rfind("--", 0) == 0) {
            return std::nullopt;
        } else {
            options.layout = a;
        }
    }
    if (options.layout.empty()) return std::nullopt;
    return options;
}

struct Counts {
    DWORD gdi = 0;
    DWORD user = 0;
    DWORD handles = 0;
};

Counts CountResources() {
    Counts counts;
    counts.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    counts.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    GetProcessHandleCount(GetCurrentProcess(), &counts.handles);
    return counts;
}

int RunLeakCheck(const Options& options, Owner& owner) {
    Counts first;
    for (int i = 0; i < options.leak; ++i) {
        GalleryDialog dialog(options.layout, options, &owner);
        dialog.autoClose = true;
        if (dialog.DoModal(owner.GetHwnd()) != 1) {
            Report("leak failed " + std::to_string(i));
            return 1;
        }
        if (i == 0) first = CountResources();  // caches (fonts, pictures) are warm now
    }
    const Counts last = CountResources();
    Report("leak gdi " + std::to_string(first.gdi) + " " + std::to_string(last.gdi));
    Report("leak user " + std::to_string(first.user) + " " + std::to_string(last.user));
    Report("leak handles " + std::to_string(first.handles) + " " + std::to_string(last.handles));
    return 0;
}

int Run(int argc, wchar_t** argv) {
    const auto options = ParseOptions(argc, argv);
    if (!options) {
        std::fprintf(stderr, "usage: ui_gallery [--modal] [--tab N] [--at X Y] [--menu] [--result FILE] [--leak N] LAYOUT\n");
        return 2;
    }
    platform::win32::Win32Platform platform;
    platform::SetCurrent(&platform);
    int exitCode = 0;
    {
        ui::Win32Backend backend;
        ui::SApplication application(backend, u"ZUIHOST");
        ui::RegisterBuiltinControls(application);
        application.AddResProvider(CreateProgramResources());
        application.LoadUiDefinitions("uidef:xml_init");
        application.SetNamedIds(ControlIdTable());
        application.RegisterWindowClass<ui::SComboBoxEx>();
        application.RegisterWindowClass<ui::SListBoxEx>();
        application.RegisterWindowClass<StandInTrayIcon>();

        Owner owner;
        owner.Create();
        backend.SetTimer(owner.GetHwnd(), kOwnerTimer, 50);
        backend.RegisterHotKey(owner.GetHwnd(), kOwnerHotkey, 0, msg::kVkF8 + 1);  // F9

        if (options->leak > 0) {
            exitCode = RunLeakCheck(*options, owner);
        } else if (options->modal) {
            GalleryDialog dialog(options->layout, *options, &owner);
            Report("ready");
            const int result = dialog.DoModal(owner.GetHwnd());
            Report("owner-timer " + std::to_string(owner.ticks));
            Report("dialog " + std::to_string(result));
        } else {
            GalleryHost host(options->layout, *options, nullptr);
            const platform::NativeWindow window = host.Create(0, options->x, options->y);
            if (window == 0) {
                Report("dialog -1");
                exitCode = 1;
            } else {
                host.SendMessage(msg::kInitDialog, 0, 0);
                host.ShowWindow(msg::kSwShowNormal);
                Report("ready");
                exitCode = application.Run(window);
            }
        }
        backend.UnregisterHotKey(owner.GetHwnd(), kOwnerHotkey);
        owner.DestroyWindow();
    }
    platform::SetCurrent(nullptr);
    return exitCode;
}

}  // namespace
}  // namespace zintra::gallery

int wmain(int argc, wchar_t** argv) { return zintra::gallery::Run(argc, argv); }
