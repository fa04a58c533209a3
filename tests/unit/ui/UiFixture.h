// A toolkit on the simulated desktop with the program's own resources, as
// start-up brings it up, plus a captured log and a stand-in tray icon class.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Messages.h"
#include "platform/Platform.h"
#include "sim/SimDesktop.h"
#include "res/ControlIds.h"
#include "res/ProgramResources.h"
#include "ui/controls/BuiltinControls.h"
#include "ui/core/Log.h"
#include "ui/core/SApplication.h"
#include "ui/controls/SComboBoxEx.h"
#include "ui/core/SHostDialog.h"
#include "ui/controls/SListBoxEx.h"
#include "sim/headless/HeadlessBackend.h"
#include "sim/headless/HeadlessDriver.h"

namespace zintra::ui::test {

// Stands in for the application's tray icon control: keeps its own
// attributes and what the toolkit told it.
class FakeTrayIcon : public SWindow {
    ZUI_CLASS_NAME(SWindow, "shellnotifyicon")
public:
    std::string menu;
    std::string icon;
    bool initFinished = false;
    static inline int destroyed = 0;
    void OnInitFinished() override { initFinished = true; }
    void OnDestroy() override { ++destroyed; }

protected:
    bool ApplyAttribute(std::string_view name, std::string_view value, bool loading) override {
        if (name == "menu") {
            menu = std::string(value);
            return true;
        }
        if (name == "ico") {
            icon = std::string(value);
            return true;
        }
        return SWindow::ApplyAttribute(name, value, loading);
    }
};

struct UiFixture {
    sim::SimDesktop desktop;
    HeadlessBackend backend{desktop};
    std::unique_ptr<SApplication> application;
    std::vector<std::string> log;

    UiFixture() {
        platform::SetCurrent(&desktop);
        SetLogSink([this](const std::string& message) { log.push_back(message); });
        application = std::make_unique<SApplication>(backend);
        RegisterBuiltinControls(*application);
        application->AddResProvider(CreateProgramResources());
        application->SetNamedIds(ControlIdTable());
        application->LoadUiDefinitions("uidef:xml_init");
        application->RegisterWindowClass<FakeTrayIcon>();
        application->RegisterWindowClass<SComboBoxEx>();
        application->RegisterWindowClass<SListBoxEx>();
    }
    ~UiFixture() {
        application.reset();
        SetLogSink({});
        platform::SetCurrent(nullptr);
    }
};

// A host window that records the events and messages it sees, and may mark
// messages handled.
class RecordingHost : public SHostDialog {
public:
    using SHostDialog::SHostDialog;
    struct Seen {
        int id;
        std::string name;
    };
    std::vector<Seen> events;
    std::vector<std::uint32_t> messages;
    std::vector<std::uintptr_t> timers;
    std::vector<std::uintptr_t> hotkeys;
    std::function<void(EventArgs&)> onEvent;

protected:
    std::optional<std::intptr_t> OnWindowMessage(std::uint32_t message, std::uintptr_t wParam,
                                                 std::intptr_t) override {
        messages.push_back(message);
        if (message == msg::kTimer) timers.push_back(wParam);
        if (message == msg::kHotKey) {
            hotkeys.push_back(wParam);
            return 0;
        }
        return std::nullopt;
    }
    void OnEvent(EventArgs& event) override {
        events.push_back({event.id, event.nameFrom});
        if (onEvent) onEvent(event);
    }
};

// A recording host of `layout`, created and shown.
inline std::unique_ptr<RecordingHost> ShowHost(const char* layout) {
    auto host = std::make_unique<RecordingHost>(layout);
    EXPECT_NE(host->Create(), 0u) << layout;
    host->ShowWindow(msg::kSwShowNormal);
    return host;
}

}  // namespace zintra::ui::test
