// Test-only native program: starts the toolkit as zintra does on X11 and shows
// the main window's layout, so the tests can open pop-ups on a real X display:
// a menu with a sub-menu at the pointer, the combo boxes' lists at a drop
// height of the test's choosing, and a probe of the backend's pop-up windows
// themselves. What happens is appended to a result file.
//
//   x11_popup_gallery [--result FILE] [--drop-height N] [--menu] [--probe] [--tip]
//     --drop-height N  the combo boxes' lists are N layout units high
//     --menu           1.5 s after start show a menu with a sub-menu at the pointer
//     --probe          1.5 s after start open the probe's pop-ups (see PopupProbe)
//     --tip            a passive probe pop-up over the "鼠标右键" radio button
//
// Result lines: "ready", "menu <id>", "popup <window> <left> <top> <right> <bottom>",
// "message <name> <wParam> <x> <y>", "outside", "chose", "cancelled", "loop <0|1>".
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/Messages.h"
#include "platform/linux/LinuxPlatform.h"
#include "res/ControlIds.h"
#include "res/ProgramResources.h"
#include "tests/e2e/ResultLines.h"
#include "ui/controls/BuiltinControls.h"
#include "ui/controls/SComboBoxEx.h"
#include "ui/controls/SListBoxEx.h"
#include "ui/controls/SMenuEx.h"
#include "ui/core/PopupMenu.h"
#include "ui/core/SApplication.h"
#include "ui/core/SHostWnd.h"
#include "ui/render/Surface.h"
// Last: Xlib's macros (None) clash with the toolkit's names.
#include "platform/x11/X11Desktop.h"
#include "ui/x11/X11Backend.h"

namespace zintra::gallery {
namespace {

constexpr std::uintptr_t kStartTimer = 0x6001;
// A menu with a sub-menu between two plain items, and a disabled item.
constexpr const char* kMenuWithSubMenu =
    "<menuRoot itemHeight='26' iconMargin='4' textMargin='8'>"
    "<menuItem id='11'>第一项</menuItem>"
    "<menuItem id='12'>更多<menuItem id='21'>子项一</menuItem><menuItem id='22' disable='1'>子项二</menuItem>"
    "<menuItem id='23'>子项三</menuItem></menuItem>"
    "<sep/><menuItem id='13'>最后一项</menuItem></menuRoot>";

std::string resultPath;

void Report(const std::string& line) { ReportLine(resultPath, line); }

std::string MessageName(std::uint32_t message) {
    switch (message) {
        case msg::kMouseMove: return "move";
        case msg::kLButtonDown: return "ldown";
        case msg::kLButtonUp: return "lup";
        case msg::kRButtonDown: return "rdown";
        case msg::kRButtonUp: return "rup";
        case msg::kMouseWheel: return "wheel";
        case msg::kKeyDown: return "keydown";
        case msg::kKeyUp: return "keyup";
        case msg::kSysKeyDown: return "syskeydown";
        case msg::kSysKeyUp: return "syskeyup";
        case msg::kChar: return "char";
        default: return std::to_string(message);
    }
}

// One plain-coloured pop-up of the probe, with a dark square in its corner
// while the pointer is over it.
class ProbeContent final : public ui::PopupContent {
public:
    explicit ProbeContent(ui::Color colour) : colour_(colour) {}
    void PaintPopup(ui::Surface& surface) override {
        surface.FillRect({0, 0, 1000, 1000}, colour_);
        if (hovered) surface.FillRect({0, 0, 20, 20}, ui::Color{0x20, 0x20, 0x20, 255});
    }
    bool hovered = false;

private:
    ui::Color colour_;
};

// Drives the backend's pop-up seam the way a menu does: a first pop-up, a
// second beside it on Right (closed by Left), the first closed on X while the
// second stays; a press outside both closes, a release in the second chooses.
class PopupProbe final : public ui::PopupInput {
public:
    explicit PopupProbe(ui::Backend& backend) : backend_(backend) {}

