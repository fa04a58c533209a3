// Where the desktop lets the start/stop hotkey reach the program only while one
// of its own windows has the focus (an X11 program in a Wayland session) and
// binds no shortcut for it either, the user is told once how to bind
// `zintra --toggle` to a desktop shortcut instead; a value in the store
// remembers that it was said. Where the desktop bound the shortcut to other
// keys than the hotkey's, the user is told those.
#pragma once

#include "platform/Platform.h"
#include "ui/core/Hotkeys.h"

namespace zintra {

inline constexpr char16_t kShortcutNoticeTitle[] = u"Zintra：热键只在本程序的窗口中有效";
inline constexpr char16_t kShortcutNotice[] =
    u"在 Wayland 桌面里，热键只在 Zintra 的窗口有焦点时有效。要在任何窗口里开始或停止点击，"
    u"请把命令 zintra --toggle 设为桌面快捷键：GNOME 在“设置 → 键盘 → 自定义快捷键”，"
    u"KDE 在“系统设置 → 快捷键 → 自定义快捷键”，sway 在配置文件里加一行 "
    u"bindsym F8 exec zintra --toggle。";

// Before the desktop's own description of the keys it bound.
inline constexpr char16_t kDesktopKeysNotice[] = u"桌面为开始/停止连点设定的快捷键是：";
// Before the same description beside the main window's hotkey.
inline constexpr char16_t kDesktopKeysLabel[] = u"桌面设定的快捷键：";

// The store value under the program's key: REG_DWORD 1 once the notice was shown.
inline constexpr char16_t kShortcutNoticeValue[] = u"ShortcutNoticeShown";

// Whether the notice is to be shown now: the hotkey is confined to our own
// windows, the desktop did not bind the shortcut (and is not still asked),
// and the store does not say it was shown before.
bool ShortcutNoticeDue(platform::Platform& platform, const ui::DesktopShortcut& shortcut);

// Records in the store that the notice was shown; false when it cannot be written.
bool RememberShortcutNotice(platform::Registry& registry);

}  // namespace zintra
