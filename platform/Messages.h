// Window message numbers and flags keep their Win32 values on every platform,
// so window classes read the same whichever backend delivers the messages.
#pragma once

#include <cstdint>

namespace zintra::msg {

inline constexpr std::uint32_t kCreate = 0x0001;         // WM_CREATE
inline constexpr std::uint32_t kDestroy = 0x0002;        // WM_DESTROY
inline constexpr std::uint32_t kClose = 0x0010;          // WM_CLOSE
inline constexpr std::uint32_t kQueryEndSession = 0x0011;
inline constexpr std::uint32_t kEndSession = 0x0016;
inline constexpr std::uint32_t kPaint = 0x000F;
inline constexpr std::uint32_t kActivateApp = 0x001C;    // WM_ACTIVATEAPP
inline constexpr std::uint32_t kKeyDown = 0x0100;
inline constexpr std::uint32_t kKeyUp = 0x0101;
inline constexpr std::uint32_t kChar = 0x0102;
inline constexpr std::uint32_t kSysKeyDown = 0x0104;
inline constexpr std::uint32_t kSysKeyUp = 0x0105;
inline constexpr std::uint32_t kInitDialog = 0x0110;     // WM_INITDIALOG
inline constexpr std::uint32_t kCommand = 0x0111;        // WM_COMMAND
inline constexpr std::uint32_t kSysCommand = 0x0112;     // WM_SYSCOMMAND
inline constexpr std::uint32_t kTimer = 0x0113;          // WM_TIMER
inline constexpr std::uint32_t kMouseMove = 0x0200;
inline constexpr std::uint32_t kLButtonDown = 0x0201;
inline constexpr std::uint32_t kLButtonUp = 0x0202;
inline constexpr std::uint32_t kLButtonDblClk = 0x0203;
inline constexpr std::uint32_t kRButtonDown = 0x0204;
inline constexpr std::uint32_t kRButtonUp = 0x0205;
inline constexpr std::uint32_t kMButtonDown = 0x0207;
inline constexpr std::uint32_t kMouseWheel = 0x020A;
inline constexpr std::uint32_t kMouseLeave = 0x02A3;
inline constexpr std::uint32_t kHotKey = 0x0312;         // WM_HOTKEY
inline constexpr std::uint32_t kUser = 0x0400;           // WM_USER

// lParam of mouse messages: signed 16-bit client coordinates.
inline constexpr std::intptr_t MakePointParam(int x, int y) {
    return static_cast<std::intptr_t>((static_cast<std::uint32_t>(y & 0xFFFF) << 16) |
                                      static_cast<std::uint32_t>(x & 0xFFFF));
}
inline constexpr int PointParamX(std::intptr_t lParam) {
    return static_cast<std::int16_t>(static_cast<std::uint32_t>(lParam) & 0xFFFF);
}
inline constexpr int PointParamY(std::intptr_t lParam) {
    return static_cast<std::int16_t>((static_cast<std::uint32_t>(lParam) >> 16) & 0xFFFF);
}

// Private messages of the program's own windows.
inline constexpr std::uint32_t kDownloadProgress = kUser + 503;  // UM_DOWNLOAD_PROGRESS, wParam percent 1..100
inline constexpr std::uint32_t kDownloadDone = kUser + 504;      // UM_DOWNLOAD_DONE, wParam 1 on success
inline constexpr std::uint32_t kTrayNotify = kUser + 1111;       // UM_TRAY_NOTIFY, lParam the mouse message
inline constexpr std::uint32_t kShowMainWindow = kUser + 1112;   // a second start asks for the main window
// wParam of kShowMainWindow: 0 to show it, or what `zintra --toggle`, `--start`
// and `--stop` ask of the start/stop hotkey.
inline constexpr std::uintptr_t kRunToggle = 1;
inline constexpr std::uintptr_t kRunStart = 2;
inline constexpr std::uintptr_t kRunStop = 3;
// The desktop answered the binding of a hotkey (ui::DesktopShortcut); wParam its id.
inline constexpr std::uint32_t kDesktopShortcutSettled = kUser + 1113;
inline constexpr std::uint32_t kMainWindowQuery = 1624;          // answered with 0 by the main window

// ShowWindow commands.
inline constexpr int kSwHide = 0;
inline constexpr int kSwShowNormal = 1;
inline constexpr int kSwShowMinimized = 2;
inline constexpr int kSwShow = 5;
inline constexpr int kSwMinimize = 6;

// SetWindowPos flags.
inline constexpr std::uint32_t kSwpNoSize = 0x0001;
inline constexpr std::uint32_t kSwpNoMove = 0x0002;
inline constexpr std::uint32_t kSwpNoZOrder = 0x0004;
inline constexpr std::uint32_t kSwpNoRedraw = 0x0008;

inline constexpr std::uint32_t kScMinimize = 0xF020;     // SC_MINIMIZE

// Hotkey modifier bits, as RegisterHotKey takes them.
inline constexpr std::uint32_t kModAlt = 0x0001;
inline constexpr std::uint32_t kModControl = 0x0002;
inline constexpr std::uint32_t kModShift = 0x0004;
inline constexpr std::uint32_t kModWin = 0x0008;

// Mouse input flags.
inline constexpr std::uint32_t kMouseEventMove = 0x0001;       // MOUSEEVENTF_MOVE
inline constexpr std::uint32_t kMouseEventLeftDown = 0x0002;
inline constexpr std::uint32_t kMouseEventLeftUp = 0x0004;
inline constexpr std::uint32_t kMouseEventRightDown = 0x0008;
inline constexpr std::uint32_t kMouseEventRightUp = 0x0010;
inline constexpr std::uint32_t kMouseEventVirtualDesk = 0x4000;  // MOUSEEVENTF_VIRTUALDESK
inline constexpr std::uint32_t kMouseEventAbsolute = 0x8000;

// Mouse message key state (wParam).
inline constexpr std::uint32_t kMkLButton = 0x0001;

// Edit notification codes.
inline constexpr std::uint32_t kEnChange = 0x0300;       // EN_CHANGE

// Virtual-key codes used by the program's own logic.
inline constexpr std::uint32_t kVkBack = 0x08;
inline constexpr std::uint32_t kVkTab = 0x09;
inline constexpr std::uint32_t kVkReturn = 0x0D;
inline constexpr std::uint32_t kVkShift = 0x10;
inline constexpr std::uint32_t kVkControl = 0x11;
inline constexpr std::uint32_t kVkMenu = 0x12;           // Alt
inline constexpr std::uint32_t kVkEscape = 0x1B;
inline constexpr std::uint32_t kVkPrior = 0x21;  // Page Up
inline constexpr std::uint32_t kVkNext = 0x22;   // Page Down
inline constexpr std::uint32_t kVkEnd = 0x23;
inline constexpr std::uint32_t kVkHome = 0x24;
inline constexpr std::uint32_t kVkLeft = 0x25;
inline constexpr std::uint32_t kVkUp = 0x26;
inline constexpr std::uint32_t kVkRight = 0x27;
inline constexpr std::uint32_t kVkDown = 0x28;
inline constexpr std::uint32_t kVkDelete = 0x2E;
inline constexpr std::uint32_t kVkF1 = 0x70;
inline constexpr std::uint32_t kVkF8 = 0x77;
inline constexpr std::uint32_t kVkF12 = 0x7B;

}  // namespace zintra::msg
