// Host windows and dialogs on the simulated desktop: native messages reach the
// class's hook, timers and hotkeys arrive there, modal loops return their
// result, and broken layouts give no window.
#include <gtest/gtest.h>

#include <map>
#include <thread>

#include "platform/Messages.h"
#include "tests/unit/ui/UiFixture.h"
#include "ui/core/Backend.h"
#include "ui/core/CDragWnd.h"
#include "ui/core/CSimpleWnd.h"
#include "ui/render/RecordingSurface.h"
#include "ui/controls/SEdit.h"
#include "ui/controls/SMenu.h"
#include "ui/core/ApplicationImages.h"
#include "base/TextUtil.h"

namespace zintra::ui::test {
namespace {

// Layouts made up by a test, in front of the program's own resources.
class MemoryPackage final : public ResourcePackage {
public:
    explicit MemoryPackage(std::map<std::string, std::string> entries) : entries_(std::move(entries)) {}
    using ResourcePackage::Load;
    std::optional<std::string> Load(std::string_view type, std::string_view name) const override {
        auto it = entries_.find(AsciiUpper(std::string(type) + ":" + std::string(name)));
        if (it == entries_.end()) return std::nullopt;
        return it->second;
    }

private:
    std::map<std::string, std::string> entries_;
};

class HostWindows : public ::testing::Test {
protected:
    UiFixture ui;
};

TEST_F(HostWindows, TimerOnAHostFiresIntoItsHookAsTheClockAdvances) {
    RecordingHost host("LAYOUT:XML_MAINWND");
    ASSERT_NE(host.Create(), 0u);
    ASSERT_TRUE(host.SetTimer(1524, 100));
    ui.desktop.AdvanceBy(250);
    EXPECT_EQ(host.timers, (std::vector<std::uintptr_t>{1524, 1524}));
    host.KillTimer(1524);
    ui.desktop.AdvanceBy(500);
    EXPECT_EQ(host.timers.size(), 2u);
}

TEST_F(HostWindows, HotkeyRegisteredOnTheNativeWindowReachesTheHook) {
    RecordingHost host("LAYOUT:XML_MAINWND");
    ASSERT_NE(host.Create(), 0u);
    ASSERT_TRUE(ui.desktop.RegisterHotKey(host.GetHwnd(), 1224, 0, msg::kVkF8));
    ASSERT_TRUE(ui.desktop.PressHotKey(0, msg::kVkF8));
    EXPECT_EQ(host.hotkeys, (std::vector<std::uintptr_t>{1224}));
}

TEST_F(HostWindows, MessagesPostedFromAnotherThreadArriveInOrderOnTheUiThread) {
    RecordingHost host("LAYOUT:XML_UPDATE");
    ASSERT_NE(host.Create(), 0u);
    const platform::NativeWindow window = host.GetHwnd();
    std::thread worker([&] {
        for (std::uintptr_t percent = 1; percent <= 3; ++percent) {
            ui::CurrentBackend().PostMessage(window, msg::kUser + 503, percent, 0);
        }
        ui::CurrentBackend().PostMessage(window, msg::kUser + 504, 1, 0);
    });
    worker.join();
    EXPECT_EQ(ui.desktop.DispatchPosted(), 4);
    std::vector<std::uint32_t> ours;
    for (auto message : host.messages) {
        if (message >= msg::kUser) ours.push_back(message);
    }
    EXPECT_EQ(ours, (std::vector<std::uint32_t>{1527, 1527, 1527, 1528}));
}

TEST_F(HostWindows, ModalDialogReturnsTheResultItsButtonEndsItWith) {
    RecordingHost dialog("LAYOUT:XML_CUSTOMTIME");
    dialog.onEvent = [&](EventArgs& event) {
        if (event.id != EventCmd::kId) return;
        if (event.nameFrom == "btn_sure") dialog.EndDialog(1);
        if (event.nameFrom == "btn_cancel") dialog.EndDialog(0);
        event.handled = true;
    };
    bool sawInit = false;
    ui.backend.SetModalHook([&](SHostDialog& running) {
        sawInit = std::count(dialog.messages.begin(), dialog.messages.end(), msg::kInitDialog) == 1;
        EXPECT_TRUE(running.IsWindowVisible());
        HeadlessDriver driver(running, ui.backend);
        ASSERT_TRUE(driver.Click("edt_customtime"));
        driver.TypeText(u"0.35");
        ASSERT_TRUE(driver.Click("btn_sure"));
    });
    EXPECT_EQ(dialog.DoModal(0x1234), 1);
    EXPECT_TRUE(sawInit);
    EXPECT_EQ(dialog.GetHwnd(), 0u);  // the window ends with the loop
    EXPECT_EQ(ui.backend.AutoClosedDialogs(), 0);

    ui.backend.SetModalHook([&](SHostDialog& running) { HeadlessDriver(running, ui.backend).Click("btn_cancel"); });
    EXPECT_EQ(dialog.DoModal(), 0);
}

TEST_F(HostWindows, DialogEndedByAPostedMessageOrLeftOpenStillReturns) {
    class EndsOnMessage : public SHostDialog {
    public:
        using SHostDialog::SHostDialog;

    protected:
        std::optional<std::intptr_t> OnWindowMessage(std::uint32_t message, std::uintptr_t wParam,
                                                     std::intptr_t) override {
            if (message == msg::kUser + 504) {
                EndDialog(static_cast<int>(wParam));
                return 0;
            }
            return std::nullopt;
        }
    } dialog("LAYOUT:XML_UPDATE");
    ui.backend.SetModalHook([](SHostDialog& running) { running.PostMessage(msg::kUser + 504, 7, 0); });
    EXPECT_EQ(dialog.DoModal(), 7);

    // Nothing ends it: the headless loop closes it as a user would.
    ui.backend.SetModalHook({});
    EXPECT_EQ(dialog.DoModal(), 0);
    EXPECT_EQ(ui.backend.AutoClosedDialogs(), 1);
}

TEST_F(HostWindows, BrokenOrMissingLayoutsGiveNoWindowAndNoCrash) {
    const char* broken[] = {
        "",                                                              // empty
        "<ZUI width='100' height='100'><root>",                          // cut off
        "<NotZUI width='100' height='100'><root/></NotZUI>",             // wrong root
        "<ZUI width='100' height='100'/>",                                // no control tree
        "<ZUI width='-5' height='100'><root/></ZUI>",                    // no usable size
        "<ZUI width='99999999999999999999' height='1'><root/></ZUI>",    // size overflow
    };
    std::map<std::string, std::string> entries;
    for (std::size_t i = 0; i < std::size(broken); ++i) entries["LAYOUT:BROKEN" + std::to_string(i)] = broken[i];
    ui.application->AddResProvider(std::make_unique<MemoryPackage>(entries));
    for (std::size_t i = 0; i < std::size(broken); ++i) {
        SHostDialog dialog("LAYOUT:broken" + std::to_string(i));
        EXPECT_EQ(dialog.Create(), 0u) << broken[i];
        EXPECT_EQ(dialog.DoModal(), -1) << broken[i];
        EXPECT_EQ(dialog.GetRoot(), nullptr);
    }
    SHostWnd missing("LAYOUT:XML_NOTHING");
    EXPECT_EQ(missing.Create(), 0u);
    EXPECT_FALSE(ui.log.empty());
}

TEST_F(HostWindows, OddButWellFormedLayoutsStillBuild) {
    std::string deep = "<ZUI width='50' height='50'><root>";
    for (int i = 0; i < 200; ++i) deep += "<window>";
    deep += "<edit name='deepest'/>";
    for (int i = 0; i < 200; ++i) deep += "</window>";
    deep += "</root></ZUI>";
    ui.application->AddResProvider(std::make_unique<MemoryPackage>(std::map<std::string, std::string>{
        {"LAYOUT:ODD", "<ZUI width='120' height='80'><root><mystery name='m' pos='x,y'/>"
                       "<text pos='|-9999999999,-0,@5' offset='nan,1e400' class='no_such_class' font='size:-3'>"
                       "@string/nothing</text><combobox curSel='40'><items><item text='a'/></items></combobox>"
                       "</root></ZUI>"},
        {"LAYOUT:DEEP", deep}}));
    SHostWnd odd("LAYOUT:ODD");
    ASSERT_NE(odd.Create(), 0u);
    EXPECT_NE(odd.FindChildByName("m"), nullptr);  // an unknown tag becomes a plain window
    EXPECT_EQ(odd.GetRoot()->GetChildren()[1]->GetWindowText(), u"@string/nothing");
    EXPECT_EQ(odd.FindChildByName2<SComboBox>("", -1), nullptr);
    SHostWnd deepHost("LAYOUT:DEEP");
    ASSERT_NE(deepHost.Create(), 0u);
    EXPECT_EQ(deepHost.FindChildByName("deepest"), nullptr);  // nesting past the limit is ignored
}

TEST_F(HostWindows, DestroyingTheMainWindowEndsTheMessageLoop) {
    SHostWnd main("LAYOUT:XML_MAINWND");
    const platform::NativeWindow window = main.Create();
    ASSERT_NE(window, 0u);
    main.SendMessage(msg::kInitDialog);
    main.CenterWindow();
    const platform::Rect rect = main.GetWindowRect();
    EXPECT_EQ(rect.left, (1920 - 400) / 2);
    main.ShowWindow(msg::kSwShowNormal);
    EXPECT_TRUE(main.IsWindowVisible());
    EXPECT_EQ(ui.application->Run(window), 0);  // nothing ends it yet in the simulation
    EXPECT_FALSE(ui.desktop.QuitCode().has_value());
    main.SendMessage(msg::kClose);  // the default close destroys the window
    EXPECT_EQ(main.GetHwnd(), 0u);
    EXPECT_EQ(ui.desktop.QuitCode(), 0);
}

TEST_F(HostWindows, HandlerThatDestroysItsWindowDuringAClickIsSafe) {
    RecordingHost host("LAYOUT:XML_MAINWND");
    ASSERT_NE(host.Create(), 0u);
    host.onEvent = [&](EventArgs& event) {
        if (event.id == EventLButtonDown::kId && event.nameFrom == "btn_close") host.DestroyWindow();
    };
    HeadlessDriver driver(host, ui.backend);
    ASSERT_TRUE(driver.Click("btn_close"));
    EXPECT_EQ(host.GetHwnd(), 0u);
    EXPECT_EQ(host.GetRoot(), nullptr);
}

TEST_F(HostWindows, NativeDestroyOfTheHandleReleasesTheControlsEvenIfTheClassHandledIt) {
    class HandlesDestroy : public SHostWnd {
    public:
        using SHostWnd::SHostWnd;
        int destroys = 0;

    protected:
        std::optional<std::intptr_t> OnWindowMessage(std::uint32_t message, std::uintptr_t, std::intptr_t) override {
            if (message != msg::kDestroy) return std::nullopt;
            ++destroys;
            return 0;
        }
    } host("LAYOUT:XML_MAINWND");
    const platform::NativeWindow window = host.Create();
    ASSERT_NE(window, 0u);
    ASSERT_EQ(ui.application->Run(window), 0);
    ui::CurrentBackend().DestroyWindow(window);
    EXPECT_EQ(host.destroys, 1);
    EXPECT_EQ(host.GetHwnd(), 0u);
    EXPECT_EQ(host.GetRoot(), nullptr);
    EXPECT_EQ(ui.desktop.QuitCode(), 0);
    EXPECT_FALSE(host.SetTimer(1, 10));  // no window, no timer
}

TEST_F(HostWindows, TrayMenuChoiceArrivesAsACommandToItsOwner) {
    RecordingHost host("LAYOUT:XML_MAINWND");
    ASSERT_NE(host.Create(), 0u);
    SMenu menu;
    ASSERT_TRUE(menu.LoadMenu("SMENU:menu_tray"));
    ui.backend.SetNextMenuChoice(6);
    EXPECT_EQ(menu.TrackPopupMenu(0, 300, 400, host.GetHwnd()), 6);
    ASSERT_EQ(ui.backend.ShownMenus().size(), 1u);
    EXPECT_EQ(ui.backend.ShownMenus()[0].at, (platform::Point{300, 400}));
    ui.desktop.DispatchPosted();
    EXPECT_EQ(std::count(host.messages.begin(), host.messages.end(), msg::kCommand), 1);
    // Dismissing the menu sends nothing.
    EXPECT_EQ(menu.TrackPopupMenu(0, 0, 0, host.GetHwnd()), 0);
    ui.desktop.DispatchPosted();
    EXPECT_EQ(std::count(host.messages.begin(), host.messages.end(), msg::kCommand), 1);
}

TEST_F(HostWindows, IconsLoadAtEachSizeOfTheProgramIcon) {
    for (int size : {48, 32, 24, 20, 16}) {
        const std::uintptr_t icon = ui.application->LoadIcon("ICON_LOGO:" + std::to_string(size));
        ASSERT_NE(icon, 0u) << size;
        EXPECT_EQ(ui.backend.LoadedIconSize(icon), size);
    }
    EXPECT_EQ(ui.application->LoadIcon("ICON_LOGO:64"), 0u);
    EXPECT_EQ(ui.application->LoadIcon("NO_ICON:16"), 0u);
}

TEST_F(HostWindows, DragImageComesFromTheSkinAtItsNaturalSize) {
    const auto image = RenderSkinToBitmap("skin_img_drag");
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->width, 20);
    EXPECT_EQ(image->height, 20);
    EXPECT_EQ(image->PixelAt(0, 0) >> 24, 0u);       // a transparent corner
    EXPECT_GT(image->PixelAt(10, 10) >> 24, 200u);   // an opaque centre
    EXPECT_FALSE(RenderSkinToBitmap("skin_nothing").has_value());
    // One state of an image list.
    const auto close = RenderSkinToBitmap("skin_btnClose", 2);
    ASSERT_TRUE(close.has_value());
    EXPECT_EQ(close->width, ui.application->Definitions().FindSkin("skin_btnClose")->StateSize().width);

