// The settings window: what it shows, how its groups follow their boxes, what
// reaches the record at once and what only on confirmation, and what reaches
// the registry.
#include <cstring>

#include "hotkey/StartStopHotkey.h"
#include "settings/SettingBindings.h"
#include "tests/unit/settings/SettingsFixture.h"
#include "ui/controls/SCheckBox.h"
#include "ui/controls/SEdit.h"

namespace zintra::test {
namespace {

std::vector<std::uint8_t> Bytes(const ClickSettings& record) {
    std::vector<std::uint8_t> bytes(kClickSettingsSize);
    std::memcpy(bytes.data(), &record, kClickSettingsSize);
    return bytes;
}

// ---- Opening and filling ----

TEST_F(SettingsWindow, OpeningShowsTheRecordInTheControls) {
    settings.limitCount = 5;
    settings.posX = 12;
    settings.posY = -7;
    settings.randomMax = 3;
    settings.useFixedPos = 1;
    settings.hideMain = 1;
    Open([&](HeadlessDriver& driver) {
        EXPECT_EQ(Text(driver, "edt_LimitCount"), u"5");
        EXPECT_EQ(Text(driver, "edt_posX"), u"12");
        EXPECT_EQ(Text(driver, "edt_posY"), u"-7");
        EXPECT_EQ(Text(driver, "edt_time"), u"3");
        EXPECT_EQ(Text(driver, "txt_testHotkey"), u"2、按下F8后，自动点击设定数5次后停止");
        EXPECT_TRUE(Checked(driver, "useFixedPos"));
        EXPECT_TRUE(Checked(driver, "chk_HideMain"));
        EXPECT_FALSE(Checked(driver, "useRandomTime"));
        EXPECT_FALSE(Checked(driver, "useLimitCount"));
        EXPECT_FALSE(Checked(driver, "chk_CloseRightTip"));
        EXPECT_FALSE(Checked(driver, "chk_ctrlq"));
        // The groups follow their boxes from the start.
        EXPECT_TRUE(Enabled(driver, "edt_posX"));
        EXPECT_FALSE(Enabled(driver, "edt_time"));
        EXPECT_FALSE(Enabled(driver, "edt_LimitCount"));
    });
    EXPECT_FALSE(LookupFailed()) << "every control the window uses is in its layout";
}

TEST_F(SettingsWindow, StartStopHotkeyBelongsToTheWindowWhileItIsOpen) {
    settings.hotkeyModifiers = msg::kModControl | msg::kModShift;
    settings.hotkeyVk = 'A';
    Open([&](HeadlessDriver&) {
        const auto registration = ui.desktop.HotkeyFor(dialog->GetHwnd(), kStartStopHotkeyId);
        ASSERT_TRUE(registration);
        EXPECT_EQ(registration->modifiers, msg::kModControl | msg::kModShift);
        EXPECT_EQ(registration->virtualKey, std::uint32_t{'A'});
    });
    EXPECT_TRUE(ui.desktop.HotkeyRegistrations().empty());
}

// ---- The three groups ----

TEST_F(SettingsWindow, RandomTimeBoxEnablesItsEditAndSetsTheRecordAtOnce) {
    Open([&](HeadlessDriver& driver) {
        ASSERT_TRUE(driver.Click("useRandomTime"));
        EXPECT_EQ(settings.useRandomTime, 1);
        EXPECT_TRUE(Enabled(driver, "edt_time"));
        EXPECT_EQ(Class(driver, "edt_time"), "cls_editdisable") << "its class is not changed";
        ASSERT_TRUE(driver.Click("useRandomTime"));
        EXPECT_EQ(settings.useRandomTime, 0);
        EXPECT_FALSE(Enabled(driver, "edt_time"));
    });
}

TEST_F(SettingsWindow, FixedPositionBoxStylesAndEnablesItsGroup) {
    Open([&](HeadlessDriver& driver) {
        ASSERT_TRUE(driver.Click("useFixedPos"));
        EXPECT_EQ(settings.useFixedPos, 1);
        EXPECT_EQ(Class(driver, "wnd_useFixedPos"), "cls_enbale");
        for (const char* edit : {"edt_posX", "edt_posY"}) {
            EXPECT_TRUE(Enabled(driver, edit)) << edit;
            EXPECT_EQ(Class(driver, edit), "cls_edit2") << edit;
        }
        EXPECT_TRUE(Enabled(driver, "chk_ctrlq"));

        ASSERT_TRUE(driver.Click("useFixedPos"));
        EXPECT_EQ(settings.useFixedPos, 0);
        EXPECT_EQ(Class(driver, "wnd_useFixedPos"), "cls_disable");
        for (const char* edit : {"edt_posX", "edt_posY"}) {
            EXPECT_FALSE(Enabled(driver, edit)) << edit;
            EXPECT_EQ(Class(driver, edit), "cls_editdisable") << edit;
        }
        EXPECT_FALSE(Enabled(driver, "chk_ctrlq"));
    });
}

TEST_F(SettingsWindow, LimitBoxStylesAndEnablesItsGroup) {
    Open([&](HeadlessDriver& driver) {
        ASSERT_TRUE(driver.Click("useLimitCount"));
        EXPECT_EQ(settings.useLimitCount, 1);
        EXPECT_EQ(Class(driver, "wnd_limitCount"), "cls_enbale");
        EXPECT_TRUE(Enabled(driver, "edt_LimitCount"));
        EXPECT_EQ(Class(driver, "edt_LimitCount"), "cls_edit2");
        ASSERT_TRUE(driver.Click("useLimitCount"));
        EXPECT_EQ(settings.useLimitCount, 0);
        EXPECT_EQ(Class(driver, "wnd_limitCount"), "cls_disable");
        EXPECT_FALSE(Enabled(driver, "edt_LimitCount"));
        EXPECT_EQ(Class(driver, "edt_LimitCount"), "cls_editdisable");
    });
}

TEST_F(SettingsWindow, TickingUseFixedPosThenClosingKeepsItInTheRecordButNotTheRegistry) {
    EXPECT_EQ(Open([&](HeadlessDriver& driver) {
                  ASSERT_TRUE(driver.Click("useFixedPos"));
                  ASSERT_TRUE(driver.Click("btn_close"));
              }),
              0);
    EXPECT_EQ(settings.useFixedPos, 1);
    EXPECT_FALSE(StoredRecord());
}

// ---- Typing and confirming ----

TEST_F(SettingsWindow, ConfirmReadsTheEditsAsIntegers) {
    settings.posX = 40;
    Open([&](HeadlessDriver& driver) {
        ASSERT_TRUE(driver.Click("useFixedPos"));
        ASSERT_TRUE(driver.Click("useLimitCount"));
        ASSERT_TRUE(driver.Click("useRandomTime"));
        Retype(driver, "edt_posX", u"");
        Retype(driver, "edt_posY", u"007");
        Retype(driver, "edt_LimitCount", u"5");
        Retype(driver, "edt_time", u"3");
        ASSERT_TRUE(driver.Click("btn_sure"));
    });
    EXPECT_EQ(settings.posX, 0) << "an empty field confirms as 0";
    EXPECT_EQ(settings.posY, 7);
    EXPECT_EQ(settings.limitCount, 5);
    EXPECT_EQ(settings.randomMax, 3) << "the limit and the random maximum are separate fields";
    EXPECT_FALSE(LookupFailed());
}

TEST_F(SettingsWindow, NumberBeyond32BitsConfirmsAsTheLargestInteger) {
    Open([&](HeadlessDriver& driver) {
        ASSERT_TRUE(driver.Click("useLimitCount"));
        Retype(driver, "edt_LimitCount", u"99999999999");
        ASSERT_TRUE(driver.Click("btn_sure"));
    });
    EXPECT_EQ(settings.limitCount, 2147483647);
}

TEST_F(SettingsWindow, TypingALimitRewritesTheHintAtOnceButTheRecordOnlyOnConfirm) {
    settings.limitCount = 4;
    Open([&](HeadlessDriver& driver) {
        ASSERT_TRUE(driver.Click("useLimitCount"));
        Retype(driver, "edt_LimitCount", u"012");
        EXPECT_EQ(Text(driver, "txt_testHotkey"), u"2、按下F8后，自动点击设定数012次后停止")
            << "the field's text, not its number";
        EXPECT_EQ(settings.limitCount, 4);
        ASSERT_TRUE(driver.Click("btn_sure"));
    });
    EXPECT_EQ(settings.limitCount, 12);
}

TEST_F(SettingsWindow, PageOneBoxesReachTheRecordOnlyOnConfirm) {
    Open([&](HeadlessDriver& driver) {
        ShowPage(driver, 1);
        ASSERT_TRUE(driver.Click("chk_CloseRightTip"));
        ASSERT_TRUE(driver.Click("chk_HideMain"));
        EXPECT_EQ(settings.closeRightTip, 0);
        EXPECT_EQ(settings.hideMain, 0);
        ASSERT_TRUE(driver.Click("btn_sure"));
    });
    EXPECT_EQ(settings.closeRightTip, 1);
    EXPECT_EQ(settings.hideMain, 1);
}

TEST_F(SettingsWindow, ConfirmWritesTheWholeRecordEvenWhenNothingChanged) {
    const int flushes = ui.desktop.FlushCount();
    EXPECT_EQ(Open([&](HeadlessDriver& driver) { ASSERT_TRUE(driver.Click("btn_sure")); }), 0);
    const auto stored = StoredRecord();
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->type, platform::reg::kBinary);
    EXPECT_EQ(stored->data, Bytes(settings));
    EXPECT_GT(ui.desktop.FlushCount(), flushes);
    EXPECT_TRUE(ui.desktop.HotkeyRegistrations().empty()) << "ending gives both hotkeys back";
    EXPECT_EQ(ui.desktop.OpenKeyHandles(), 0);
}

TEST_F(SettingsWindow, UnopenableSettingsKeyEndsTheWindowWithoutWriting) {
    ui.desktop.FailKey(kProgramKey);
    MakeRunKey();
    Open([&](HeadlessDriver& driver) {
        ASSERT_TRUE(driver.Click("useLimitCount"));
        Retype(driver, "edt_LimitCount", u"9");
        ShowPage(driver, 1);
        ASSERT_TRUE(driver.Click("chk_setAutoRun"));
        ASSERT_TRUE(driver.Click("btn_sure"));
        EXPECT_TRUE(dialog->IsEnded());
    });
    EXPECT_EQ(ui.backend.AutoClosedDialogs(), 0);
    EXPECT_FALSE(StoredRecord());
    EXPECT_FALSE(RunEntry()) << "the Run key is not touched either";
    EXPECT_EQ(settings.limitCount, 9) << "the record keeps what the window read";
}

TEST_F(SettingsWindow, FailedWriteIsNotFlushedAndTheWindowStillEnds) {
    ui.desktop.FailWrites(true);
    const int flushes = ui.desktop.FlushCount();
    Open([&](HeadlessDriver& driver) { ASSERT_TRUE(driver.Click("btn_sure")); });
    EXPECT_FALSE(StoredRecord());
    EXPECT_EQ(ui.desktop.FlushCount(), flushes);
    EXPECT_EQ(ui.backend.AutoClosedDialogs(), 0);
}

// ---- Defaults ----

TEST_F(SettingsWindow, RestoreDefaultsChangesTheRecordButNotTheRegistry) {
    settings.useRandomTime = settings.useFixedPos = settings.useLimitCount = 1;
    settings.closeRightTip = settings.hideMain = 1;
    settings.limitCount = 8;
    settings.randomMax = 4;
    settings.posX = 100;
    settings.posY = 200;
    settings.clickType = kClickRight;
    settings.interval = 2.0f;
    settings.hotkeyVk = msg::kVkF1;
    ASSERT_TRUE(settings.Save(ui.desktop));
    const auto before = StoredRecord();

    Open([&](HeadlessDriver& driver) {
        ASSERT_TRUE(driver.Click("btn_default"));
        EXPECT_EQ(Text(driver, "edt_posX"), u"0");
        EXPECT_EQ(Text(driver, "edt_time"), u"0");
        EXPECT_FALSE(Checked(driver, "useFixedPos"));
        EXPECT_FALSE(Enabled(driver, "edt_posX"));
        ASSERT_TRUE(driver.Click("btn_close"));
    });
    EXPECT_EQ(settings.useRandomTime + settings.useFixedPos + settings.useLimitCount, 0);
    EXPECT_EQ(settings.closeRightTip + settings.hideMain, 0);
    EXPECT_EQ(settings.limitCount, 0);
    EXPECT_EQ(settings.randomMax, 0) << "0, not the 1 of a fresh record";
    EXPECT_EQ(settings.posX + settings.posY, 0);
    EXPECT_EQ(settings.clickType, kClickRight);
    EXPECT_EQ(settings.interval, 2.0f);
    EXPECT_EQ(settings.hotkeyVk, msg::kVkF1);
    EXPECT_EQ(StoredRecord()->data, before->data);
}

// ---- The binding table ----

TEST_F(SettingsWindow, EveryBoundControlShowsItsFieldAndConfirmsWhatItHolds) {
    // Distinct numbers, so that a control bound to another field shows it.
    std::int32_t filled = 11;
    for (const SettingBinding& binding : kSettingBindings) binding.Write(settings, binding.IsCheckBox() ? 1 : filled++);
    // Shows the page a control is on; a control on a hidden page takes no click.
    const auto reveal = [this](HeadlessDriver& driver, std::string_view name) {
        for (int page = 0; page < 2 && !driver.State(name)->visible; ++page) ShowPage(driver, page);
    };
    Open([&](HeadlessDriver& driver) {
        for (const SettingBinding& binding : kSettingBindings) {
            SCOPED_TRACE(std::string(binding.control));
            ui::SWindow* control = driver.Find(binding.control);
            ASSERT_NE(control, nullptr);
            if (binding.IsCheckBox()) {
                EXPECT_NE(dynamic_cast<ui::SCheckBox*>(control), nullptr);
                EXPECT_TRUE(Checked(driver, binding.control));
            } else {
                EXPECT_NE(dynamic_cast<ui::SEdit*>(control), nullptr);
                EXPECT_EQ(Text(driver, binding.control), IntegerText(binding.Read(settings)));
            }
        }
        // The edits first: unticking a group's box disables its edit.
        std::int32_t typed = 500;
        for (const SettingBinding& binding : kSettingBindings) {
            if (binding.IsCheckBox()) continue;
            reveal(driver, binding.control);
            Retype(driver, binding.control, IntegerText(typed++));
        }
        for (const SettingBinding& binding : kSettingBindings) {
            if (!binding.IsCheckBox()) continue;
            reveal(driver, binding.control);
            ASSERT_TRUE(driver.Click(binding.control)) << binding.control;
        }
        ASSERT_TRUE(driver.Click("btn_sure"));
    });
    std::int32_t typed = 500;
    for (const SettingBinding& binding : kSettingBindings) {
        EXPECT_EQ(binding.Read(settings), binding.IsCheckBox() ? 0 : typed++) << binding.control;
    }
    ASSERT_TRUE(StoredRecord());
    EXPECT_EQ(StoredRecord()->data, Bytes(settings));
    EXPECT_FALSE(LookupFailed());
}

TEST_F(SettingsWindow, RestoreDefaultsGivesBoundFieldsTheRecordDefaultsAndLeavesTheRest) {
    for (const SettingBinding& binding : kSettingBindings) binding.Write(settings, binding.IsCheckBox() ? 1 : 77);
    settings.clickType = kClickLeftLongPress;
    settings.interval = 0.6f;
    settings.hotkeyModifiers = msg::kModAlt;
    settings.reserved168[5] = 9;
    const ClickSettings before = settings;
    Open([&](HeadlessDriver& driver) {
        ASSERT_TRUE(driver.Click("btn_default"));
        for (const SettingBinding& binding : kSettingBindings) {
            if (binding.IsCheckBox()) {
                EXPECT_EQ(Checked(driver, binding.control), binding.Read(settings) != 0) << binding.control;
            } else {
                EXPECT_EQ(Text(driver, binding.control), IntegerText(binding.Read(settings))) << binding.control;
            }
        }
        ASSERT_TRUE(driver.Click("btn_close"));
    });
    // A fresh record's values, except the random maximum, which restoring empties.
    ClickSettings defaults;
    defaults.randomMax = 0;
    ClickSettings expected = before;
    for (const SettingBinding& binding : kSettingBindings) {
        EXPECT_EQ(binding.Read(settings), binding.Read(defaults)) << binding.control;
        binding.Write(expected, binding.Read(defaults));
    }
    EXPECT_EQ(Bytes(settings), Bytes(expected)) << "fields without a control are left alone";
}

// ---- Pages ----

TEST_F(SettingsWindow, DefaultsButtonIsHiddenOnTheAboutPageOnly) {
    Open([&](HeadlessDriver& driver) {
        EXPECT_TRUE(driver.State("btn_default")->visible);
        ShowPage(driver, 2);
        EXPECT_FALSE(driver.State("btn_default")->visible);
        ShowPage(driver, 1);
        EXPECT_TRUE(driver.State("btn_default")->visible);
        ShowPage(driver, 2);
        ShowPage(driver, 0);
        EXPECT_TRUE(driver.State("btn_default")->visible);
    });
}

// ---- Without a record ----

TEST_F(SettingsWindow, WithoutARecordNothingIsChangedAndTheWindowStillCloses) {
    dialog = std::make_unique<CSettingDlg>();
    ui.backend.SetModalHook([&](ui::SHostDialog&) {
        HeadlessDriver driver(*dialog, ui.backend);
        ASSERT_TRUE(driver.Click("btn_default"));
        ASSERT_TRUE(driver.Click("btn_sure"));
        EXPECT_FALSE(dialog->IsEnded());
        ASSERT_TRUE(driver.Click("btn_close"));
    });
    EXPECT_EQ(dialog->DoModal(0), 0);
    EXPECT_EQ(ui.backend.AutoClosedDialogs(), 0);
    EXPECT_FALSE(StoredRecord());
}

}  // namespace
}  // namespace zintra::test
