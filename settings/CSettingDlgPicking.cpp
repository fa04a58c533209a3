// CSettingDlg: picking the fixed position, by dragging the crosshair or by
// arming Ctrl+Q, which freezes the position the cursor was sampled at.
#include "platform/Messages.h"
#include "platform/Platform.h"
#include "settings/CSettingDlg.h"
#include "ui/core/Backend.h"
#include "ui/core/CDragWnd.h"
#include "ui/controls/SCheckBox.h"
#include "ui/core/ApplicationImages.h"

namespace zintra {

namespace {

constexpr std::uint32_t kCaptureVirtualKey = 0x51;  // 'Q'
constexpr std::uint8_t kOpaque = 255;

std::u16string ControlText(const ui::SWindow* control) { return control != nullptr ? control->GetWindowText() : u""; }

}  // namespace

const char16_t kPositionUnknownText[] = u"鼠标所在处取不到坐标，请用方法一拖动准心";

void CSettingDlg::MakeDragImage() { dragImage_ = ui::RenderSkinToBitmap("skin_img_drag"); }

platform::Point CSettingDlg::PickedScreenPoint(platform::Point client) const {
    // The host window has no frame, so its client area starts at its corner;
    // on a scaled monitor the pointer tells which pixel of the unit it is on.
    return PointerPixel(client, platform::Current().GetMouseInput().CursorPosition());
}

void CSettingDlg::ShowPickedPosition() {
    SetControlText("edt_posX", IntegerText(pickX_));
    SetControlText("edt_posY", IntegerText(pickY_));
}

// ---- Dragging the crosshair ----

void CSettingDlg::OnLButtonDown(platform::Point client) {
    if (settings_ == nullptr || settings_->useFixedPos == 0 || !crosshairRect_.Contains(client)) return;
    // Moves and the release keep coming while the cursor is outside the window.
    SetCapture(GetRoot());
    dragShown_ = false;
    dragPressed_ = true;
    const platform::Point picked = PickedScreenPoint(client);
    pickX_ = picked.x;
    pickY_ = picked.y;
}

void CSettingDlg::OnMouseMove(platform::Point client) {
    if (settings_ == nullptr) return;
    if (dragPressed_ && dragShown_) {
        const platform::Point picked = PickedScreenPoint(client);
        pickX_ = picked.x;
        pickY_ = picked.y;
        ui::CDragWnd::DragMove({pickX_, pickY_});
    } else if (dragPressed_) {
        // The first move only creates the picture; the second one shows it.
        dragShown_ = true;
        if (dragImage_ && !dragImage_->Empty()) {
            platform::Rect crosshair = crosshairRect_;
            if (ui::SWindow* control = FindChildByName2<ui::SWindow>("btn_circle")) {
                crosshair = control->GetWindowRect();
            }
            const platform::Point hotSpot{crosshair.Width() / 2, crosshair.Height() / 2};
            ui::CDragWnd::DragBegin(*dragImage_, hotSpot, 0, kOpaque, ui::CDragWnd::kColorKey | ui::CDragWnd::kAlpha);
        }
    }
    if (settings_->useFixedPos == 0) return;
    const std::optional<bool> capturing = CheckBoxState("chk_ctrlq");
    if ((capturing && *capturing) || dragShown_) ShowPickedPosition();
}

void CSettingDlg::OnLButtonUp() {
    // Only our own press is ended here; the controls handle theirs.
    if (!dragPressed_ && !dragShown_) return;
    ReleaseCapture();
    EndDrag();
}

void CSettingDlg::OnActivateApp() {
    if (!dragShown_) return;
    EndDrag();
    ReleaseCapture();
}

void CSettingDlg::EndDrag() {
    if (dragShown_) ui::CDragWnd::DragEnd();
    dragPressed_ = false;
    dragShown_ = false;
}

// ---- Ctrl+Q capture ----

void CSettingDlg::ToggleCtrlQCapture() {
    const std::optional<bool> ticked = CheckBoxState("chk_ctrlq");
    if (!ticked) return;
    ctrlQCapture_ = *ticked;
    auto& hotkeys = ui::CurrentBackend();
    ShowPositionUnknown(false);
    if (ctrlQCapture_) {
        armedPosX_ = ControlText(FindChildByName2<ui::SWindow>("edt_posX"));
        armedPosY_ = ControlText(FindChildByName2<ui::SWindow>("edt_posY"));
        hotkeys.UnregisterHotKey(GetHwnd(), kCaptureHotkeyId);
        hotkeys.RegisterHotKey(GetHwnd(), kCaptureHotkeyId, msg::kModControl, kCaptureVirtualKey);
        SetTimer(kTrackCursorTimerId, kTrackCursorPeriod);
    } else {
        hotkeys.UnregisterHotKey(GetHwnd(), kCaptureHotkeyId);
        KillTimer(kTrackCursorTimerId);
    }
}

void CSettingDlg::OnTrackCursorTimer() {
    // A stale expiry after the capture ended must not move the frozen fields.
    if (!ctrlQCapture_) return;
    const std::optional<platform::Point> cursor = platform::Current().GetMouseInput().KnownCursorPosition();
    if (!cursor) return ShowPositionUnknown(true);
    ShowPositionUnknown(false);
    pickX_ = cursor->x;
    pickY_ = cursor->y;
    ShowPickedPosition();
}

void CSettingDlg::ShowPositionUnknown(bool unknown) {
    SetControlText("txt_posUnknown", unknown ? kPositionUnknownText : u"");
    if (!unknown) return;
    // Never a stale point: the fields and the pick go back to what was there.
    SetControlText("edt_posX", armedPosX_);
    SetControlText("edt_posY", armedPosY_);
    pickX_ = EditInteger("edt_posX").value_or(0);
    pickY_ = EditInteger("edt_posY").value_or(0);
}

void CSettingDlg::OnCaptureHotkey() {
    // No new sample: the fields keep the last one, at most 50 ms old.
    ctrlQCapture_ = false;
    SetCheckBox("chk_ctrlq", false);
    ui::CurrentBackend().UnregisterHotKey(GetHwnd(), kCaptureHotkeyId);
    KillTimer(kTrackCursorTimerId);
}

}  // namespace zintra