    void Run() {
        first_ = Open(firstContent_, {200, 200, 400, 400});
        const bool running = backend_.RunPopupLoop(*this, open_);
        Report(std::string("loop ") + (running ? "1" : "0"));
        if (second_ != 0) backend_.ClosePopup(second_);
        if (first_ != 0) backend_.ClosePopup(first_);
    }

    void PopupMessage(std::uint32_t message, std::uintptr_t wParam, platform::Point at) override {
        Report("message " + MessageName(message) + " " + std::to_string(wParam) + " " + std::to_string(at.x) + " " +
               std::to_string(at.y));
        if (message == msg::kMouseMove && first_ != 0 && firstContent_.hovered != Inside(firstRect_, at)) {
            firstContent_.hovered = !firstContent_.hovered;
            backend_.RefreshPopup(first_);
        }
        if (message == msg::kKeyDown) OnKey(static_cast<std::uint32_t>(wParam));
        if (message == msg::kLButtonDown && !Inside(firstRect_, at) && !Inside(secondRect_, at)) {
            Report("outside");
            open_ = false;
        }
        if (message == msg::kLButtonUp && second_ != 0 && Inside(secondRect_, at)) {
            Report("chose");
            open_ = false;
        }
    }

    void PopupCancelled() override {
        Report("cancelled");
        open_ = false;
    }

private:
    static bool Inside(const platform::Rect& rect, platform::Point at) {
        return at.x >= rect.left && at.x < rect.right && at.y >= rect.top && at.y < rect.bottom;
    }

    platform::NativeWindow Open(ProbeContent& content, const platform::Rect& rect) {
        ui::PopupSpec spec;
        spec.rect = rect;
        const platform::NativeWindow window = backend_.OpenPopup(content, spec);
        Report("popup " + std::to_string(window) + " " + std::to_string(rect.left) + " " + std::to_string(rect.top) +
               " " + std::to_string(rect.right) + " " + std::to_string(rect.bottom));
        return window;
    }

    void OnKey(std::uint32_t key) {
        if (key == msg::kVkEscape) open_ = false;
        if (key == msg::kVkRight && second_ == 0) second_ = Open(secondContent_, secondRect_);
        if (key == msg::kVkLeft && second_ != 0) {
            backend_.ClosePopup(second_);
            second_ = 0;
        }
        if (key == 'X' && first_ != 0 && second_ != 0) {
            backend_.ClosePopup(first_);
            first_ = 0;
        }
    }

    ui::Backend& backend_;
    bool open_ = true;
    const platform::Rect firstRect_{200, 200, 400, 400};
    const platform::Rect secondRect_{400, 200, 560, 300};
    ProbeContent firstContent_{ui::Color{0x40, 0xA0, 0x40, 255}};
    ProbeContent secondContent_{ui::Color{0x40, 0x40, 0xC0, 255}};
    platform::NativeWindow first_ = 0;
    platform::NativeWindow second_ = 0;
};

// The layout's tray icon without a tray: takes its attributes, shows nothing.
class StandInTrayIcon final : public ui::SWindow {
    ZUI_CLASS_NAME(ui::SWindow, "shellnotifyicon")
protected:
    bool ApplyAttribute(std::string_view name, std::string_view value, bool loading) override {
        if (name == "ico" || name == "menu") return true;
        return SWindow::ApplyAttribute(name, value, loading);
    }
};

struct Options {
    int dropHeight = 0;
    bool menu = false;
    bool probe = false;
    bool tip = false;
};

class GalleryWindow final : public ui::SHostWnd {
public:
    GalleryWindow(const Options& options, ui::Backend& backend)
        : SHostWnd("LAYOUT:XML_MAINWND"), options_(options), backend_(backend) {}

protected:
    std::optional<std::intptr_t> OnWindowMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t) override {
        if (message == msg::kInitDialog) {
            for (const char* name : {"cbx_Time", "cbx_hotkey"}) {
                ui::SWindow* combo = FindChildByName(name);
                if (combo != nullptr && options_.dropHeight > 0) {
                    combo->SetAttribute("dropHeight", std::to_string(options_.dropHeight));
                }
            }
            if (options_.menu || options_.probe || options_.tip) SetTimer(kStartTimer, 1500);
        }
        if (message == msg::kTimer && wParam == kStartTimer) {
            KillTimer(kStartTimer);
            if (options_.probe) PopupProbe(backend_).Run();
            if (options_.menu) ShowMenu();
            if (options_.tip) ShowTip();
            return 0;
        }
        return std::nullopt;
    }

