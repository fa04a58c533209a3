#include "hotkey/ShortcutNotice.h"

#include "base/ProgramKey.h"

namespace zintra {

bool ShortcutNoticeDue(platform::Platform& platform) {
    return platform.GetShell().HotkeyOnlyInOwnWindows() &&
           ReadProgramDword(platform.GetRegistry(), kShortcutNoticeValue).value_or(0) == 0;
}

bool RememberShortcutNotice(platform::Registry& registry) {
    return StoreProgramDword(registry, kShortcutNoticeValue, 1);
}

}  // namespace zintra