    ASSERT_TRUE(CDragWnd::DragBegin(*image, {10, 10}, 0, 255, CDragWnd::kColorKey | CDragWnd::kAlpha));
    EXPECT_FALSE(CDragWnd::DragBegin(*image, {0, 0}, 0, 255, 3));  // only one at a time
    CDragWnd::DragMove({500, 300});
    ASSERT_TRUE(ui.backend.Drag().has_value());
    EXPECT_EQ(ui.backend.Drag()->topLeft, (platform::Point{490, 290}));
    EXPECT_EQ(ui.backend.Drag()->flags, 3u);
    CDragWnd::DragEnd();
    EXPECT_FALSE(ui.backend.Drag().has_value());
    EXPECT_FALSE(CDragWnd::IsDragging());
}

TEST_F(HostWindows, PlainWindowGetsItsMessagesUntilItsLast) {
    class Counter : public CSimpleWnd {
    public:
        int messages = 0;
        bool final = false;

    protected:
        std::optional<std::intptr_t> WindowProc(std::uint32_t, std::uintptr_t, std::intptr_t) override {
            ++messages;
            return std::nullopt;
        }
        void OnFinalMessage() override { final = true; }
    } window;
    ASSERT_NE(window.Create(), 0u);
    ui::CurrentBackend().SendMessage(window.GetHwnd(), msg::kCommand, 5, 0);
    window.DestroyWindow();
    EXPECT_EQ(window.messages, 2);  // the command and WM_DESTROY
    EXPECT_TRUE(window.final);
    EXPECT_EQ(window.GetHwnd(), 0u);
}

TEST_F(HostWindows, PaintingDrawsTheLayoutsTextsAndSkinsInTheirStates) {
    SHostWnd main("LAYOUT:XML_MAINWND");
    ASSERT_NE(main.Create(), 0u);
    HeadlessDriver driver(main, ui.backend);
    const platform::Rect close = main.FindChildByName("btn_close")->GetWindowRect();
    driver.MouseMove({close.left + 3, close.top + 3});
    RecordingSurface surface;
    main.Paint(surface);
    const auto* title = surface.FindText(u"Zintra");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->color, (Color{255, 255, 255, 255}));
    const auto* closeSkin = surface.FindSkin("skin_btnClose");
    ASSERT_NE(closeSkin, nullptr);
    EXPECT_EQ(closeSkin->state, 1);  // hovered
    EXPECT_EQ(closeSkin->rect, close);
    EXPECT_NE(surface.FindText(u"0.1"), nullptr);  // the closed interval box
    EXPECT_NE(surface.FindText(u"CRTL+Q"), nullptr);
    // A hidden control is not painted.
    main.FindChildByName("txt_hotkey")->SetAttribute("show", "0");
    RecordingSurface again;
    main.Paint(again);
    EXPECT_EQ(again.FindText(u"CRTL+Q"), nullptr);
}

}  // namespace
}  // namespace zintra::ui::test
