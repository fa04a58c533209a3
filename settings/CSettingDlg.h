// The settings window: edits the optional part of the main window's click
// settings in place, writes them on confirmation, and hosts the two ways of
// picking a fixed position and the click-count test.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/WindowIds.h"
#include "clicker/ClickPacer.h"
#include "clicker/ClickSettings.h"
#include "platform/Types.h"
#include "ui/render/Bitmap.h"
#include "ui/core/SHostDialog.h"
#include "ui/core/Timers.h"

namespace zintra {

struct SettingBinding;

class CSettingDlg : public ui::SHostDialog {
public:
    // How often the cursor is sampled while a position is picked.
    static constexpr std::uint32_t kTrackCursorPeriod = 50;

    CSettingDlg();
    ~CSettingDlg() override;

    // The record to edit; lent by the main window, never freed here.
    void SetSettings(ClickSettings* settings) { settings_ = settings; }

    // ---- Filling and taking back (CSettingDlg.cpp) ----
    void FillControls();
    void ApplyRandomTimeGroup();
    void ApplyFixedPosGroup();
    void ApplyLimitCountGroup();
    void RestoreDefaults();
    void ConfirmSettings();
    // Start with the system: derive autoRun from the Run key / apply the box.
    void ReadAutoRun();
    void WriteAutoRun();

    // ---- Coordinate picking (CSettingDlgPicking.cpp) ----
    void MakeDragImage();
    void ToggleCtrlQCapture();

    // ---- Count test (CSettingDlgCountTest.cpp) ----
    void CountTestTick();
    void SendTestClick();

    // ---- State, for the tests and the main window ----
    const platform::Rect& CrosshairRect() const { return crosshairRect_; }
    const std::optional<ui::Bitmap>& DragImage() const { return dragImage_; }
    bool DragPressed() const { return dragPressed_; }
    bool CtrlQCaptureArmed() const { return ctrlQCapture_; }
    bool TestRunning() const { return testRunning_; }
    std::int32_t TestCount() const { return testCount_; }

protected:
    std::optional<std::intptr_t> OnWindowMessage(std::uint32_t message, std::uintptr_t wParam,
                                                 std::intptr_t lParam) override;
    void OnEvent(ui::EventArgs& event) override;

private:
    void OnInitDialog();
    // Unregisters both hotkeys of this window and ends it with 0.
    void CloseWindow();
    void OnTabChanged(int newPage);

    // Picking.
    void OnLButtonDown(platform::Point client);
    void OnMouseMove(platform::Point client);
    void OnLButtonUp();
    void OnActivateApp();
    void EndDrag();
    void OnTrackCursorTimer();
    void OnCaptureHotkey();
    void ShowPickedPosition();
    // Where the pointer's position cannot be known, the fields go back to
    // what they held when the capture was armed, and a message says why.
    void ShowPositionUnknown(bool unknown);
    platform::Point PickedScreenPoint(platform::Point client) const;

    // Count test.
    void OnStartStopHotkey();
    void OnCountTestTimer();
    void StopCountTest();
    void ShowLimitHint(const std::u16string& limitText);

    // Control helpers: each does nothing when the control is missing.
    void SetControlText(std::string_view name, const std::u16string& text);
    void SetCheckBox(std::string_view name, bool checked);
    void SetControlAttribute(std::string_view name, std::string_view attribute, std::string_view value);
    std::optional<bool> CheckBoxState(std::string_view name) const;
    std::optional<std::int32_t> EditInteger(std::string_view name) const;
    // What a bound control holds, as its field takes it.
    std::optional<std::int32_t> BoundControlValue(const SettingBinding& binding) const;

    ClickSettings* settings_ = nullptr;
    platform::Rect crosshairRect_;
    std::optional<ui::Bitmap> dragImage_;
    bool dragPressed_ = false;
    bool dragShown_ = false;
    std::int32_t pickX_ = 0;
    std::int32_t pickY_ = 0;
    bool ctrlQCapture_ = false;
    std::u16string armedPosX_;
    std::u16string armedPosY_;
    bool testRunning_ = false;
    std::int32_t testCount_ = 0;
    std::int32_t testStartX_ = 0;
    std::int32_t testStartY_ = 0;
    ui::PreciseTimingSection preciseTiming_;
    ClickPacer testPacer_;  // keeps the test's clicks on the run's grid
};

// Said in the settings window while Ctrl+Q cannot know where the pointer is.
extern const char16_t kPositionUnknownText[];

// "%d" of a record field, as the edits show it.
std::u16string IntegerText(std::int32_t value);

// The count test's instruction: the hotkey's label and the limit as text.
std::u16string CountTestHint(const std::u16string& hotkeyText, const std::u16string& limitText);
// "当前已经点击%d次".
std::u16string CountTestProgress(std::int32_t count);
// interval × 1000 in double precision, truncated toward zero; products the
// timer cannot take are held to its range (0 for none or negative).
std::uint32_t CountTestPeriod(float intervalSeconds);

}  // namespace zintra
