#include "hotkey/ShortcutNotice.h"

#include "base/ProgramKey.h"

namespace zintra {

bool ShortcutNoticeDue(platform::Platform& platform, const ui::DesktopShortcut& shortcut) {
    using State = ui::DesktopShortcut::State;
    return platform.GetShell().HotkeyOnlyInOwnWindows() && shortcut.state != State::Bound &&
           shortcut.state != State::Asking &&
           ReadProgramDword(platform.GetRegistry(), kShortcutNoticeValue).value_or(0) == 0;
}

bool RememberShortcutNotice(platform::Registry& registry) {
    return StoreProgramDword(registry, kShortcutNoticeValue, 1);
}

}  // namespace zintra