    void OnEvent(ui::EventArgs& event) override {
        if (event.nameFrom == "btn_close" && event.id == ui::EventCmd::kId) DestroyWindow(), backend_.PostQuitMessage(0);
    }

private:
    void ShowMenu() {
        ui::SMenuEx menu;
        if (!menu.LoadMenuXml(kMenuWithSubMenu)) return;
        const platform::Point at = platform::Current().GetMouseInput().CursorPosition();
        ui::PopupMenu popup(backend_, menu.Data(), at, GetHwnd());
        Report("menu " + std::to_string(popup.Track()));
    }

    void ShowTip() {
        const ui::SWindow* radio = FindChildByName("type_right");
        if (radio == nullptr) return;
        ui::PopupSpec spec;
        spec.rect = ClientRectToScreen(radio->GetWindowRect());
        spec.passive = true;
        const platform::NativeWindow window = backend_.OpenPopup(tip_, spec);
        Report("popup " + std::to_string(window) + " " + std::to_string(spec.rect.left) + " " +
               std::to_string(spec.rect.top) + " " + std::to_string(spec.rect.right) + " " +
               std::to_string(spec.rect.bottom));
    }

    const Options& options_;
    ui::Backend& backend_;
    ProbeContent tip_{ui::Color{0xFF, 0xFF, 0xE1, 255}};
};

int Run(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--result" && i + 1 < argc) resultPath = argv[++i];
        else if (a == "--drop-height" && i + 1 < argc) options.dropHeight = std::atoi(argv[++i]);
        else if (a == "--menu") options.menu = true;
        else if (a == "--probe") options.probe = true;
        else if (a == "--tip") options.tip = true;
        else {
            std::fprintf(stderr, "usage: x11_popup_gallery [--result FILE] [--drop-height N] [--menu] [--probe] [--tip]\n");
            return 2;
        }
    }
    auto* x11 = new platform::x11::X11Desktop;  // never destroyed, as in the program
    if (!x11->Connected()) return 1;
    auto* platform = new platform::linux_x11::LinuxPlatform(x11->Input(), x11->Keys(), &x11->Dock());
    platform::SetCurrent(platform);
    ui::X11Backend backend(*x11, *platform);
    ui::SApplication application(backend, u"ZUIHOST");
    ui::RegisterBuiltinControls(application);
    auto* definitions = application.AddResProvider(CreateProgramResources());
    application.SetNamedIds(ControlIdTable());
    application.LoadUiDefinitions("uidef:xml_init", definitions);
    application.RegisterWindowClass<ui::SComboBoxEx>();
    application.RegisterWindowClass<ui::SListBoxEx>();
    application.RegisterWindowClass<StandInTrayIcon>();
    GalleryWindow window(options, backend);
    const platform::NativeWindow native = window.Create(0, 40, 40);
    if (native == 0) return 1;
    window.SendMessage(msg::kInitDialog, 0, 0);
    window.ShowWindow(msg::kSwShowNormal);
    Report("ready");
    return application.Run(native);
}

}  // namespace
}  // namespace zintra::gallery

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    return zintra::gallery::Run(argc, argv);
}
