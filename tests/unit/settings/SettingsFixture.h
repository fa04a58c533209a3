// The settings window on the simulated desktop, opened the way the main
// window opens it, with a body run inside its modal loop like a user would.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "clicker/ClickSettings.h"
#include "platform/Messages.h"
#include "settings/AutoRunEntry.h"
#include "settings/CSettingDlg.h"
#include "tests/unit/ui/UiFixture.h"
#include "ui/core/CDragWnd.h"
#include "ui/controls/STabCtrl.h"

namespace zintra::test {

using ui::HeadlessDriver;

class SettingsWindow : public ::testing::Test {
protected:
    SettingsWindow() { settings.SetHotkeyText(u"F8"); }

    // Opens the window on `settings`, runs `body` while it is open and
    // returns the modal result; a window still open afterwards is closed.
    int Open(const std::function<void(HeadlessDriver&)>& body = {}) {
        dialog = std::make_unique<CSettingDlg>();
        dialog->SetSettings(&settings);
        ui.backend.SetModalHook([&](ui::SHostDialog&) {
            HeadlessDriver driver(*dialog, ui.backend);
            if (body) body(driver);
        });
        return dialog->DoModal(0);
    }

    std::u16string Text(HeadlessDriver& driver, std::string_view name) { return driver.State(name)->text; }
    bool Checked(HeadlessDriver& driver, std::string_view name) { return driver.State(name)->checked; }
    bool Enabled(HeadlessDriver& driver, std::string_view name) { return driver.State(name)->enabled; }
    std::string Class(HeadlessDriver& driver, std::string_view name) { return driver.State(name)->styleClass; }

    // Switches the tab control the way a user does: a click on the tab.
    void ShowPage(HeadlessDriver& driver, int page) {
        auto* tabs = dialog->FindChildByName2<ui::STabCtrl>("tab_main");
        ASSERT_NE(tabs, nullptr);
        const platform::Rect tab = tabs->GetTabRect(page);
        driver.ClickAt({tab.left + tab.Width() / 2, tab.top + tab.Height() / 2});
        ASSERT_EQ(tabs->GetCurSel(), page);
    }

    // Empties an edit by keyboard and types `text` into it.
    void Retype(HeadlessDriver& driver, std::string_view name, std::u16string_view text) {
        ASSERT_TRUE(driver.Click(name));
        ASSERT_TRUE(driver.State(name)->focused) << "a disabled edit takes no input";
        const std::size_t length = Text(driver, name).size();
        for (std::size_t i = 0; i < length; ++i) driver.TypeText(u"\b");
        driver.TypeText(text);
    }

    // The centre of a control in screen pixels.
    platform::Point ScreenCentre(HeadlessDriver& driver, std::string_view name) {
        const platform::Rect rect = driver.State(name)->rect;
        return dialog->ClientToScreen({rect.left + rect.Width() / 2, rect.top + rect.Height() / 2});
    }

    std::optional<sim::StoredValue> StoredRecord() const { return ui.desktop.Value(kProgramKey, kMouseDataValue); }
    std::optional<sim::StoredValue> RunEntry() const { return ui.desktop.Value(kRunKeyPath, kAutoRunValue); }
    // The Run key always exists on Windows; the simulated registry starts empty.
    void MakeRunKey() {
        platform::RegistryKey key = 0;
        ASSERT_EQ(ui.desktop.CreateKey(platform::RegistryRoot::CurrentUser, kRunKeyPath, &key), 0);
        ui.desktop.CloseKey(key);
    }
    void PutRunEntry(const std::u16string& text) {
        std::vector<std::uint8_t> bytes((text.size() + 1) * 2, 0);
        std::memcpy(bytes.data(), text.data(), text.size() * 2);
        ui.desktop.PutValue(kRunKeyPath, kAutoRunValue, platform::reg::kSz, std::move(bytes));
    }
    static std::u16string EntryText(const sim::StoredValue& value) {
        std::u16string text(value.data.size() / 2, u'\0');
        std::memcpy(text.data(), value.data.data(), text.size() * 2);
        while (!text.empty() && text.back() == u'\0') text.pop_back();
        return text;
    }

    bool LookupFailed() const {
        for (const auto& line : ui.log) {
            if (line.find("Failed") != std::string::npos) return true;
        }
        return false;
    }

    static constexpr char16_t kProgramKey[] = u"SOFTWARE\\ZintraMouse";

    ui::test::UiFixture ui;
    ClickSettings settings;
    std::unique_ptr<CSettingDlg> dialog;
};

}  // namespace zintra::test
