// The main window on the simulated desktop with the headless toolkit, brought
// up the way the program's start does, with helpers to act as its user.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "mainwindow/CMainDlg.h"
#include "platform/Messages.h"
#include "sim/SimDesktop.h"
#include "res/ControlIds.h"
#include "res/ProgramResources.h"
#include "tray/SShellNotifyIcon.h"
#include "ui/controls/BuiltinControls.h"
#include "ui/core/Log.h"
#include "ui/core/SApplication.h"
#include "ui/controls/SComboBox.h"
#include "ui/controls/SComboBoxEx.h"
#include "ui/core/SHostDialog.h"
#include "ui/controls/SListBoxEx.h"
#include "sim/headless/HeadlessBackend.h"
#include "sim/headless/HeadlessDriver.h"

namespace zintra::test {

inline const std::u16string kProgramKey = u"SOFTWARE\\ZintraMouse";

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() {
        platform::SetCurrent(&desktop);
        ui::SetLogSink([this](const std::string& message) { log.push_back(message); });
        application = std::make_unique<ui::SApplication>(backend);
        ui::RegisterBuiltinControls(*application);
        application->AddResProvider(CreateProgramResources());
        application->SetNamedIds(ControlIdTable());
        application->LoadUiDefinitions("uidef:xml_init");
        application->RegisterWindowClass<SShellNotifyIcon>();
        application->RegisterWindowClass<ui::SComboBoxEx>();
        application->RegisterWindowClass<ui::SListBoxEx>();
    }
    ~MainWindowTest() override {
        main.reset();
        desktop.DispatchPosted();
        application.reset();
        ui::SetLogSink({});
        platform::SetCurrent(nullptr);
    }

    // Creates, initialises and shows the main window as start-up does.
    void Start() {
        main = std::make_unique<CMainDlg>();
        ASSERT_NE(main->Create(), 0u);
        main->SendMessage(msg::kInitDialog, 0, 0);
        main->ShowWindow(msg::kSwShowNormal);
        main->EnterTray();
        driver = std::make_unique<ui::HeadlessDriver>(*main, backend);
    }
    // Ends the program the way the tray menu's exit does, then starts anew.
    void Restart() {
        main->SendMessage(msg::kClose, 0, 0);
        desktop.DispatchPosted();
        main.reset();
        Start();
    }

    // The next modal dialog is handled by `act` (with a driver for it).
    void OnNextDialog(std::function<void(ui::SHostDialog&, ui::HeadlessDriver&)> act) {
        backend.SetModalHook([this, act](ui::SHostDialog& dialog) {
            backend.SetModalHook({});
            ui::HeadlessDriver dialogDriver(dialog, backend);
            act(dialog, dialogDriver);
        });
    }

    ui::SComboBox& List(const char* name) { return *main->FindChildByName2<ui::SComboBox>(name); }
    std::u16string Text(const char* name) { return driver->State(name)->text; }
    std::vector<std::u16string> Entries(const char* name) {
        std::vector<std::u16string> texts;
        for (int i = 0; i < List(name).GetCount(); ++i) texts.push_back(List(name).GetLBText(i));
        return texts;
    }
    platform::NativeWindow TrayWindow() {
        const auto& icon = desktop.ShellState().ShownIcon();
        return icon ? icon->window : 0;
    }
    bool PressHotkey() { return desktop.PressHotKey(main->Settings().hotkeyModifiers, main->Settings().hotkeyVk); }
    std::vector<std::uint8_t> StoredRecord() {
        auto value = desktop.Value(kProgramKey, u"MouseData");
        return value ? value->data : std::vector<std::uint8_t>{};
    }

    sim::SimDesktop desktop;
    ui::HeadlessBackend backend{desktop};
    std::unique_ptr<ui::SApplication> application;
    std::unique_ptr<CMainDlg> main;
    std::unique_ptr<ui::HeadlessDriver> driver;
    std::vector<std::string> log;
};

}  // namespace zintra::test
